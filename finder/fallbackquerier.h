#pragma once

#include "finder/tableinfo.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

class QUdpSocket;

// Asks the local network for tables where mDNS cannot: while active, sends
// the fallback query to every interface's own broadcast address (a
// broadcast to 255.255.255.255 fails on machines without a default route)
// and to this machine, at once and every kIntervalMs, and reports each
// valid reply. Replies are untrusted: each address gets a few per round and
// the reading stops for a turn of the event loop every kMaxPerTurn
// datagrams, so that a flood costs bounded time and no memory.
class FallbackQuerier : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 2000;
    static constexpr int kMaxRepliesPerAddress = 16;   // per round
    static constexpr int kMaxAddresses = 256;          // per round
    static constexpr int kMaxPerTurn = 64;

    explicit FallbackQuerier(QObject *parent = nullptr);
    ~FallbackQuerier() override;

    void setTargetPort(quint16 port) { m_targetPort = port; }
    // Instead of the broadcast addresses; for tests that must stay on this
    // machine. The second form is for every querier the process makes.
    void setTargets(const QList<QHostAddress> &targets) { m_targets = targets; }
    static void setTargetsOfAll(const QList<QHostAddress> &targets);

    // False, with the reason logged, when no socket can be had.
    bool start();
    void stop();
    bool isActive() const { return m_socket != nullptr; }

    // The broadcast address of every IPv4 network this machine is on, and
    // 127.255.255.255 (this machine: reaches every copy listening here).
    static QList<QHostAddress> broadcastAddresses();

signals:
    // A valid reply; its address is the one that answered.
    void found(const TableInfo &table);

private:
    void sendQueries();
    void readReplies();

    QUdpSocket *m_socket = nullptr;
    QTimer m_round;
    quint16 m_targetPort = kFallbackUdpPort;
    QList<QHostAddress> m_targets;
    QHash<QHostAddress, int> m_repliesThisRound;
    bool m_readScheduled = false;
};
