#include "directory/server/addresslimits.h"

#include <QtEndian>

AddressLimits::Key AddressLimits::keyOf(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);   // also an IPv4-mapped IPv6 address
    if (isV4)
        return {0, (quint64(1) << 32) | v4};
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    return {qFromBigEndian<quint64>(v6.c), 0};
}

bool AddressLimits::openConnection(const Key &key, int extra)
{
    Record &record = m_records[key];
    if (record.connections >= m_allowance.connections + extra) {
        dropIfIdle(m_records.find(key));
        return false;
    }
    if (record.connections == 0 && record.tables == 0)
        record.tokens = m_allowance.messagesPerMinute;
    ++record.connections;
    return true;
}

void AddressLimits::closeConnection(const Key &key)
{
    const auto record = m_records.find(key);
    if (record == m_records.end())
        return;
    --record->connections;
    dropIfIdle(record);
}

bool AddressLimits::addTable(const Key &key)
{
    const auto record = m_records.find(key);
    if (record == m_records.end() || record->tables >= m_allowance.tables)
        return false;
    ++record->tables;
    return true;
}

void AddressLimits::removeTable(const Key &key)
{
    const auto record = m_records.find(key);
    if (record == m_records.end())
        return;
    --record->tables;
    dropIfIdle(record);
}

bool AddressLimits::takeMessage(const Key &key, qint64 nowMs)
{
    const auto record = m_records.find(key);
    if (record == m_records.end())
        return false;
    const double capacity = m_allowance.messagesPerMinute;
    const qint64 elapsed = nowMs - record->lastMs;
    if (elapsed > 0) {
        record->tokens = qMin(capacity, record->tokens + double(elapsed) * capacity / 60000.0);
        record->lastMs = nowMs;
    }
    if (record->tokens < 1.0)
        return false;
    record->tokens -= 1.0;
    return true;
}

bool AddressLimits::breach(const Key &key, Limit limit)
{
    Record &record = m_records[key];
    const bool first = !(record.reported & int(limit));
    record.reported |= int(limit);
    // An address with nothing open has nothing left to remember.
    dropIfIdle(m_records.find(key));
    return first;
}

void AddressLimits::dropIfIdle(QHash<Key, Record>::iterator record)
{
    if (record != m_records.end() && record->connections <= 0 && record->tables <= 0)
        m_records.erase(record);
}
