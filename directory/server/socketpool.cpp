#include "directory/server/socketpool.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The listener's id in the epoll set; connections count from 1.
constexpr quint64 kListenerId = 0;
constexpr int kAcceptsPerPass = 64;
constexpr int kAcceptPauseMs = 1000;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

SocketPool::SocketPool(QObject *parent) : QObject(parent)
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0) {
        m_error = systemError("epoll");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_epoll, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SocketPool::onReady);
}

SocketPool::~SocketPool()
{
    m_notifier.reset();
    for (auto &[id, socket] : m_sockets)
        ::close(socket.fd);
    if (m_listener >= 0)
        ::close(m_listener);
    if (m_epoll >= 0)
        ::close(m_epoll);
}

bool SocketPool::listen(const QHostAddress &address, quint16 port)
{
    if (m_epoll < 0)
        return false;
    sockaddr_storage where = {};
    socklen_t length = 0;
    const bool any = address == QHostAddress(QHostAddress::Any);
    int fd = -1;
    if (any || address.protocol() == QAbstractSocket::IPv6Protocol) {
        fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd >= 0) {
            auto *v6 = reinterpret_cast<sockaddr_in6 *>(&where);
            v6->sin6_family = AF_INET6;
            v6->sin6_port = htons(port);
            const Q_IPV6ADDR bytes = any ? QHostAddress(QHostAddress::AnyIPv6).toIPv6Address() : address.toIPv6Address();
            std::memcpy(&v6->sin6_addr, &bytes, sizeof bytes);
            length = sizeof *v6;
            const int dualStack = any ? 0 : 1;
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &dualStack, sizeof dualStack);
        }
    }
    if (fd < 0 && (any || address.protocol() == QAbstractSocket::IPv4Protocol)) {
        // No IPv6 on this system: IPv4 alone.
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        auto *v4 = reinterpret_cast<sockaddr_in *>(&where);
        *v4 = {};
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        v4->sin_addr.s_addr = htonl(any ? INADDR_ANY : address.toIPv4Address());
        length = sizeof *v4;
    }
    if (fd < 0) {
        m_error = systemError("socket");
        return false;
    }
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&where), length) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        m_error = systemError("listen");
        ::close(fd);
        return false;
    }
    sockaddr_storage bound = {};
    socklen_t boundLength = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &boundLength);
    m_port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port
                                                : reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
    m_listener = fd;
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.u64 = kListenerId;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listener, &event);
    return true;
}

void SocketPool::onReady()
{
    epoll_event events[kEventsPerPass];
    const int count = ::epoll_wait(m_epoll, events, kEventsPerPass, 0);
    for (int i = 0; i < count; ++i) {
        const quint64 id = events[i].data.u64;
        if (id == kListenerId) {
            acceptPending();
            continue;
        }
        // A callback may have closed it since the wait.
        if (!isOpen(id))
            continue;
        if (events[i].events & EPOLLOUT)
            writeTo(id);
        if (isOpen(id) && (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR | EPOLLRDHUP)))
            readFrom(id);
    }
}

void SocketPool::acceptPending()
{
    for (int n = 0; n < kAcceptsPerPass; ++n) {
        sockaddr_storage peer = {};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(m_listener, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                pauseAccepting();
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const quint64 id = m_nextId++;
        Socket &socket = m_sockets[id];
        socket.fd = fd;
        watch(id, socket, EPOLL_CTL_ADD, false);
        if (onOpened)
            onOpened(id, QHostAddress(reinterpret_cast<sockaddr *>(&peer)));
    }
}

void SocketPool::pauseAccepting()
{
    // Out of descriptors: the pending connection would wake us at once, again
    // and again. Listen again in a while, when some have closed.
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, m_listener, nullptr);
    QTimer::singleShot(kAcceptPauseMs, this, [this] {
        epoll_event event = {};
        event.events = EPOLLIN;
        event.data.u64 = kListenerId;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listener, &event);
    });
}

void SocketPool::readFrom(quint64 id)
{
    static char buffer[kReadChunk];
    const int fd = m_sockets.at(id).fd;
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got > 0) {
        if (onReceived)
            onReceived(id, QByteArrayView(buffer, got));
        return;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    forget(id, false);
    if (onClosed)
        onClosed(id);
}

void SocketPool::writeTo(quint64 id)
{
    Socket &socket = m_sockets.at(id);
    if (!flush(id, socket)) {
        ::shutdown(socket.fd, SHUT_RDWR);   // the read that follows reports the end
        return;
    }
    if (socket.out.isEmpty() && onDrained)
        onDrained(id);
}

qsizetype SocketPool::queued(quint64 id) const
{
    const auto found = m_sockets.find(id);
    return found == m_sockets.end() ? 0 : found->second.out.size() - found->second.outStart;
}

void SocketPool::setReadPaused(quint64 id, bool paused)
{
    const auto found = m_sockets.find(id);
    if (found == m_sockets.end() || found->second.readPaused == paused)
        return;
    found->second.readPaused = paused;
    watch(id, found->second, EPOLL_CTL_MOD, found->second.watchingWrite);
}

bool SocketPool::send(quint64 id, QByteArrayView bytes)
{
    const auto found = m_sockets.find(id);
    if (found == m_sockets.end())
        return false;
    Socket &socket = found->second;
    if (socket.out.size() - socket.outStart + bytes.size() > kMaxQueued) {
        // It does not read: end it; its end comes as a read, not from here.
        socket.out.clear();
        socket.outStart = 0;
        ::shutdown(socket.fd, SHUT_RDWR);
        return false;
    }
    socket.out.append(bytes);
    if (!flush(id, socket)) {
        ::shutdown(socket.fd, SHUT_RDWR);
        return false;
    }
    return true;
}

bool SocketPool::flush(quint64 id, Socket &socket)
{
    while (socket.outStart < socket.out.size()) {
        const ssize_t sent = ::send(socket.fd, socket.out.constData() + socket.outStart,
                                    size_t(socket.out.size() - socket.outStart), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!socket.watchingWrite)
                    watch(id, socket, EPOLL_CTL_MOD, true);
                return true;
            }
            socket.out.clear();
            socket.outStart = 0;
            return false;
        }
        socket.outStart += sent;
    }
    socket.out.clear();
    socket.outStart = 0;
    if (socket.watchingWrite)
        watch(id, socket, EPOLL_CTL_MOD, false);
    return true;
}

void SocketPool::watch(quint64 id, Socket &socket, int operation, bool write)
{
    epoll_event event = {};
    // A paused socket still reports a hang-up or an error, which a read picks up.
    event.events = (socket.readPaused ? 0u : quint32(EPOLLIN | EPOLLRDHUP)) | (write ? quint32(EPOLLOUT) : 0u);
    event.data.u64 = id;
    ::epoll_ctl(m_epoll, operation, socket.fd, &event);
    socket.watchingWrite = write;
}

void SocketPool::close(quint64 id)
{
    const auto found = m_sockets.find(id);
    if (found == m_sockets.end())
        return;
    flush(id, found->second);
    forget(id, false);
}

void SocketPool::abort(quint64 id)
{
    forget(id, true);
}

void SocketPool::forget(quint64 id, bool reset)
{
    const auto found = m_sockets.find(id);
    if (found == m_sockets.end())
        return;
    if (reset) {
        const linger now = {1, 0};
        ::setsockopt(found->second.fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    }
    // Closing takes it out of the epoll set as well.
    ::close(found->second.fd);
    m_sockets.erase(found);
}
