#pragma once

#include "directory/server/addresslimits.h"

#include <QHash>

// What the relay lets through, apart from its sockets: relayed players per
// table (a table seats nine), relayed tables per client address, and the
// bytes per second a table's relayed connections carry together (a burst
// of one second's worth, then that rate). A word game sends a few
// kilobytes a minute; the cap is there against floods, never in a game's
// way.
class RelayLimits
{
public:
    static constexpr int kPerTable = 9;
    static constexpr int kPerClient = 4;
    static constexpr int kBytesPerSecond = 64 * 1024;

    enum class Verdict { Open, TableFull, ClientLimit };

    explicit RelayLimits(int bytesPerSecond = kBytesPerSecond) : m_bytesPerSecond(bytesPerSecond) {}

    // Each Open is matched by one close later.
    Verdict open(quint64 table, const AddressLimits::Key &client);
    void close(quint64 table, const AddressLimits::Key &client);
    int sessions(quint64 table) const;

    // Bytes a relayed connection of the table carried at nowMs. Returns 0,
    // or how many milliseconds the table's connections should read nothing.
    qint64 spend(quint64 table, qsizetype bytes, qint64 nowMs);

    qsizetype tables() const { return m_tables.size(); }

private:
    struct Table
    {
        int sessions = 0;
        double tokens = 0;
        qint64 lastMs = -1;
    };

    int m_bytesPerSecond;
    QHash<quint64, Table> m_tables;
    QHash<AddressLimits::Key, int> m_clients;
};
