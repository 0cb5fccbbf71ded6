#include "directory/server/idlequeue.h"

void IdleQueue::touch(quint64 id, qint64 nowMs)
{
    const auto found = m_index.constFind(id);
    if (found == m_index.constEnd()) {
        m_index.insert(id, m_order.insert(m_order.end(), Entry{id, nowMs}));
        return;
    }
    const auto at = *found;
    at->heardMs = nowMs;
    m_order.splice(m_order.end(), m_order, at);
}

void IdleQueue::remove(quint64 id)
{
    const auto found = m_index.constFind(id);
    if (found == m_index.constEnd())
        return;
    m_order.erase(*found);
    m_index.erase(found);
}

QList<quint64> IdleQueue::takeSilentSince(qint64 beforeMs)
{
    QList<quint64> silent;
    while (!m_order.empty() && m_order.front().heardMs < beforeMs) {
        silent << m_order.front().id;
        m_index.remove(m_order.front().id);
        m_order.pop_front();
    }
    return silent;
}

std::optional<qint64> IdleQueue::oldest() const
{
    if (m_order.empty())
        return std::nullopt;
    return m_order.front().heardMs;
}
