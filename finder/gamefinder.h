#pragma once

#include "finder/browser.h"
#include "finder/fallbackquerier.h"
#include "finder/tablelist.h"

#include <QObject>

#include <cstdio>

// Finds the tables of the local network while someone looks: browses mDNS
// when a daemon answers and asks over UDP in any case (a host without a
// daemon answers only there), both filling one TableList. The Join dialog
// starts it when it opens, shows tables() and stops it when it closes.
class GameFinder : public QObject
{
    Q_OBJECT

public:
    explicit GameFinder(QObject *parent = nullptr);

    TableList *tables() { return &m_tables; }
    FallbackQuerier *querier() { return &m_querier; }

    void start();
    void stop();   // the list stays; its rows age out
    bool isActive() const { return m_querier.isActive() || m_browser.isRunning(); }
    bool browsesMdns() const { return m_browser.isRunning(); }

private:
    TableList m_tables;
    Browser m_browser;
    FallbackQuerier m_querier;
};

// The command line's game list (--list-games): one line per table, fields
// separated by tabs: name, address, port, seats taken, spectators, state,
// source, and for a table a directory lists its code and reach; each field made
// printable for a terminal.
QString listLine(const TableInfo &table);
void writeListLines(const QList<TableInfo> &tables, std::FILE *out);
