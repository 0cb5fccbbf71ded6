#pragma once

#include "directory/client/directoryaddress.h"
#include "finder/tableinfo.h"
#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <QObject>
#include <QTimer>

#include <optional>

class Connection;

// A hosting copy's registration with one game directory: one connection,
// kept open while the table is published. Over it the table is registered,
// updated on every change, and a heartbeat goes out every 30 seconds (or as
// often as the directory asks, if that is sooner). The
// directory answers with the table's code, asks for the answer to its
// reachability probe (which the game listener must give, so the registrar
// only passes it on), and says whether the probe came through. A lost or
// refused connection is tried again later, each time twice as late up to
// five minutes, with some randomness so that hosts do not return together.
// A directory that relays the table asks over it for a connection per player:
// openRelay() opens it to the directory and names the session.
class Registrar : public QObject
{
    Q_OBJECT
    Q_MOC_INCLUDE("net/connection.h")

public:
    static constexpr int kHeartbeatMs = 30000;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 5 * 60 * 1000;

    explicit Registrar(const DirectoryAddress &directory, QObject *parent = nullptr);
    ~Registrar() override;

    // Registers the table, or updates it. Address and source are not sent.
    void publish(const TableInfo &table);
    // Ends the registration: the directory drops the table at once.
    void withdraw();
    // The table's way in from the internet changed: the directory probes
    // it again (a directory that does not know the request ignores it).
    void recheck();
    // Opens the connection a relayRequested() asked for, its messages queued
    // on queue: relayOpened() once it named the session, else relayFailed().
    void openRelay(const QByteArray &session, const QHostAddress &peer, Dispatcher *queue);

    const DirectoryAddress &directory() const { return m_directory; }
    bool isConnected() const;
    // The table's code while it is registered, else empty.
    QString code() const { return m_code; }
    msg::Reach reach() const { return m_reach; }

    // For tests: the heartbeat and the retry delays.
    void setHeartbeatInterval(int milliseconds) { m_heartbeatMs = milliseconds; }
    void setRetryDelays(int firstMs, int lastMs);

    static msg::DirTable toMessage(const TableInfo &table);

signals:
    void codeAssigned(const QString &code);
    void reachChecked(msg::Reach reach);
    // The game listener must answer CMD_probe challenge with answer; the
    // directory probes as soon as this signal has returned.
    void probeExpected(const QByteArray &challenge, const QByteArray &answer);
    void refused(const QString &reason);
    // A player at peer joins through the directory's relay: a new
    // connection to the directory must name session first.
    void relayRequested(const QByteArray &session, const QHostAddress &peer);
    // The player's connection through the relay, its host name the player's
    // address as the directory saw it: the game host's to seat and to own.
    void relayOpened(Connection *connection, const QHostAddress &peer);
    void relayFailed(const QHostAddress &peer, const QString &reason);
    // The connection failed or ended; it is tried again.
    void lost(const QString &reason);

private:
    void open();
    void ended();
    void retryLater();
    void received(const QByteArray &line);
    void sendBytes(const QByteArray &bytes);

    DirectoryAddress m_directory;
    Dispatcher m_queue;
    Connection *m_connection = nullptr;
    bool m_up = false;
    std::optional<msg::DirTable> m_table;   // what is published, if anything
    std::optional<msg::DirTable> m_sent;    // what the directory has
    QString m_code;
    msg::Reach m_reach = msg::Reach::Checking;
    QTimer m_heartbeat;
    QTimer m_retry;
    int m_heartbeatMs = kHeartbeatMs;
    int m_firstRetryMs = kFirstRetryMs;
    int m_lastRetryMs = kLastRetryMs;
    int m_nextRetryMs = kFirstRetryMs;
};
