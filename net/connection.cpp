#include "net/connection.h"

#include "net/tsock.h"

Connection::Connection(Dispatcher *queue, QObject *parent) : Connection(new TSock, queue, parent)
{
}

Connection::Connection(TSock *accepted, Dispatcher *queue, QObject *parent)
    : QObject(parent), m_queue(queue), m_sock(accepted), m_id(accepted->serial())
{
    m_sock->setParent(this);
    attach();
}

Connection::~Connection()
{
    // The socket goes with us; nothing it reports may reach the queue now.
    m_ended = true;
    m_sock->OnRead = {};
    m_sock->OnInfo = {};
    m_sock->OnDisconnect = {};
    m_sock->OnConnect = {};
    m_sock->OnConnectFailed = {};
}

void Connection::attach()
{
    m_sock->OnRead = [this](TSock *, qsizetype) { onRead(); };
    m_sock->OnConnect = [this](TSock *) { emit connected(); };
    m_sock->OnConnectFailed = [this](TSock *, const QString &reason) { emit connectFailed(reason); };
    m_sock->OnInfo = [this](TSock *, SocketInfo kind, const QString &text) {
        emit info(kind, text);
        // Every close passes here: the peer's, ours, or an abort for not
        // reading. What arrived before it is handled first.
        if (kind == SocketInfo::Close) {
            m_peerGone = true;
            pump();
        }
    };
    connect(m_queue, &Dispatcher::drained, this, [this](quint64 connection) {
        if (connection == m_id)
            pump();
    });
}

bool Connection::isConnected() const
{
    return !m_ended && m_sock->isConnected();
}

qint64 Connection::bufferedBytes() const
{
    return m_buffer.heldBytes() + m_sock->bytesAvailable();
}

void Connection::open(const QString &host, const QString &port)
{
    m_sock->setHostName(host);
    m_sock->setPortName(port);
    m_sock->open();
}

void Connection::send(QByteArrayView message)
{
    m_sock->send(message);
}

void Connection::close()
{
    m_sock->close();
}

void Connection::abort()
{
    m_sock->abort();
}

void Connection::onRead()
{
    if (m_ended)
        return;
    m_buffer.add(m_sock->receive());
    pump();
}

void Connection::pump()
{
    if (m_ended)
        return;
    while (!m_queue->isBacklogged(m_id)) {
        std::optional<QByteArray> message = m_buffer.next();
        if (!message) {
            if (m_buffer.overflowed()) {
                // Not our protocol: what it sent so far stays valid.
                m_buffer.clear();
                if (!m_peerGone)
                    m_sock->abort();
                m_peerGone = true;
            }
            // All received is queued: read on, or report the end.
            if (m_peerGone)
                endOnce();
            else
                m_sock->setReadPaused(false);
            return;
        }
        if (!message->isEmpty())
            m_queue->enqueue(std::move(*message), m_id);
    }
    m_sock->setReadPaused(true); // until the queue has room again
}

void Connection::endOnce()
{
    if (std::exchange(m_ended, true))
        return;
    m_queue->enqueueEnd(m_id);
}
