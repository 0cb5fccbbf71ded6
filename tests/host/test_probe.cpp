// A game directory's reachability probe at the host: answered with the value
// the directory gave over its own connection, and never at the cost of a
// player's seat, a "full" for somebody, or a visitor announced to the table.
#include "protocol/directorymessages.h"
#include "testhost.h"

#include <QTcpSocket>
#include <QtTest>

namespace {

const QByteArray kChallenge = "00112233445566778899aabbccddeeff";
const QByteArray kAnswer = "ffeeddccbbaa99887766554433221100";

// A bare connection that speaks first if it likes, as a probe does.
struct Raw
{
    QTcpSocket socket;
    FrameBuffer buffer;
    QList<QByteArray> lines;

    bool open(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000);
    }
    void send(const QByteArray &line) { socket.write(line + wire::kTerminator); }
    // The first line received; empty when none came in time.
    QByteArray first(int timeoutMs = 5000)
    {
        (void)QTest::qWaitFor(
            [&] {
                buffer.append(socket.readAll(), [&](QByteArray line) { lines << line; });
                return !lines.isEmpty();
            },
            timeoutMs);
        return lines.value(0);
    }
    bool closed()
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000);
    }
};

} // namespace

class TestProbe : public QObject
{
    Q_OBJECT

private slots:
    void probeIsAnsweredAndItsSlotNeverSeen_data();
    void probeIsAnsweredAndItsSlotNeverSeen();
    void fullTableStillAnswersItsProbe();
    void wrongChallengeIsJustAConnection();
};

void TestProbe::probeIsAnsweredAndItsSlotNeverSeen_data()
{
    QTest::addColumn<bool>("late");
    // At once: held back from a seat while a player comes in beside it.
    QTest::newRow("before its seat") << false;
    // Too late for that: it got a slot, which goes back unannounced.
    QTest::newRow("after its seat") << true;
}

void TestProbe::probeIsAnsweredAndItsSlotNeverSeen()
{
    QFETCH(bool, late);
    TestHost host;
    TestClient *ann = host.join("Ann");
    QVERIFY(ann);
    host.server.expectProbe(kChallenge, kAnswer);

    Raw probe;
    QVERIFY(probe.open(host.port));
    Raw bob;
    if (late) {
        QCOMPARE(probe.first(), QByteArray("CMD_sendlogininfo+2"));
        probe.lines.clear();
    } else {
        QVERIFY(bob.open(host.port));
    }
    probe.send(msg::encode(msg::Probe{kChallenge}).chopped(1));
    QCOMPARE(probe.first(), "CMD_probeok+" + kAnswer);
    QVERIFY(probe.closed());
    if (late)
        QVERIFY(bob.open(host.port));
    QCOMPARE(bob.first(), QByteArray("CMD_sendlogininfo+2"));
    bob.send("CMD_logininfo+2+1.0.9+Bob");
    QVERIFY(!ann->waitFor("CMD_newplayerinfo+2+Bob").isEmpty());
    for (const QByteArray &line : ann->received())
        QVERIFY2(!line.startsWith("CMD_playerdisconnected+"), line.constData());
}

void TestProbe::fullTableStillAnswersItsProbe()
{
    TestHost host;
    std::vector<std::unique_ptr<TestClient>> players;
    for (int slot = 1; slot <= game::kSlots; ++slot) {
        players.push_back(std::make_unique<TestClient>());
        QVERIFY(players.back()->connectTo(host.port));
    }
    host.server.expectProbe(kChallenge, kAnswer);
    Raw probe;
    QVERIFY(probe.open(host.port));
    probe.send("CMD_probe+" + kChallenge);
    QCOMPARE(probe.first(), "CMD_probeok+" + kAnswer);
    // Somebody else still hears that the table is full.
    Raw tenth;
    QVERIFY(tenth.open(host.port));
    QCOMPARE(tenth.first(), QByteArray("CMD_full+"));
}

void TestProbe::wrongChallengeIsJustAConnection()
{
    TestHost host;
    host.server.expectProbe(kChallenge, kAnswer);
    Raw probe;
    QVERIFY(probe.open(host.port));
    probe.send("CMD_probe+" + kAnswer);
    // No answer: it is seated as anybody who says something first.
    QCOMPARE(probe.first(), QByteArray("CMD_sendlogininfo+1"));
    // And the right challenge serves once.
    Raw again;
    QVERIFY(again.open(host.port));
    again.send("CMD_probe+" + kChallenge);
    QCOMPARE(again.first(), "CMD_probeok+" + kAnswer);
    Raw third;
    QVERIFY(third.open(host.port));
    third.send("CMD_probe+" + kChallenge);
    QCOMPARE(third.first(), QByteArray("CMD_sendlogininfo+2"));
}

QTEST_GUILESS_MAIN(TestProbe)
#include "test_probe.moc"
