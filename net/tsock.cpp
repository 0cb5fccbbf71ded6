#include "net/tsock.h"

#include "base/errordisplay.h"

#include <QHash>
#include <QHostInfo>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <netdb.h>

namespace {

quint64 nextSerial()
{
    static quint64 serial = 0;
    return ++serial;
}

QHash<QString, QHostAddress> &hostCache()
{
    static QHash<QString, QHostAddress> cache;
    return cache;
}

// The Windows Sockets numbers and names that peers and players know these
// failures by.
QString describeError(QAbstractSocket::SocketError error)
{
    struct Known { QAbstractSocket::SocketError error; int code; const char *name; };
    static const Known known[] = {
        {QAbstractSocket::ConnectionRefusedError, 10061, "WSAECONNREFUSED"},
        {QAbstractSocket::HostNotFoundError, 11001, "WSAHOST_NOT_FOUND"},
        {QAbstractSocket::SocketAccessError, 10013, "WSAEACCES"},
        {QAbstractSocket::SocketResourceError, 10055, "WSAENOBUFS"},
        {QAbstractSocket::SocketTimeoutError, 10060, "WSAETIMEDOUT"},
        {QAbstractSocket::NetworkError, 10050, "WSAENETDOWN"},
        {QAbstractSocket::AddressInUseError, 10048, "WSAEADDRINUSE"},
        {QAbstractSocket::SocketAddressNotAvailableError, 10049, "WSAEADDRNOTAVAIL"},
        {QAbstractSocket::UnsupportedSocketOperationError, 10045, "WSAEOPNOTSUPP"},
        {QAbstractSocket::TemporaryError, 10035, "WSAEWOULDBLOCK"},
    };
    for (const Known &k : known) {
        if (k.error == error)
            return QStringLiteral("Error #%1 (%2)").arg(k.code).arg(QLatin1String(k.name));
    }
    return QStringLiteral("Error #%1 (UNKNOWN ERROR)").arg(10000 + int(error));
}

// Game messages are a few bytes each and often come in bursts (a deal, then
// the turn); waiting to coalesce them would stall each burst on the peer's
// delayed acknowledgement.
void disableNagle(QTcpSocket *socket)
{
    if (socket)
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

} // namespace

TSock::TSock(QObject *parent) : QObject(parent), m_serial(nextSerial()) {}

TSock::~TSock()
{
    OnConnect = {};
    OnDisconnect = {};
    OnWrite = {};
    OnAccept = {};
    OnRead = {};
    OnInfo = {};
    close();
}

template <typename F>
void TSock::guarded(F &&body)
{
    // Notifications arrive from the event loop, which must not see an
    // exception; whatever a handler raises goes to the error display.
    try {
        body();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void TSock::info(SocketInfo kind, const QString &text)
{
    if (!OnInfo)
        return;
    try {
        OnInfo(this, kind, text);
    } catch (...) {
        throw ESockException(QStringLiteral("Error here"));
    }
}

void TSock::setHostName(const QString &name)
{
    m_hostName = name;
    if (m_connected)
        info(SocketInfo::Lookup, QStringLiteral("Setting HostName While Connected Has No Effect"));
}

void TSock::setPortName(const QString &name)
{
    m_portName = name;
    if (m_connected)
        info(SocketInfo::Lookup, QStringLiteral("Setting PortName While Connected Has No Effect"));
}

quint16 TSock::resolvePort(const QString &portName)
{
    if (!portName.isEmpty() && portName.front().isDigit()) {
        // Leading digits count, as the platform's conversion reads them.
        qsizetype digits = 0;
        while (digits < portName.size() && portName.at(digits).isDigit())
            ++digits;
        bool ok = false;
        const uint port = portName.left(digits).toUInt(&ok);
        if (ok && port <= 65535)
            return quint16(port);
    } else if (!portName.isEmpty()) {
        if (const servent *entry = getservbyname(portName.toLatin1().constData(), "tcp"))
            return ntohs(quint16(entry->s_port));
    }
    throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
}

QHostAddress TSock::resolveHost(const QString &hostName)
{
    const QString host = hostName.trimmed();
    if (!host.isEmpty() && host.front().isDigit()) {
        QHostAddress address;
        if (address.setAddress(host))
            return address;
        throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    }
    const QString key = host.toLower();
    if (const auto cached = hostCache().constFind(key); cached != hostCache().constEnd())
        return *cached;
    if (!host.isEmpty()) {
        const QHostInfo found = QHostInfo::fromName(host);
        QHostAddress chosen;
        for (const QHostAddress &address : found.addresses()) {
            if (chosen.isNull() || (address.protocol() == QAbstractSocket::IPv4Protocol
                                    && chosen.protocol() != QAbstractSocket::IPv4Protocol))
                chosen = address;
        }
        if (found.error() == QHostInfo::NoError && !chosen.isNull()) {
            hostCache().insert(key, chosen);
            return chosen;
        }
    }
    throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
}

void TSock::clearHostCache()
{
    hostCache().clear();
}

void TSock::setListen(bool on)
{
    if (!on) {
        if (m_server) {
            stopListening();
            info(SocketInfo::Listen, QStringLiteral("Listening Stopped"));
        }
        return;
    }
    if (m_socket)
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));
    if (m_server) {
        info(SocketInfo::Listen, QStringLiteral("Listening Already Running"));
        return;
    }
    const quint16 port = resolvePort(m_portName);
    auto *server = new QTcpServer(this);
    server->setListenBacklogSize(5);
    bool listening = server->listen(QHostAddress::Any, port);
    if (!listening && server->serverError() == QAbstractSocket::UnsupportedSocketOperationError)
        listening = server->listen(QHostAddress::AnyIPv4, port); // no IPv6 on this machine
    if (!listening) {
        const auto error = server->serverError();
        delete server;
        if (error == QAbstractSocket::AddressInUseError || error == QAbstractSocket::SocketAccessError
            || error == QAbstractSocket::SocketAddressNotAvailableError)
            throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
        throw ESockException(QStringLiteral("Listen - Error Starting Listen"));
    }
    m_server = server;
    connect(server, &QTcpServer::newConnection, this, [this] {
        guarded([this] {
            if (OnAccept)
                OnAccept(this);
        });
    });
    info(SocketInfo::Listen, QStringLiteral("Listening Started"));
}

quint16 TSock::localPort() const
{
    return m_server ? m_server->serverPort() : (m_socket ? m_socket->localPort() : 0);
}

void TSock::stopListening()
{
    QTcpServer *server = std::exchange(m_server, nullptr);
    server->close();
    server->deleteLater();
}

TSock *TSock::accept(QObject *parent)
{
    if (!m_server)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));
    QTcpSocket *socket = m_server->nextPendingConnection();
    if (!socket) {
        info(SocketInfo::Accept, QStringLiteral("Could Not Accept Connection"));
        return nullptr;
    }
    auto *accepted = new TSock(parent);
    accepted->OnRead = OnRead;
    accepted->OnWrite = OnWrite;
    accepted->OnDisconnect = OnDisconnect;
    accepted->OnInfo = OnInfo;
    accepted->m_portName = m_portName;
    QHostAddress peer = socket->peerAddress();
    bool mapped = false;
    const quint32 v4 = peer.toIPv4Address(&mapped);
    accepted->m_hostName = mapped ? QHostAddress(v4).toString() : peer.toString();
    accepted->adopt(socket);
    accepted->m_connected = true;
    info(SocketInfo::Accept, QStringLiteral("Created New TSock Structure"));
    return accepted;
}

