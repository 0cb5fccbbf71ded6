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

// The command line's game list: looks for `seconds` (0..3600), then writes
// one line per table found, fields separated by tabs: name, address, port,
// seats taken, spectators, state, source. Needs a QCoreApplication; runs its
// own event loop meanwhile. Returns the process's exit status.
int listGames(int seconds, std::FILE *out);
// One such line, each field made printable for a terminal.
QString listLine(const TableInfo &table);
