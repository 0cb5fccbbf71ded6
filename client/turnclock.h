#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The client's turn clock: seconds left in the own turn, the bar that
// shrinks with them and the clock text. It counts once a second while it
// runs; tick() is the one-second step, so a test drives it directly.
class TurnClock : public QObject
{
    Q_OBJECT

public:
    static constexpr int kBarWidth = 97;
    static constexpr quint32 kPaleYellow = 10347488;  // 0x9DE3E0, 00BBGGRR
    static constexpr quint32 kRed = 255;

    explicit TurnClock(QObject *parent = nullptr);

    int turnlimit() const { return m_turnlimit; }
    int turnleft() const { return m_turnleft; }
    int barstep() const { return m_barstep; }
    // Seconds per turn of the running game; sets barstep with it.
    void setTurnlimit(int seconds);
    // "Time Per Turn: 60 s."
    QString turnTimeText() const;

    // What the clock shows: the bar's width, "Time: m:ss" and its colour.
    int barWidth() const { return m_barWidth; }
    QString text() const { return m_text; }
    quint32 textColour() const { return m_colour; }

    bool isRunning() const { return m_timer.isActive(); }
    // A frame's turn begins: the full turn on the clock, counting.
    void start();
    // Counting from seconds left (a late join); runs only when more than
    // four seconds are left, as the host's clock does.
    void resume(int seconds);
    void stop() { m_timer.stop(); }
    // Stopped and reading "Time: 0:00"; the bar keeps its width.
    void showZero();
    // One second passes.
    void tick();

    static QString clockText(int seconds);

signals:
    void changed();
    void sound(const QString &name);
    // The own clock ran out: the board closes and the status says so.
    void ranOut();

private:
    QTimer m_timer;
    int m_turnlimit = 0;
    int m_turnleft = 0;
    int m_barstep = 0;
    int m_barWidth = kBarWidth;
    QString m_text;
    quint32 m_colour = kPaleYellow;
};
