#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QStringView>

#include <deque>
#include <functional>

// The short codes a directory hands its tables: six symbols from an alphabet
// without look-alikes (no 0/O, 1/I/L, 2/Z, 5/S, 8/B, U/V, 6/G) and without
// vowels, so that no code spells a word. A released code rests for an hour
// before it is handed out again: a code passed on among friends must not
// lead to a stranger's new table soon after.
class CodeAllocator
{
public:
    static constexpr int kLength = 6;
    static constexpr char kAlphabet[] = "CDFHJKMNPQRTWXY34679";
    static constexpr int kSymbols = sizeof(kAlphabet) - 1;
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

    // What a player typed, as a code: upper case, blanks and dashes out.
    // Empty when it cannot be one.
    static QByteArray normalised(QByteArrayView typed);
    // What a player typed where an address goes names a code, not a
    // computer: it reads as one, and holds no dot or colon. No host name
    // is mistaken for a code that has a vowel; few have none.
    static bool isCode(QStringView typed);

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
