#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

// One connection's receive buffer: bytes that arrived after the last 0xFF.
class FrameBuffer
{
public:
    // A peer that sends this much without a terminator is not speaking our
    // protocol; holding more would let it exhaust the host's memory.
    static constexpr qsizetype kMaxUnterminated = 64 * 1024;

    // Appends what arrived and hands every complete message (the text before
    // each 0xFF) to deliver, in order. Returns false, and forgets the
    // unterminated tail, when that tail grew past kMaxUnterminated; the
    // caller then closes the connection.
    bool append(QByteArrayView bytes, const std::function<void(QByteArray)> &deliver);

    qsizetype pendingSize() const { return m_pending.size(); }

private:
    QByteArray m_pending;
};

struct QueuedMessage
{
    QByteArray line;          // the message without its terminator
    quint64 connection = 0;   // which connection it came from (0: unknown)
};

// The receive queue of one side and its dispatch. Socket read events only
// append; messages are handled one per pass of the event loop, never inside
// the read event, in arrival order. The timer runs only while messages wait,
// so an idle game costs no CPU.
class Dispatcher : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(const QByteArray &payload, quint64 connection)>;

    explicit Dispatcher(QObject *parent = nullptr);

    // Command names are compared exactly, in the order they were added.
    void addCommand(QByteArray name, Handler handler);

    void enqueue(QByteArray line, quint64 connection = 0);
    // Takes one message from the head of the queue and runs its handler.
    // Returns false when the queue was empty.
    bool dispatchOne();

    qsizetype pending() const { return qsizetype(m_queue.size()); }
    // True while the dispatch timer is armed; never while the queue is empty.
    bool isScheduled() const { return m_timer.isActive(); }
    void clear() { m_queue.clear(); }

private:
    void schedule();
    void handle(const QueuedMessage &message);

    std::deque<QueuedMessage> m_queue;
    std::vector<std::pair<QByteArray, Handler>> m_commands;
    QTimer m_timer;
    bool m_busy = false; // a handler is running (it may open a nested event loop)
};
