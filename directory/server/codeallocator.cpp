#include "directory/server/codeallocator.h"

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
    QByteArray code(joincode::kLength, Qt::Uninitialized);
    do {
        for (char &c : code)
            c = joincode::kAlphabet[m_random() % joincode::kSymbols];
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
