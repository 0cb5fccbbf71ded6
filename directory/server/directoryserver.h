#pragma once

#include "directory/server/addresslimits.h"
#include "directory/server/codeallocator.h"
#include "directory/server/idlequeue.h"
#include "directory/server/prober.h"
#include "directory/server/registry.h"
#include "directory/server/socketpool.h"
#include "net/framing.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <unordered_map>

// The game directory: hosts keep a connection to it and register their
// table over it, clients list the tables or resolve a code (the messages in
// protocol/directorymessages.h). Every registered table gets a code and is
// probed: listed as direct only once its game port answered from the
// address the directory sees. A table ends with its connection, or when the
// connection has been silent for the expiry time; a connection that lists
// and goes quiet is closed the same way.
//
// Against abuse, per address (see AddressLimits): connections, tables and
// messages are counted; a message longer than kMaxMessage, or bytes that
// are not messages of the game's framing, close the connection; names are
// cleaned and cut as a finder cleans them and must pass the rack words'
// filter; the address a table is listed under is always its connection's.
// Whoever breaks a limit is disconnected, and that is logged once.
//
// A service built on the directory (a relay for tables nobody can reach)
// derives from it: it sees each message first and takes its own, may
// take a connection over (from then on its bytes are the service's, not
// messages, and the expiry leaves it alone), and hears when a connection
// ends; the host's control connection is the one that registered the table
// (tableConnection). A directory that offers the relay lists a table its
// probe did not reach as relayed rather than unreachable.
struct DirectoryOptions
{
    int expirySeconds = 90;
    AddressAllowance allowance;
    int probeTimeoutMs = Prober::kTimeoutMs;
};

class DirectoryServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 7773;
    // How often a host is asked to send a heartbeat, at most.
    static constexpr int kHeartbeatSeconds = 30;
    // No message of the protocol comes near this.
    static constexpr qsizetype kMaxMessage = 512;
    // A host that asks for another probe gets one this often at most.
    static constexpr int kRecheckMs = 10000;
    // A table whose port says "full" is probed again this often, this many times.
    static constexpr int kFullRetryMs = 30000;
    static constexpr int kFullRetries = 3;

    using Options = DirectoryOptions;

    explicit DirectoryServer(Options options = {}, QObject *parent = nullptr);
    ~DirectoryServer() override;

    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_pool.errorString(); }
    quint16 serverPort() const { return m_pool.serverPort(); }

    const Registry &registry() const { return m_registry; }
    qsizetype connections() const { return qsizetype(m_peers.size()); }

signals:
    // One event, in a line of its own; names may hold any character.
    void logLine(const QString &line);

protected:
    // A framed message, before the directory reads it; true when it was the
    // extension's (it counts against the sender like any other).
    virtual bool handleOther(quint64 id, const QByteArray &line)
    {
        Q_UNUSED(id);
        Q_UNUSED(line);
        return false;
    }
    // Bytes of a connection taken over (takeOver), as they come.
    virtual void takeBytes(quint64 id, QByteArrayView bytes)
    {
        Q_UNUSED(id);
        Q_UNUSED(bytes);
    }
    // The connection is gone, its table (if any) with it.
    virtual void connectionEnded(quint64 id) { Q_UNUSED(id); }
    virtual bool offersRelay() const { return false; }
    // Connections an address may open beyond its allowance (a relayed
    // table's host opens one per player).
    virtual int extraConnections(const AddressLimits::Key &key) const
    {
        Q_UNUSED(key);
        return 0;
    }

    // From now on the connection's bytes go to takeBytes, those that came
    // after its last message first.
    void takeOver(quint64 id);
    // The address the connection came from; null when it is not open.
    QHostAddress peerAddress(quint64 id) const;
    qint64 now() const { return m_clock.elapsed(); }

    // The connection that registered the table with this code, or 0.
    quint64 tableConnection(QByteArrayView code) const;
    bool sendBytes(quint64 id, QByteArrayView bytes) { return m_pool.send(id, bytes); }
    template <typename Message>
    void send(quint64 id, const Message &message) { m_pool.send(id, msg::encode(message)); }
    // Closes the connection, and its table goes.
    void drop(quint64 id, const QString &reason);
    void log(const QString &line) { emit logLine(line); }
    SocketPool &pool() { return m_pool; }

private:
    struct Peer
    {
        AddressLimits::Key key;
        QHostAddress address;
        FrameBuffer in;
        bool hasTable = false;
        QByteArray challenge;    // sent, and not acknowledged yet
        QByteArray answer;
        int fullRetries = 0;
        qint64 recheckedMs = -kRecheckMs;
        bool taken = false;      // its bytes are the extension's
    };

    void opened(quint64 id, const QHostAddress &address);
    void received(quint64 id, QByteArrayView bytes);
    void handle(quint64 id, Peer &peer, const QByteArray &line);
    void registerTable(quint64 id, Peer &peer, msg::DirTable table);
    void askForProbe(quint64 id, Peer &peer);
    void probed(quint64 id, Prober::Outcome outcome);
    void resolve(quint64 id, QByteArrayView typed);
    // Forgets a connection that is closed already.
    void release(quint64 id, const QString &reason);
    // Breaking a limit: logged once per address, then the connection goes.
    void breach(quint64 id, AddressLimits::Limit limit);
    void armExpiry();
    void expire();

    Options m_options;
    SocketPool m_pool;
    AddressLimits m_limits;
    CodeAllocator m_codes;
    Registry m_registry{&m_codes};
    IdleQueue m_idle;
    Prober m_prober;
    QTimer m_expiry;
    QElapsedTimer m_clock;
    std::unordered_map<quint64, Peer> m_peers;
};
