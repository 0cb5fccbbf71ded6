#pragma once

#include <QHash>
#include <QHostAddress>

#include <utility>

// What one address may hold of a directory: connections open at once,
// tables registered, and messages per minute (a burst of that many, then
// that rate). An IPv6 peer counts by its /64, which is what one home or one
// host gets; an IPv4 peer, in whatever form it arrives, by its address.
//
// A breach is reported once: the first time an address breaks a limit,
// breach() says so (so that it is logged), later breaches of the same kind
// stay quiet until the address has nothing open any more.
struct AddressAllowance
{
    int connections = 8;
    int tables = 4;
    int messagesPerMinute = 120;
};

class AddressLimits
{
public:
    using Allowance = AddressAllowance;
    // Protocol: bytes that are not the protocol's messages.
    enum class Limit { Connections = 1, Tables = 2, Messages = 4, Protocol = 8 };

    // Equal for addresses that share their limits.
    using Key = std::pair<quint64, quint64>;
    static Key keyOf(const QHostAddress &address);

    explicit AddressLimits(Allowance allowance = {}) : m_allowance(allowance) {}
    const Allowance &allowance() const { return m_allowance; }

    // Each true answer is matched by one close / remove later. extra:
    // connections allowed beyond the allowance (a relayed table's host).
    bool openConnection(const Key &key, int extra = 0);
    void closeConnection(const Key &key);
    bool addTable(const Key &key);
    void removeTable(const Key &key);
    // Takes one message's allowance at nowMs.
    bool takeMessage(const Key &key, qint64 nowMs);

    // True the first time this address breaks this limit.
    bool breach(const Key &key, Limit limit);

    qsizetype addresses() const { return m_records.size(); }

private:
    struct Record
    {
        int connections = 0;
        int tables = 0;
        double tokens = 0;
        qint64 lastMs = 0;
        int reported = 0;    // Limit bits already reported
    };
    void dropIfIdle(QHash<Key, Record>::iterator record);

    Allowance m_allowance;
    QHash<Key, Record> m_records;
};
