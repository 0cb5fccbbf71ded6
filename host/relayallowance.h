#pragma once

#include <QtGlobal>

#include <utility>

// How many chat lines, actions and chatter sounds one connection may have
// relayed: a burst, then a steady rate. One flooder must not get every
// other player disconnected for falling behind.
class RelayAllowance
{
public:
    static constexpr int kBurst = 20;
    static constexpr int kDefaultPerSecond = 10;

    // perSecond 0: no limit.
    void reset(int perSecond, qint64 nowMs)
    {
        m_perSecond = perSecond;
        m_tokens = kBurst;
        m_lastMs = nowMs;
        m_dropping = false;
    }

    enum class Verdict { Relay, Drop, DropAndTell };

    // Takes one line's allowance. The first line dropped after a relayed one
    // is DropAndTell: the sender hears of it once per burst.
    Verdict take(qint64 nowMs)
    {
        if (m_perSecond <= 0)
            return Verdict::Relay;
        const qint64 elapsed = nowMs - m_lastMs;
        if (elapsed > 0) {
            m_tokens = qMin(double(kBurst), m_tokens + double(elapsed) * m_perSecond / 1000.0);
            m_lastMs = nowMs;
        }
        if (m_tokens >= 1.0) {
            m_tokens -= 1.0;
            m_dropping = false;
            return Verdict::Relay;
        }
        return std::exchange(m_dropping, true) ? Verdict::Drop : Verdict::DropAndTell;
    }

private:
    int m_perSecond = kDefaultPerSecond;
    double m_tokens = kBurst;
    qint64 m_lastMs = 0;
    bool m_dropping = false;
};
