#pragma once

#include "finder/tableinfo.h"

#include <QAbstractTableModel>
#include <QList>
#include <QTimer>

#include <functional>

// The tables found, as the Join dialog lists them: one row a table, filled
// in as results arrive from any source, the local network's and the game
// directories'. Results are merged by table id (by address and port when
// the id is unknown); the first address to speak for an id keeps it, so
// nobody can redirect a listed table, and a directory's code stays with a
// row the local network confirms too. A row nobody has confirmed for
// kStaleAfterMs greys out and goes after kDropAfterMs (a directory's rows,
// asked for every five seconds, take three times as long). The list is
// bounded in all and per address, so a flood of made-up tables cannot push
// out real ones or grow without limit.
class TableList : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, AddressColumn, SeatsColumn, SpectatorsColumn, StateColumn, SourceColumn, ColumnCount };
    // DimmedRole: a row a view shows dimmed (not answering, or another
    // version).
    enum Role { JoinableRole = Qt::UserRole + 1, StaleRole, DimmedRole };

    static constexpr qint64 kStaleAfterMs = 5000;
    static constexpr qint64 kDropAfterMs = 10000;
    static constexpr int kDirectorySlowness = 3;
    // The local network's rows and a page of a few directories.
    static constexpr int kMaxTables = 256;
    static constexpr int kMaxPerAddress = 8;

    explicit TableList(QObject *parent = nullptr);

    // Milliseconds on a monotonic clock; tests give their own.
    void setClock(std::function<qint64()> nowMs) { m_now = std::move(nowMs); }

    // A result: a new row, or the row of the same table refreshed.
    void add(const TableInfo &table);
    // The table was withdrawn: its row goes at once.
    void remove(const TableInfo &table);
    void clear();
    // Greys out and drops what has not been confirmed; runs every second
    // while rows exist.
    void expire();

    int count() const { return int(m_rows.size()); }
    const TableInfo &table(int row) const { return m_rows.at(row).table; }
    bool isStale(int row) const { return m_rows.at(row).stale; }
    // Of this copy's protocol version; a stale row may still be joined.
    bool isJoinable(int row) const { return m_rows.at(row).table.isJoinable(); }
    QList<TableInfo> tables() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        TableInfo table;
        qint64 seenAt = 0;
        bool stale = false;
    };
    int find(const TableInfo &table) const;
    QString displayText(const Row &row, int column) const;
    QString accessibleText(const Row &row, int column) const;

    QList<Row> m_rows;
    QTimer m_ticker;
    std::function<qint64()> m_now;
};
