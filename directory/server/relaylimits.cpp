#include "directory/server/relaylimits.h"

#include <cmath>

RelayLimits::Verdict RelayLimits::open(quint64 table, const AddressLimits::Key &client)
{
    if (sessions(table) >= kPerTable)
        return Verdict::TableFull;
    if (m_clients.value(client) >= kPerClient)
        return Verdict::ClientLimit;
    Table &record = m_tables[table];
    if (record.sessions == 0 && record.lastMs < 0)
        record.tokens = m_bytesPerSecond;
    ++record.sessions;
    ++m_clients[client];
    return Verdict::Open;
}

void RelayLimits::close(quint64 table, const AddressLimits::Key &client)
{
    const auto record = m_tables.find(table);
    if (record != m_tables.end() && --record->sessions <= 0)
        m_tables.erase(record);
    const auto count = m_clients.find(client);
    if (count != m_clients.end() && --*count <= 0)
        m_clients.erase(count);
}

int RelayLimits::sessions(quint64 table) const
{
    const auto record = m_tables.constFind(table);
    return record == m_tables.cend() ? 0 : record->sessions;
}

qint64 RelayLimits::spend(quint64 table, qsizetype bytes, qint64 nowMs)
{
    const auto record = m_tables.find(table);
    if (record == m_tables.end())
        return 0;
    if (record->lastMs >= 0 && nowMs > record->lastMs)
        record->tokens = qMin(double(m_bytesPerSecond),
                              record->tokens + double(nowMs - record->lastMs) * m_bytesPerSecond / 1000.0);
    record->lastMs = qMax(record->lastMs, nowMs);
    // What was read goes on; a debt is paid by reading nothing meanwhile.
    record->tokens -= double(bytes);
    if (record->tokens >= 0)
        return 0;
    return qint64(std::ceil(-record->tokens * 1000.0 / m_bytesPerSecond));
}