void TSock::open()
{
    if (m_socket || m_server)
        return; // already open: left unchanged
    const quint16 port = resolvePort(m_portName);
    const QHostAddress address = resolveHost(m_hostName);
    auto *socket = new QTcpSocket(this);
    adopt(socket);
    socket->connectToHost(address, port);
}

void TSock::adopt(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setParent(this);
    disableNagle(socket);
    connect(socket, &QTcpSocket::connected, this, &TSock::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &TSock::onReadable);
    connect(socket, &QTcpSocket::disconnected, this, &TSock::onPeerClosed);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) { onError(error); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        guarded([this] {
            if (OnWrite)
                OnWrite(this);
        });
    });
}

void TSock::onConnected()
{
    guarded([this] {
        m_connected = true;
        disableNagle(m_socket);
        info(SocketInfo::Connect, QStringLiteral("Non-Blocking Socket Connected"));
        if (OnConnect)
            OnConnect(this);
    });
}

void TSock::onReadable()
{
    QPointer<TSock> self(this);
    guarded([&] {
        // Qt signals readiness once for everything buffered, so take it all,
        // one receive area at a time.
        while (self && m_socket && m_socket->bytesAvailable() > 0) {
            const QByteArray chunk = m_socket->read(kReceiveArea);
            if (chunk.isEmpty())
                break;
            m_incoming += chunk;
            info(SocketInfo::Receive, QStringLiteral("Non-Blocking Incoming Data"));
            if (self && OnRead)
                OnRead(this, m_incoming.size());
        }
    });
}

void TSock::onPeerClosed()
{
    guarded([this] {
        if (!m_socket)
            return;
        if (OnDisconnect)
            OnDisconnect(this);
        close();
    });
}

void TSock::onError(int error)
{
    // The peer closing (or resetting) the connection arrives as
    // disconnected(); it is not an error of its own.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    guarded([&] { info(SocketInfo::Error, describeError(QAbstractSocket::SocketError(error))); });
}

void TSock::send(QByteArrayView data)
{
    if (m_server)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    if (!m_socket || m_socket->state() == QAbstractSocket::UnconnectedState)
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    m_socket->write(data.data(), data.size());
    info(SocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (m_socket && m_socket->bytesToWrite() > kMaxOutgoing) {
        // Not inside the caller's loop over connections: close on the next pass.
        QMetaObject::invokeMethod(this, [self = QPointer<TSock>(this)] {
            if (self)
                self->close();
        }, Qt::QueuedConnection);
    }
}

QByteArray TSock::receive(qsizetype count)
{
    if (m_server)
        throw ESockException(QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    if (!m_socket && m_incoming.isEmpty())
        throw ESockException(QStringLiteral("Receive - Socket Not Connected"));
    if (count < 0 || count >= m_incoming.size())
        return std::exchange(m_incoming, QByteArray());
    QByteArray part = m_incoming.left(count);
    m_incoming.remove(0, count);
    return part;
}

qint64 TSock::bytesToWrite() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void TSock::close()
{
    if (m_server) {
        stopListening(); // a listener stops silently
        return;
    }
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    m_connected = false;
    if (!socket)
        return;
    socket->disconnect(this);
    // Let what was sent last (a "game is full", say) still go out; the socket
    // object goes away once it has, or after a grace period.
    socket->setParent(nullptr);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(10000, socket, [socket] { socket->abort(); socket->deleteLater(); });
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
    info(SocketInfo::Close, QStringLiteral("Socket Closed"));
}
