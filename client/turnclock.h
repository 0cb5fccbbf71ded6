#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// The client's turn clock: seconds left in the own turn, and what the clock
// shows of them, its bar and its text; the view turns those into pixels
// and colours. It counts once a second while it runs; tick() is the
// one-second step, so a test drives it directly.
class TurnClock : public QObject
{
    Q_OBJECT

public:
    explicit TurnClock(QObject *parent = nullptr);

    int turnlimit() const { return m_turnlimit; }
    int turnleft() const { return m_turnleft; }
    // Seconds per turn of the running game.
    void setTurnlimit(int seconds);
    // "Time Per Turn: 60 s."
    QString turnTimeText() const;

    // The bar stands for the seconds left at the clock's last count, out of
    // the turn it counted (0 once the turn ran out); none before the first
    // count, when it is full. Starting and stopping leave it as it is.
    struct Bar
    {
        int left = 0;
        int limit = 0;
    };
    std::optional<Bar> bar() const { return m_bar; }
    // "Time: m:ss", and whether its last count was under twenty seconds:
    // the text warns then.
    QString text() const { return m_text; }
    bool hurried() const { return m_hurried; }

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
    std::optional<Bar> m_bar;
    QString m_text;
    bool m_hurried = false;
};
