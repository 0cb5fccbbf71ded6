#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the error window lists, and when it may come back. Each distinct
// message is one line with how often it came, the latest last; a peer that
// sends bad fields without end costs a bounded list, bounded work per
// message, and the window's return at most once per kReshowDelayMs after
// the player closed it. Times are milliseconds on any steady clock.
class ErrorLog
{
public:
    static constexpr int kMaxEntries = 50;
    static constexpr int kMaxLength = 400;   // characters kept of one message
    static constexpr qint64 kReshowDelayMs = 5000;

    void add(const QString &message);
    // One line per message, " (n times)" after one that came n > 1 times.
    QStringList lines() const;
    int size() const { return int(m_entries.size()); }

    // The player closed the window at `now`.
    void dismissed(qint64 now) { m_dismissedAt = now; }
    // How long, from `now`, the window waits before it shows again.
    qint64 showDelay(qint64 now) const;

private:
    struct Entry
    {
        QString text;
        qint64 count = 1;
    };
    QList<Entry> m_entries;
    std::optional<qint64> m_dismissedAt;
};
