#include "directory/codeallocator.h"

#include <QDateTime>
#include <QRandomGenerator>

CodeAllocator::CodeAllocator(std::function<quint32()> random, std::function<qint64()> now)
    : m_random(random ? std::move(random) : [] { return QRandomGenerator::global()->generate(); }),
      m_now(now ? std::move(now) : [] { return QDateTime::currentMSecsSinceEpoch(); })
{
}

QByteArray CodeAllocator::allocate()
{
    wakeRested();
    // Twenty symbols in six places give 64 million codes: a few tries at
    // most while fewer than a million are taken.
    QByteArray code(kLength, Qt::Uninitialized);
    do {
        for (char &c : code)
            c = kAlphabet[m_random() % kSymbols];
    } while (m_inUse.contains(code) || m_resting.contains(code));
    m_inUse.insert(code);
    return code;
}

void CodeAllocator::release(const QByteArray &code)
{
    if (!m_inUse.remove(code))
        return;
    wakeRested();
    if (m_rests.size() >= size_t(kMaxResting)) {
        m_resting.remove(m_rests.front().code);
        m_rests.pop_front();
    }
    m_rests.push_back({code, m_now() + kRestMs});
    m_resting.insert(code);
}

void CodeAllocator::wakeRested()
{
    const qint64 now = m_now();
    while (!m_rests.empty() && m_rests.front().until <= now) {
        m_resting.remove(m_rests.front().code);
        m_rests.pop_front();
    }
}

QByteArray CodeAllocator::normalised(QByteArrayView typed)
{
    QByteArray code;
    for (const char c : typed) {
        if (c == ' ' || c == '-' || c == '\t')
            continue;
        const char upper = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        if (code.size() == kLength || !QByteArrayView(kAlphabet).contains(upper))
            return QByteArray();
        code += upper;
    }
    return code.size() == kLength ? code : QByteArray();
}

bool CodeAllocator::isCode(QStringView typed)
{
    if (typed.contains(QLatin1Char('.')) || typed.contains(QLatin1Char(':')) || typed.size() > 2 * kLength)
        return false;
    return !normalised(typed.toLatin1()).isEmpty();
}
