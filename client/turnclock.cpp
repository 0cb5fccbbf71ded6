#include "client/turnclock.h"

TurnClock::TurnClock(QObject *parent) : QObject(parent), m_text(clockText(0))
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TurnClock::tick);
}

void TurnClock::setTurnlimit(int seconds)
{
    m_turnlimit = seconds;
}

QString TurnClock::turnTimeText() const
{
    return QStringLiteral("Time Per Turn: %1 s.").arg(m_turnlimit);
}

void TurnClock::start()
{
    m_turnleft = m_turnlimit;
    m_timer.start();
}

void TurnClock::resume(int seconds)
{
    m_turnleft = seconds;
    if (seconds > 4)
        m_timer.start();
}

void TurnClock::showZero()
{
    m_timer.stop();
    m_text = clockText(0);
    emit changed();
}

void TurnClock::tick()
{
    --m_turnleft;
    if (m_turnleft >= 1) {
        m_bar = Bar{m_turnleft, m_turnlimit};
        m_hurried = m_turnleft < 20;
        m_text = clockText(m_turnleft);
        emit changed();
        if (m_turnleft == 20 || m_turnleft == 15 || m_turnleft <= 10)
            emit sound(QStringLiteral("time"));
        return;
    }
    // Nothing is sent: the host keeps its own, longer clock.
    m_timer.stop();
    m_turnleft = 0;
    m_bar = Bar{0, m_turnlimit};
    m_text = clockText(0);
    emit changed();
    emit ranOut();
}

QString TurnClock::clockText(int seconds)
{
    return QStringLiteral("Time: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
