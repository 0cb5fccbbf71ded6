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

TSock::HostLookup &hostLookup()
{
    static TSock::HostLookup lookup = [](const QString &name, QObject *context,
                                         std::function<void(QList<QHostAddress>)> done) {
        QHostInfo::lookupHost(name, context, [done = std::move(done)](const QHostInfo &found) {
            done(found.error() == QHostInfo::NoError ? found.addresses() : QList<QHostAddress>());
        });
    };
    return lookup;
}

// IPv4 first: it is what the players' addresses are written in.
QHostAddress chooseAddress(const QList<QHostAddress> &addresses)
{
    QHostAddress chosen;
    for (const QHostAddress &address : addresses) {
        if (chosen.isNull() || (address.protocol() == QAbstractSocket::IPv4Protocol
                                && chosen.protocol() != QAbstractSocket::IPv4Protocol))
            chosen = address;
    }
    return chosen;
}

const QString kHostNotFound = QStringLiteral("Host Lookup - Could Not Find Host Entry");

// A connect that the peer never answers gives up after this long.
constexpr int kConnectTimeoutMs = 15000;

// Why an outgoing connection did not come up, in words a player reads.
QString connectFailure(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the connection was refused");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("the host was not found");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("the host did not answer (timed out)");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("the network is unreachable");
    default:
        return QStringLiteral("the connection failed");
    }
}

// Closed sockets that still flush their last words, and what they hold.
QList<QPointer<QTcpSocket>> &lingering()
{
    static QList<QPointer<QTcpSocket>> sockets;
    return sockets;
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
    OnConnectFailed = {};
    close();
}

TSock::HostLookup TSock::setHostLookup(HostLookup lookup)
{
    return std::exchange(hostLookup(), std::move(lookup));
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
        throw ESockException(kHostNotFound);
    }
    const QString key = host.toLower();
    if (const auto cached = hostCache().constFind(key); cached != hostCache().constEnd())
        return *cached;
    if (!host.isEmpty()) {
        const QHostInfo found = QHostInfo::fromName(host);
        const QHostAddress chosen = chooseAddress(found.addresses());
        if (found.error() == QHostInfo::NoError && !chosen.isNull()) {
            hostCache().insert(key, chosen);
            return chosen;
        }
    }
    throw ESockException(kHostNotFound);
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
    bool listening = server->listen(m_listenAddress, port);
    if (!listening && m_listenAddress == QHostAddress(QHostAddress::Any)
        && server->serverError() == QAbstractSocket::UnsupportedSocketOperationError)
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
    if (m_socket || m_server || m_lookingUp)
        return; // already open: left unchanged
    const quint16 port = resolvePort(m_portName);
    const QString host = m_hostName.trimmed();
    // Dotted addresses and remembered names need no lookup.
    if (host.isEmpty() || host.front().isDigit() || hostCache().contains(host.toLower())) {
        connectTo(resolveHost(host), port);
        return;
    }
    m_lookingUp = true;
    const quint64 lookup = ++m_lookupSerial;
    hostLookup()(host, this, [this, host, port, lookup](const QList<QHostAddress> &found) {
        if (!m_lookingUp || lookup != m_lookupSerial)
            return; // closed meanwhile
        m_lookingUp = false;
        guarded([&] {
            const QHostAddress chosen = chooseAddress(found);
            if (chosen.isNull()) {
                if (OnConnectFailed)
                    OnConnectFailed(this, connectFailure(QAbstractSocket::HostNotFoundError));
                // As a lookup that could be answered at once would have
                // raised it: the error display shows it.
                throw ESockException(kHostNotFound);
            }
            hostCache().insert(host.toLower(), chosen);
            connectTo(chosen, port);
        });
    });
}

void TSock::connectTo(const QHostAddress &address, quint16 port)
{
    auto *socket = new QTcpSocket(this);
    adopt(socket);
    socket->connectToHost(address, port);
    QTimer::singleShot(kConnectTimeoutMs, socket, [self = QPointer<TSock>(this), socket] {
        if (self && self->m_socket == socket && !self->m_connected)
            self->onError(QAbstractSocket::SocketTimeoutError);
    });
}

void TSock::adopt(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setParent(this);
    // One notification brings at most one receive area; a paused reader
    // then holds no more than that.
    socket->setReadBufferSize(kReceiveArea);
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
        while (self && m_socket && !m_readPaused && m_socket->bytesAvailable() > 0) {
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

void TSock::setReadPaused(bool paused)
{
    if (m_readPaused == paused)
        return;
    m_readPaused = paused;
    // What arrived while paused raises no new notification: fetch it.
    if (!paused)
        QMetaObject::invokeMethod(this, &TSock::onReadable, Qt::QueuedConnection);
}

void TSock::onPeerClosed()
{
    guarded([this] {
        if (!m_socket)
            return;
        // The last bytes the peer sent are taken before the socket goes,
        // paused or not: its owner decides how fast to handle them.
        const QByteArray rest = m_socket->readAll();
        if (!rest.isEmpty()) {
            m_incoming += rest;
            QPointer<TSock> self(this);
            if (OnRead)
                OnRead(this, m_incoming.size());
            if (!self || !m_socket)
                return;
        }
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
    const auto socketError = QAbstractSocket::SocketError(error);
    guarded([&] {
        info(SocketInfo::Error, describeError(socketError));
        // An outgoing connect that failed: nothing will come of this socket.
        if (m_socket && !m_connected && !m_server) {
            QTcpSocket *socket = std::exchange(m_socket, nullptr);
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
            if (OnConnectFailed)
                OnConnectFailed(this, connectFailure(socketError));
        }
    });
}

void TSock::send(QByteArrayView data)
{
    if (m_server)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    if (!m_socket || m_socket->state() == QAbstractSocket::UnconnectedState)
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    m_socket->write(data.data(), data.size());
    info(SocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (m_socket && m_socket->bytesToWrite() > kMaxOutgoing)
        abort(); // a peer that does not read gets nothing more
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

qint64 TSock::bytesAvailable() const
{
    return m_incoming.size() + (m_socket ? m_socket->bytesAvailable() : 0);
}

qint64 TSock::lingeringBytes()
{
    qint64 total = 0;
    auto &sockets = lingering();
    sockets.removeIf([](const QPointer<QTcpSocket> &socket) { return socket.isNull(); });
    for (const QPointer<QTcpSocket> &socket : sockets)
        total += socket->bytesToWrite();
    return total;
}

void TSock::close()
{
    release(true);
}

void TSock::abort()
{
    release(false);
}

void TSock::release(bool flush)
{
    m_lookingUp = false;
    if (m_server) {
        stopListening(); // a listener stops silently
        return;
    }
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    m_connected = false;
    if (!socket)
        return;
    socket->disconnect(this);
    socket->setParent(nullptr);
    const qint64 unsent = socket->bytesToWrite();
    if (!flush || (unsent > 0 && lingeringBytes() + unsent > kMaxLingering)) {
        socket->abort();
        socket->deleteLater();
    } else {
        // Let what was sent last (a "game is full", say) still go out; the
        // socket object goes away once it has, or after a grace period.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(10000, socket, [socket] { socket->abort(); socket->deleteLater(); });
        socket->disconnectFromHost();
        if (socket->state() == QAbstractSocket::UnconnectedState)
            socket->deleteLater();
        else if (unsent > 0)
            lingering().append(socket);
    }
    info(SocketInfo::Close, QStringLiteral("Socket Closed"));
}
