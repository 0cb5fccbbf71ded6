#pragma once

#include "protocol/joincode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QStringView>

#include <deque>
#include <functional>

// Hands out the tables' join codes (protocol/joincode.h). A released code
// rests for an hour before it is handed out again: a code passed on among
// friends must not lead to a stranger's new table soon after.
class CodeAllocator
{
public:
    static constexpr qint64 kRestMs = 60 * 60 * 1000;
    // Codes resting at once, at most; the oldest is freed early beyond it.
    static constexpr int kMaxResting = 1'000'000;

    // random gives uniformly distributed 32-bit numbers; now the time in
    // milliseconds. Both default to the system's.
    explicit CodeAllocator(std::function<quint32()> random = {}, std::function<qint64()> now = {});

    // A code neither in use nor resting, now in use.
    QByteArray allocate();
    // The code is free again, after its rest.
    void release(const QByteArray &code);
    bool isInUse(QByteArrayView code) const { return m_inUse.contains(code.toByteArray()); }
    qsizetype inUse() const { return m_inUse.size(); }

private:
    void wakeRested();

    std::function<quint32()> m_random;
    std::function<qint64()> m_now;
    QSet<QByteArray> m_inUse;
    QSet<QByteArray> m_resting;
    struct Rest
    {
        QByteArray code;
        qint64 until;
    };
    std::deque<Rest> m_rests;   // in release order, so also by time
};
