#pragma once

#include "finder/tableinfo.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QUdpSocket;

// Answers the finders' UDP queries on networks without an mDNS daemon: each
// query that asks in the fallback format gets the table's reply, sent by
// unicast to the asking address and port. Never a reply larger than the
// query, never to a privileged port, and only a few replies a second to any
// one address and in all: a responder cannot be made to flood anyone.
class FallbackResponder : public QObject
{
    Q_OBJECT

public:
    // Per asking address: this many replies at once, then kRefillPerSecond.
    static constexpr double kBurst = 5;
    static constexpr double kRefillPerSecond = 2;
    // The same for all addresses together.
    static constexpr double kTotalBurst = 100;
    static constexpr double kTotalPerSecond = 50;
    static constexpr int kMaxAddresses = 256;   // addresses remembered at once
    static constexpr int kMaxPerTurn = 64;       // datagrams read before other events run

    explicit FallbackResponder(QObject *parent = nullptr);
    ~FallbackResponder() override;

    // Listens on every IPv4 address; other copies on this machine may listen
    // on the same port, and a broadcast query reaches each. False, with the
    // reason logged, when the port cannot be had.
    bool start(quint16 port = kFallbackUdpPort);
    void stop();
    bool isRunning() const { return m_socket != nullptr; }
    quint16 localPort() const;

    // What the replies say; nothing is answered before a table is set.
    void setTable(const TableInfo &table);

private:
    struct Allowance
    {
        double tokens = 0;
        qint64 at = 0;
    };
    void readQueries();
    bool allow(Allowance &allowance, double burst, double perSecond, qint64 now);
    bool allowAddress(const QHostAddress &address, qint64 now);

    QUdpSocket *m_socket = nullptr;
    QByteArray m_reply;
    QElapsedTimer m_clock;
    QHash<QHostAddress, Allowance> m_allowances;
    Allowance m_total;
    bool m_readScheduled = false;
};
