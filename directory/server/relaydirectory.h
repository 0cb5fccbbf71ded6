#pragma once

#include "directory/server/directoryserver.h"
#include "directory/server/idlequeue.h"
#include "directory/server/relaylimits.h"

#include <QHash>

#include <unordered_map>

// A game directory with a relay for the tables its probe could not reach
// (listed as relayed). A client asks to join such a table with CMD_dirjoin;
// the directory tells the host over its control connection (CMD_dirrelay,
// with a one-time session and the client's address); the host opens a new
// connection and names the session (CMD_dirrelayhello); from then on the
// two connections are one byte stream, the game's, which neither end tells
// apart from a direct connection.
//
// Bounds: RelayLimits (players per table, tables per client address, bytes
// per second per table); a side whose peer has kMaxBuffered bytes waiting
// is read no further until they went out; a session the host does not
// answer in time, or that carried nothing for the idle time, is closed.
// Each event is one line of the log.
struct RelayOptions
{
    int idleSeconds = 15 * 60;
    int helloTimeoutMs = 10000;
    int bytesPerSecond = RelayLimits::kBytesPerSecond;
};

class RelayDirectory : public DirectoryServer
{
    Q_OBJECT

public:
    // Waiting to go out to one side before the other is read no further.
    static constexpr qsizetype kMaxBuffered = 64 * 1024;
    // What a client may send before its host is there.
    static constexpr qsizetype kMaxEarly = 4 * 1024;
    static constexpr int kSweepMs = 5000;
    static_assert(kMaxBuffered + SocketPool::kReadChunk < SocketPool::kMaxQueued);

    explicit RelayDirectory(DirectoryOptions options = {}, RelayOptions relay = {}, QObject *parent = nullptr);
    ~RelayDirectory() override;

    // Sessions, those waiting for their host included.
    qsizetype sessions() const { return qsizetype(m_sessions.size()); }
    qint64 relayedBytes() const { return m_relayedBytes; }

protected:
    bool handleOther(quint64 id, const QByteArray &line) override;
    void takeBytes(quint64 id, QByteArrayView bytes) override;
    void connectionEnded(quint64 id) override;
    bool offersRelay() const override { return true; }
    int extraConnections(const AddressLimits::Key &key) const override { return m_hostConnections.value(key); }

private:
    enum Side { Client = 0, Host = 1 };
    struct End
    {
        quint64 connection = 0;
        bool waiting = false;     // its peer has too much to take
        bool throttled = false;   // the table's bytes per second are spent
    };
    struct Session
    {
        QByteArray token;
        QByteArray code;
        quint64 table = 0;        // the host's control connection
        AddressLimits::Key clientKey;
        AddressLimits::Key hostKey;
        QString client;           // its address, for the log
        End ends[2];
        QByteArray early;         // the client's bytes before the host came
        qint64 bytes = 0;
        bool capLogged = false;
    };

    void join(quint64 id, QByteArrayView typed);
    void hello(quint64 id, const QByteArray &token);
    void refuse(quint64 id, const QString &subject, const QByteArray &reason);
    void forward(quint64 serial, Session &session, Side from, QByteArrayView bytes);
    void updateReading(const End &end);
    void drained(quint64 id);
    // Closes both sides and forgets the session; the client hears reason
    // when its host never came.
    void end(quint64 serial, const QString &why);
    void sweep();
    QString subject(const Session &session) const;

    RelayOptions m_options;
    RelayLimits m_limits;
    std::unordered_map<quint64, Session> m_sessions;
    QHash<QByteArray, quint64> m_byToken;          // sessions waiting for their host
    QHash<quint64, quint64> m_byConnection;        // either side's connection
    QHash<AddressLimits::Key, int> m_hostConnections;
    IdleQueue m_idle;
    QTimer m_sweep;
    quint64 m_nextSerial = 1;
    qint64 m_relayedBytes = 0;
};
