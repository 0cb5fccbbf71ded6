#pragma once

#include <QHash>
#include <QList>

#include <list>
#include <optional>

// Connections in the order they were last heard from, so that finding the
// silent ones costs nothing per connection that is not: hearing from one
// moves it to the back, the silent ones gather at the front.
class IdleQueue
{
public:
    // Adds the connection, or moves it to the back, heard at nowMs.
    void touch(quint64 id, qint64 nowMs);
    void remove(quint64 id);
    // The connections last heard before beforeMs, oldest first, taken out.
    QList<quint64> takeSilentSince(qint64 beforeMs);
    // When the longest-silent connection was last heard.
    std::optional<qint64> oldest() const;
    qsizetype size() const { return m_index.size(); }

private:
    struct Entry
    {
        quint64 id;
        qint64 heardMs;
    };
    std::list<Entry> m_order;
    QHash<quint64, std::list<Entry>::iterator> m_index;
};
