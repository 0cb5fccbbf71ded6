#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <stdexcept>

class QTcpServer;
class QTcpSocket;

// An operation on a socket that cannot be done; the text says which.
class ESockException : public std::runtime_error
{
public:
    explicit ESockException(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

enum class SocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };

// The program's TCP socket component: a listener, an accepted connection or
// an outgoing connection, always non-blocking, with its notifications turned
// into events on the event loop's thread. Events are plain callables, so an
// accepted connection can take over the handlers of its listener.
class TSock : public QObject
{
    Q_OBJECT

public:
    // One platform read per readable notification takes at most this much.
    static constexpr qsizetype kReceiveArea = 32768;
    // A peer that stops reading while this much waits to go out is aborted:
    // its unsent data would otherwise grow without bound.
    static constexpr qint64 kMaxOutgoing = 1024 * 1024;
    // What all closed sockets still flushing their last words may hold
    // together; a close beyond it drops its unsent data at once.
    static constexpr qint64 kMaxLingering = 4 * 1024 * 1024;

    explicit TSock(QObject *parent = nullptr);
    ~TSock() override;   // closes quietly: the owner's handlers no longer run

    QString hostName() const { return m_hostName; }
    void setHostName(const QString &name);
    QString portName() const { return m_portName; }
    void setPortName(const QString &name);

    bool isListening() const { return m_server != nullptr; }
    void setListen(bool on);
    // Where a listener listens: every address unless told otherwise.
    void setListenAddress(const QHostAddress &address) { m_listenAddress = address; }
    quint16 localPort() const;   // the port a listener is bound to

    bool isConnected() const { return m_connected; }
    bool isOpen() const { return m_socket != nullptr || m_server != nullptr; }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // Unique for every socket object of the run: names the connection a
    // queued message came from.
    quint64 serial() const { return m_serial; }

    // Starts a non-blocking connect. A dotted address or a remembered name
    // connects at once; any other name is looked up in the background, and
    // a failed lookup is reported through OnConnectFailed.
    void open();
    void close();
    // Closes at once, dropping whatever has not gone out yet.
    void abort();
    // While paused nothing more is read; the platform's buffers fill and the
    // peer is slowed down. Resuming picks up what waits.
    void setReadPaused(bool paused);
    bool isReadPaused() const { return m_readPaused; }
    void send(QByteArrayView data);
    QByteArray receive(qsizetype count = -1);
    // Takes a pending connection of a listener into a new socket owned by
    // parent; nullptr when there is none to take.
    TSock *accept(QObject *parent = nullptr);
    qint64 bytesToWrite() const;
    // Bytes received and not taken yet, the platform socket's buffer included.
    qint64 bytesAvailable() const;

    std::function<void(TSock *)> OnConnect;
    std::function<void(TSock *)> OnDisconnect;
    std::function<void(TSock *)> OnWrite;
    std::function<void(TSock *)> OnAccept;
    std::function<void(TSock *, qsizetype available)> OnRead;
    std::function<void(TSock *, SocketInfo, const QString &)> OnInfo;
    // An outgoing connection that never came up: the host was not found,
    // refused, or did not answer. The text says why.
    std::function<void(TSock *, const QString &reason)> OnConnectFailed;

    // Looks a host name up without blocking and calls back with the
    // addresses (none when the name is unknown). Tests swap it for a slow
    // or failing one.
    using HostLookup = std::function<void(const QString &name, QObject *context,
                                          std::function<void(QList<QHostAddress>)> done)>;
    static HostLookup setHostLookup(HostLookup lookup);   // returns the previous one

    // What all closed sockets still flushing their last words hold now.
    static qint64 lingeringBytes();

    // The process-wide cache of looked-up host names.
    static void clearHostCache();

    // Resolution rules of open(): text starting with a digit is a number or a
    // dotted address; anything else a service or host name. resolveHost
    // waits for a name's lookup: never call it on the event loop's thread
    // with a name that is not remembered yet.
    static quint16 resolvePort(const QString &portName);
    static QHostAddress resolveHost(const QString &hostName);

private:
    void adopt(QTcpSocket *socket);
    void info(SocketInfo kind, const QString &text);
    void onConnected();
    void onReadable();
    void onPeerClosed();
    void onError(int error);
    void stopListening();
    void connectTo(const QHostAddress &address, quint16 port);
    void release(bool flush);
    template <typename F> void guarded(F &&body);

    QString m_hostName;
    QString m_portName;
    QHostAddress m_listenAddress = QHostAddress(QHostAddress::Any);
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    QByteArray m_incoming;
    bool m_connected = false;
    bool m_readPaused = false;
    bool m_lookingUp = false;
    quint64 m_lookupSerial = 0;
    int m_tag = 0;
    quint64 m_serial = 0;
};
