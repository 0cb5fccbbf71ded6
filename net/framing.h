#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace wire {
// Ends every message; it never occurs inside one.
inline constexpr char kTerminator = char(0xFF);
} // namespace wire

// One connection's receive buffer: bytes that arrived and have not been
// handed on as messages yet.
class FrameBuffer
{
public:
    // A peer that sends this much without a terminator is not speaking our
    // protocol; holding more would let it exhaust the host's memory.
    static constexpr qsizetype kMaxUnterminated = 64 * 1024;

    void add(QByteArrayView bytes) { m_pending.append(bytes); }
    // The next complete message (the text before the next 0xFF), if one
    // has arrived whole.
    std::optional<QByteArray> next();
    // True when the bytes after the last terminator grew past
    // kMaxUnterminated; only meaningful once next() found no message.
    bool overflowed() const { return pendingSize() > kMaxUnterminated; }

    // Appends what arrived and hands every complete message to deliver, in
    // order. Returns false, and forgets the unterminated tail, when that
    // tail grew past kMaxUnterminated; the caller then closes the connection.
    bool append(QByteArrayView bytes, const std::function<void(QByteArray)> &deliver);

    qsizetype pendingSize() const { return m_pending.size() - m_start; }
    // What arrived after the last message handed on, taken out: the bytes
    // of a connection that stops speaking in messages (a relayed one).
    QByteArray takePending();
    // The memory it holds, what was handed on but not dropped yet included.
    qsizetype heldBytes() const { return m_pending.capacity(); }
    void clear();

private:
    QByteArray m_pending;
    qsizetype m_start = 0;     // where the next message begins
    qsizetype m_scanned = 0;   // bytes from m_start on known to hold no terminator
};

struct QueuedMessage
{
    QByteArray line;          // the message without its terminator
    quint64 connection = 0;   // which connection it came from (0: unknown)
    bool end = false;         // not a message: the connection has ended
};

// The receive queue of one side and its dispatch. Connections only append;
// messages are handled on later passes of the event loop, never inside a
// read event, in arrival order: as many as wait, up to a budget per pass,
// so that a burst costs one wake-up and its replies leave together. The end
// of a connection travels through the same queue, behind the messages it
// sent before it ended. The timer runs only while messages wait, so an idle
// game costs no CPU.
class Dispatcher : public QObject
{
    Q_OBJECT

public:
    // Takes every message line in turn (its command and payload) and the
    // connection it came from.
    using Handler = std::function<void(const QByteArray &line, quint64 connection)>;

    // One pass handles at most this many messages, or runs this long, then
    // lets the event loop breathe.
    static constexpr int kBatchMessages = 256;
    static constexpr qint64 kBatchNanoseconds = 1'000'000;
    // A connection with this many messages waiting is read no further until
    // half of them are handled.
    static constexpr int kMaxQueuedPerConnection = 256;

    explicit Dispatcher(QObject *parent = nullptr);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    const Handler &handler() const { return m_handler; }
    // Called when a connection's end comes to the head of the queue.
    void setEndHandler(std::function<void(quint64 connection)> handler) { m_endHandler = std::move(handler); }

    void enqueue(QByteArray line, quint64 connection = 0);
    void enqueueEnd(quint64 connection);
    // Handles one queued item. Returns false when the queue was empty or a
    // handler is still running.
    bool dispatchOne();
    // Handles what waits, up to the budget of one pass.
    void dispatchBatch();

    qsizetype pending() const { return qsizetype(m_queue.size()); }
    int pendingFrom(quint64 connection) const { return m_pendingBy.value(connection); }
    bool isBacklogged(quint64 connection) const { return pendingFrom(connection) >= kMaxQueuedPerConnection; }
    // True while the dispatch timer is armed; never while the queue is empty.
    bool isScheduled() const { return m_timer.isActive(); }
    void clear();

signals:
    // A backlogged connection has room again.
    void drained(quint64 connection);

private:
    void schedule();
    void take(QueuedMessage &message);
    void handle(const QueuedMessage &message);

    std::deque<QueuedMessage> m_queue;
    QHash<quint64, int> m_pendingBy;
    Handler m_handler;
    std::function<void(quint64)> m_endHandler;
    QTimer m_timer;
    bool m_busy = false; // a handler is running (it may open a nested event loop)
};
