#pragma once

#include "net/framing.h"

#include <QObject>
#include <QString>

class TSock;
enum class SocketInfo;

// One peer of the game protocol: its socket and its receive buffer. It
// reports two things, both through its side's queue and in order: every
// complete message it received, and then, once, its end. So a player who
// logs in and leaves at once is still announced by name, and a word sent
// just before a disconnect is still judged.
//
// While more than a dispatcher's allowance of its messages wait, it reads no
// further; the platform then slows the peer down. Empty messages are
// dropped as they arrive: they cost nothing.
class Connection : public QObject
{
    Q_OBJECT

public:
    // An outgoing connection; open() starts it.
    explicit Connection(Dispatcher *queue, QObject *parent = nullptr);
    // Takes over a socket a listener accepted.
    Connection(TSock *accepted, Dispatcher *queue, QObject *parent = nullptr);
    ~Connection() override;   // quietly: no end is reported any more

    TSock *sock() const { return m_sock; }
    // Unique for the run; the queue names the connection a message came from by it.
    quint64 id() const { return m_id; }
    // From the connect (or the accept) until the end was reported.
    bool isConnected() const;
    bool hasEnded() const { return m_ended; }
    // The memory its received bytes take until they are queued as
    // messages: what a flooding peer makes this side hold.
    qint64 bufferedBytes() const;

    void open(const QString &host, const QString &port);
    // Hands the whole message text to the socket. Throws ESockException
    // when the connection is not up.
    void send(QByteArrayView message);
    // Ends the connection, letting what was sent go out; its end follows the
    // messages already received.
    void close();
    // Ends it at once, dropping what was not sent.
    void abort();

signals:
    void connected();
    // The socket layer's information texts, for display only.
    void info(SocketInfo kind, const QString &text);
    // An outgoing connection that never came up, and why.
    void connectFailed(const QString &reason);

private:
    void attach();
    void onRead();
    void pump();
    void endOnce();

    Dispatcher *m_queue;
    TSock *m_sock;
    quint64 m_id;
    FrameBuffer m_buffer;
    bool m_peerGone = false;   // no more bytes will come
    bool m_ended = false;      // the end is in the queue
};
