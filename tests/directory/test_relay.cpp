// The directory's relay: its limits as plain logic, and the relay itself in
// this process on loopback addresses, with hosts and clients made of bare
// sockets that speak the directory's protocol, or the game's own host and
// client.
#include "../client/clientrig.h"
#include "../host/testhost.h"
#include "directory/client/registrar.h"
#include "directory/server/relaydirectory.h"
#include "host/directoryregistration.h"
#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

using Verdict = RelayLimits::Verdict;

// The n-th field of a message, its command being the 0th.
QByteArray field(const QByteArray &line, int n)
{
    return line.split('+').value(n);
}

AddressLimits::Key keyOf(const char *address)
{
    return AddressLimits::keyOf(QHostAddress(QString::fromLatin1(address)));
}

// One connection to the relay, read as it comes: as messages, or as bytes.
struct Peer
{
    QTcpSocket socket;
    QByteArray in;

    bool open(quint16 port, const char *from = "127.0.0.1")
    {
        if (!socket.bind(QHostAddress(QString::fromLatin1(from))))
            return false;
        socket.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000);
    }
    template <typename Message>
    void send(const Message &message) { socket.write(msg::encode(message)); }
    void read() { in += socket.readAll(); }
    // The first message with prefix, once it came; empty when none did.
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = 5000)
    {
        QByteArray found;
        (void)QTest::qWaitFor(
            [&] {
                read();
                for (const QByteArray &line : in.split(wire::kTerminator)) {
                    if (line.startsWith(prefix) && in.contains(line + wire::kTerminator)) {
                        found = line;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    bool waitForBytes(qsizetype count, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { read(); return in.size() >= count; }, timeoutMs);
    }
    bool waitClosed(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { read(); return socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
    }
};

// A host behind a router nobody opened: it registers a table at a port
// nobody listens at, and is listed as relayed.
struct RelayedHost
{
    Peer control;
    QByteArray code;

    bool registerTable(quint16 directory)
    {
        if (!control.open(directory))
            return false;
        control.send(msg::DirTable{1, 9, 0, 0, false, "Relayed"});   // the discard port: refused
        code = field(control.waitFor("CMD_dircode+"), 1);
        const QByteArray probe = control.waitFor("CMD_dirprobe+");
        control.send(msg::DirReady{field(probe, 1)});
        return control.waitFor("CMD_dirreach+") == "CMD_dirreach+relayed";
    }
    // Answers the next request for a player: the host's end of that session.
    std::unique_ptr<Peer> answer(quint16 directory, int index = 0)
    {
        QByteArray request;
        (void)QTest::qWaitFor([&] {
            const QList<QByteArray> lines = control.in.split(wire::kTerminator);
            int seen = 0;
            for (const QByteArray &line : lines) {
                if (line.startsWith("CMD_dirrelay+") && seen++ == index)
                    request = line;
            }
            control.read();
            return !request.isEmpty();
        }, 5000);
        auto peer = std::make_unique<Peer>();
        if (request.isEmpty() || !peer->open(directory))
            return nullptr;
        peer->send(msg::DirRelayHello{field(request, 1)});
        return peer;
    }
};

} // namespace

class TestRelay : public QObject
{
    Q_OBJECT

private slots:
    void limitsCountPlayersPerTableAndTablesPerClient();
    void eachTableHasItsOwnBytesPerSecond();
    void clientAndHostGetEachOthersBytesUnchanged();
    void refusals_data();
    void refusals();
    void floodIsCappedWithoutSlowingAnotherTable();
    void idleRelayIsClosed();
    void gameClientJoinsTheGameHostThroughTheRelay();

private:
    std::unique_ptr<RelayDirectory> start(RelayOptions relay = {});
    quint16 m_port = 0;
};

std::unique_ptr<RelayDirectory> TestRelay::start(RelayOptions relay)
{
    DirectoryOptions options;
    options.probeTimeoutMs = 1000;
    auto directory = std::make_unique<RelayDirectory>(options, relay);
    if (!directory->listen(QHostAddress::LocalHost, 0))
        return nullptr;
    m_port = directory->serverPort();
    return directory;
}

void TestRelay::limitsCountPlayersPerTableAndTablesPerClient()
{
    RelayLimits limits;
    const auto a = keyOf("10.0.0.1");
    const auto b = keyOf("10.0.0.2");
    const auto c = keyOf("10.0.0.3");
    for (int i = 0; i < RelayLimits::kPerClient; ++i)
        QCOMPARE(limits.open(1, a), Verdict::Open);
    QCOMPARE(limits.open(2, a), Verdict::ClientLimit);
    for (int i = RelayLimits::kPerClient; i < RelayLimits::kPerTable; ++i)
        QCOMPARE(limits.open(1, i % 2 ? b : c), Verdict::Open);
    QCOMPARE(limits.open(1, keyOf("10.0.0.4")), Verdict::TableFull);
    // A player who leaves makes room, at the table and for the address.
    limits.close(1, a);
    QCOMPARE(limits.open(2, a), Verdict::Open);
    QCOMPARE(limits.open(1, keyOf("10.0.0.4")), Verdict::Open);
    QCOMPARE(limits.sessions(1), RelayLimits::kPerTable);
}

void TestRelay::eachTableHasItsOwnBytesPerSecond()
{
    const int rate = 1000;
    RelayLimits limits(rate);
    QCOMPARE(limits.open(1, keyOf("10.0.0.1")), Verdict::Open);
    QCOMPARE(limits.open(2, keyOf("10.0.0.2")), Verdict::Open);
    // A second's worth at once, then a debt paid by waiting.
    QCOMPARE(limits.spend(1, rate, 0), 0);
    QCOMPARE(limits.spend(1, rate / 2, 0), 500);
    QCOMPARE(limits.spend(2, rate, 0), 0);
    // Half a second later the debt is paid, and no more is owed.
    QCOMPARE(limits.spend(1, 0, 500), 0);
    QVERIFY(limits.spend(1, 1, 500) > 0);
    QCOMPARE(limits.spend(1, rate, 2500), 0);
}

void TestRelay::clientAndHostGetEachOthersBytesUnchanged()
{
    const auto directory = start();
    QVERIFY(directory);
    RelayedHost host;
    QVERIFY(host.registerTable(m_port));
    Peer client;
    QVERIFY(client.open(m_port, "127.0.0.2"));
    client.send(msg::DirJoin{host.code.toLower()});
    // Said before the host came: it waits for the host.
    const QByteArray early = QByteArray("early ") + wire::kTerminator;
    client.socket.write(early);
    const std::unique_ptr<Peer> hostEnd = host.answer(m_port);
    QVERIFY(hostEnd);
    QVERIFY(host.control.in.contains("+127.0.0.2"));
    QByteArray toHost = early;
    QByteArray toClient;
    for (int i = 0; i < 256; ++i) {
        toHost += char(i);
        toClient += char(255 - i);
    }
    toHost += QByteArray(100000, 'h');
    client.socket.write(toHost.mid(early.size()));
    hostEnd->socket.write(toClient);
    QVERIFY(hostEnd->waitForBytes(toHost.size()));
    QVERIFY(client.waitForBytes(toClient.size()));
    QCOMPARE(hostEnd->in, toHost);
    QCOMPARE(client.in, toClient);
    QCOMPARE(directory->sessions(), 1);
    // Either end leaving ends the other.
    hostEnd->socket.disconnectFromHost();
    QVERIFY(client.waitClosed());
    QTRY_COMPARE(directory->sessions(), 0);
}

void TestRelay::refusals_data()
{
    QTest::addColumn<QString>("case_");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("no table has the code") << "unknown code" << QByteArray("no table has this code now");
    QTest::newRow("the host closed its control connection")
        << "control closed" << QByteArray("no table has this code now");
    QTest::newRow("the host leaves while the client waits")
        << "control closes while waiting" << QByteArray("the table's host left the directory");
    QTest::newRow("a tenth relayed player") << "tenth" << QByteArray("the table has all the relayed players it may have");
    QTest::newRow("a host that names no session") << "forged hello" << QByteArray("no such relay session");
}

void TestRelay::refusals()
{
    QFETCH(QString, case_);
    QFETCH(QByteArray, reason);
    const auto directory = start();
    QVERIFY(directory);
    RelayedHost host;
    QVERIFY(host.registerTable(m_port));
    std::vector<std::unique_ptr<Peer>> players;
    std::vector<std::unique_ptr<Peer>> hostEnds;
    if (case_ == QLatin1String("tenth")) {
        // Four, four and one player from three addresses; the host's address
        // opens one connection per player beyond its allowance of eight.
        const char *from[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4"};
        for (int i = 0; i < RelayLimits::kPerTable; ++i) {
            players.push_back(std::make_unique<Peer>());
            QVERIFY(players.back()->open(m_port, from[i / RelayLimits::kPerClient]));
            players.back()->send(msg::DirJoin{host.code});
            hostEnds.push_back(host.answer(m_port, i));
            QVERIFY(hostEnds.back());
            hostEnds.back()->socket.write("x");
            QVERIFY2(players.back()->waitForBytes(1), "a relayed player below the limit goes through");
        }
    }
    if (case_ == QLatin1String("control closed")) {
        host.control.socket.disconnectFromHost();
        QTRY_COMPARE(directory->registry().size(), 0);
    }
    Peer refused;
    if (case_ == QLatin1String("forged hello")) {
        QVERIFY(refused.open(m_port));
        refused.send(msg::DirRelayHello{QByteArray(32, 'a')});
    } else {
        QVERIFY(refused.open(m_port, "127.0.0.5"));
        refused.send(msg::DirJoin{case_ == QLatin1String("unknown code") ? QByteArray("CDFHJK") : host.code});
    }
    if (case_ == QLatin1String("control closes while waiting")) {
        QVERIFY(!host.control.waitFor("CMD_dirrelay+").isEmpty());
        host.control.socket.disconnectFromHost();
    }
    QCOMPARE(refused.waitFor("CMD_dirrefused+"), "CMD_dirrefused+" + reason);
    QVERIFY(refused.waitClosed());
    // The relayed players already there play on.
    for (std::size_t i = 0; i < players.size(); ++i) {
        players[i]->socket.write("y");
        QVERIFY(hostEnds[i]->waitForBytes(1));
    }
    QCOMPARE(directory->sessions(), qsizetype(players.size()));
}

void TestRelay::floodIsCappedWithoutSlowingAnotherTable()
{
    RelayOptions options;
    options.bytesPerSecond = 32 * 1024;
    const auto directory = start(options);
    QVERIFY(directory);
    RelayedHost flooded;
    RelayedHost other;
    QVERIFY(flooded.registerTable(m_port));
    QVERIFY(other.registerTable(m_port));
    Peer flooder;
    Peer player;
    QVERIFY(flooder.open(m_port, "127.0.0.2"));
    QVERIFY(player.open(m_port, "127.0.0.3"));
    flooder.send(msg::DirJoin{flooded.code});
    player.send(msg::DirJoin{other.code});
    const std::unique_ptr<Peer> floodedEnd = flooded.answer(m_port);
    const std::unique_ptr<Peer> otherEnd = other.answer(m_port);
    QVERIFY(floodedEnd && otherEnd);

    // The flooder writes far more than the cap allows while the other
    // table's player sends a frame's worth of messages, which all arrive.
    QElapsedTimer clock;
    clock.start();
    const QByteArray chunk(64 * 1024, 'f');
    const QByteArray message = QByteArray("CMD_sendword+1+BOWLING") + wire::kTerminator;
    for (int round = 0; round < 20; ++round) {
        if (flooder.socket.bytesToWrite() < 4 * chunk.size())
            flooder.socket.write(chunk);
        player.socket.write(message);
        QVERIFY2(otherEnd->waitForBytes((round + 1) * message.size(), 2000), "another table's bytes were held up");
        QTest::qWait(50);
        floodedEnd->read();
    }
    const double seconds = clock.elapsed() / 1000.0;
    // A second's burst, then the rate; what arrived before it was measured is
    // one read's worth at most.
    const double allowed = options.bytesPerSecond * (1 + seconds) + SocketPool::kReadChunk;
    QVERIFY2(floodedEnd->in.size() <= allowed,
             qPrintable(QStringLiteral("%1 bytes in %2 s").arg(floodedEnd->in.size()).arg(seconds)));
    QVERIFY2(floodedEnd->in.size() >= options.bytesPerSecond, "the flooded table still gets its share");
}

void TestRelay::idleRelayIsClosed()
{
    RelayOptions options;
    options.idleSeconds = 1;
    const auto directory = start(options);
    QVERIFY(directory);
    RelayedHost host;
    QVERIFY(host.registerTable(m_port));
    Peer client;
    QVERIFY(client.open(m_port, "127.0.0.2"));
    client.send(msg::DirJoin{host.code});
    const std::unique_ptr<Peer> hostEnd = host.answer(m_port);
    QVERIFY(hostEnd);
    QVERIFY(client.waitClosed(5000));
    QVERIFY(hostEnd->waitClosed(1000));
    // The table itself stays listed: its control connection is not a relay's.
    QCOMPARE(directory->registry().size(), 1);
}

void TestRelay::gameClientJoinsTheGameHostThroughTheRelay()
{
    const auto directory = start();
    QVERIFY(directory);
    TestHost host;
    DirectoryRegistration registration(host.server, {DirectoryAddress{QStringLiteral("127.0.0.1"), m_port}});
    QSignalSpy reach(&registration, &DirectoryRegistration::reachChecked);
    TableInfo table;
    table.name = QStringLiteral("Behind a router");
    table.port = 9;   // what the directory sees of the game port: closed
    registration.publish(table);
    QTRY_COMPARE_WITH_TIMEOUT(reach.size(), 1, 5000);
    QVERIFY(reach.first().at(1).value<msg::Reach>() == msg::Reach::Relayed);

    ClientRig rig;
    rig.client.setCodeResolver([this](const QString &code, const GameClient::Resolved &done) {
        done(QStringLiteral("127.0.0.1"), m_port, QString(), code);
        return true;
    });
    rig.client.processparams({QStringLiteral("Bob"), registration.registrars().first()->code(), QStringLiteral("join")});
    QVERIFY(rig.waitArrived());
    // For the host it is a player from the address the directory saw.
    QCOMPARE(host.server.players[rig.client.myseat()].name, QByteArray("Bob"));
    QCOMPARE(host.server.players[rig.client.myseat()].conn->sock()->hostName(), QStringLiteral("127.0.0.1"));
    QCOMPARE(directory->sessions(), 1);
}

QTEST_GUILESS_MAIN(TestRelay)
#include "test_relay.moc"
