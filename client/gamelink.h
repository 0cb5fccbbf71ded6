#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class Connection;
class Dispatcher;
class GameEvents;

// A player's side of one connection to a game host, whoever plays (the
// window's client or a computer player): the receive queue, the connection,
// and the one reader of what arrives, which tells it as typed events. A
// table reached through a game directory's relay is asked for by its code
// first; until the host speaks, the directory may still turn the join
// down, and its answer is taken off the stream here, before the events.
class GameLink : public QObject
{
    Q_OBJECT

public:
    explicit GameLink(QObject *parent = nullptr);
    ~GameLink() override;

    GameEvents *events() const { return m_events; }
    Connection *connection() const { return m_connection; }
    Dispatcher *queue() const { return m_queue; }

    // Connects to the host at host and port; with a relay code, they are a
    // game directory's, which is asked for the table with that code. Throws
    // ESockException as Connection::open does.
    void open(const QString &host, quint16 port, const QString &relayCode = {});
    // Sends bytes to the host; throws ESockException when not connected.
    void send(const QByteArray &bytes);

signals:
    void connected();
    // The connection never came up, and why.
    void connectFailed(const QString &reason);
    // The directory did not relay the table, and why; the end follows.
    void relayRefused(const QString &reason);
    // The connection ended, after every message that came before its end.
    void ended();

private:
    void received(const QByteArray &line, quint64 connection);

    Dispatcher *m_queue;
    Connection *m_connection;
    GameEvents *m_events;
    QByteArray m_relayCode;
    // Asked a relay for a table, and the host has not spoken yet.
    bool m_awaitingRelay = false;
};
