#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QObject>

#include <functional>
#include <memory>
#include <unordered_map>

class QSocketNotifier;

// A listener and the many TCP connections it accepted, on one epoll set that
// the event loop watches through a single notifier. A directory holds tens of
// thousands of mostly silent connections; the toolkit's own sockets would
// each add a notifier that every wake-up of the event loop polls, which at
// that count costs more than the messages themselves. Here a wake-up costs
// what is ready, nothing more.
//
// The callbacks run on the event loop's thread; any of them may send,
// close or abort any connection, the one it is told about included.
class SocketPool : public QObject
{
    Q_OBJECT

public:
    // One read takes at most this much.
    static constexpr qsizetype kReadChunk = 16 * 1024;
    // A peer that leaves this much unread is cut off.
    static constexpr qsizetype kMaxQueued = 256 * 1024;
    // Ready sockets handled per wake-up; the rest wait for the next.
    static constexpr int kEventsPerPass = 256;

    explicit SocketPool(QObject *parent = nullptr);
    ~SocketPool() override;

    // Any: both IPv4 and IPv6 where the system has both.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_error; }
    quint16 serverPort() const { return m_port; }

    // Queues bytes for the connection; false when it is not open.
    bool send(quint64 id, QByteArrayView bytes);
    // Hands what is queued to the system, which still delivers it, and closes.
    void close(quint64 id);
    // Closes at once with a reset.
    void abort(quint64 id);
    bool isOpen(quint64 id) const { return m_sockets.count(id) != 0; }
    // What waits to go out to the connection.
    qsizetype queued(quint64 id) const;
    // While paused nothing more is read from it; the system's buffers fill
    // and the peer is slowed down.
    void setReadPaused(quint64 id, bool paused);
    qsizetype size() const { return qsizetype(m_sockets.size()); }

    // A connection was accepted from peer.
    std::function<void(quint64 id, const QHostAddress &peer)> onOpened;
    std::function<void(quint64 id, QByteArrayView bytes)> onReceived;
    // The peer closed it, or it failed; never for close() or abort().
    std::function<void(quint64 id)> onClosed;
    // Everything queued for it went out, after some had to wait.
    std::function<void(quint64 id)> onDrained;

private:
    struct Socket
    {
        int fd = -1;
        QByteArray out;
        qsizetype outStart = 0;
        bool watchingWrite = false;
        bool readPaused = false;
    };

    void onReady();
    void acceptPending();
    void pauseAccepting();
    void readFrom(quint64 id);
    void writeTo(quint64 id);
    // Sends what is queued; false when the connection failed.
    bool flush(quint64 id, Socket &socket);
    void watch(quint64 id, Socket &socket, int operation, bool write);
    void forget(quint64 id, bool reset);

    int m_epoll = -1;
    int m_listener = -1;
    quint16 m_port = 0;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unordered_map<quint64, Socket> m_sockets;
    quint64 m_nextId = 1;
};
