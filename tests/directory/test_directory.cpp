// The directory as it runs: a directory, headless hosts and clients as real
// processes and connections on the loopback address. Registration, updates,
// expiry, the reachability probe, codes, and each limit against abuse.
#include "directory/client/registrar.h"
#include "directoryrig.h"

#include <csignal>

namespace {

msg::DirTable table(const QByteArray &name, int port = 7772)
{
    return msg::DirTable{1, port, 0, 0, false, name};
}

} // namespace

class TestDirectory : public QObject
{
    Q_OBJECT

private slots:
    void hostIsListedProbedJoinedByCodeAndUpdated();
    void hostLeavesAtOnceOrAfterItsSilence_data();
    void hostLeavesAtOnceOrAfterItsSilence();
    void onlyTheHostItselfPassesTheProbe_data();
    void onlyTheHostItselfPassesTheProbe();
    void thousandRegistrationsFromOneAddressLeaveFourTables();
    void oversizedFieldsAreRefusedAndLongNamesCut();
    void garbageClosesOnlyItsOwnConnection_data();
    void garbageClosesOnlyItsOwnConnection();
    void floodsOfConnectionsAndMessagesAreCutOff();
};

void TestDirectory::hostIsListedProbedJoinedByCodeAndUpdated()
{
    Directory directory;
    QVERIFY(directory.start(90));
    Host host;
    const QString code = host.start(directory);
    QVERIFY2(!code.isEmpty(), host.output.constData());
    QVERIFY(!directory.waitForLine(QStringLiteral("^registered %1 .* from 127.0.0.1 port %2").arg(code).arg(host.port)).isEmpty());
    QVERIFY(!directory.waitForLine(QStringLiteral("^probe %1: direct$").arg(code)).isEmpty());
    QVERIFY(!host.waitForLine(QStringLiteral("reach direct$")).isEmpty());

    const std::optional<QList<ListedTable>> tables = listTables(directory.port);
    QVERIFY(tables && tables->size() == 1);
    const ListedTable &listed = tables->first();
    QCOMPARE(listed.code, code);
    QVERIFY(listed.reach == msg::Reach::Direct);
    QCOMPARE(listed.table.port, host.port);
    QCOMPARE(listed.table.address, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(listed.table.seatsTaken, 0);
    QCOMPARE(listed.table.name, QStringLiteral("Lab table"));
    QVERIFY(listed.table.source == TableInfo::Source::Directory);
    // The probe never showed as a player's slot.
    QCOMPARE(host.count(QStringLiteral("^connection slot")), 0);

    // --list-games lists it beside the local network's tables, with its code.
    Copy lister;
    QVERIFY(lister.start({QStringLiteral("--list-games"), QStringLiteral("--seconds"), QStringLiteral("0")},
                         directory.address()));
    QVERIFY(lister.finish());
    // (The host answers on the local network too, from the same address and
    // port: then it is one table, found first either way.)
    const QRegularExpression line(QStringLiteral("^Lab table\t127.0.0.1\t%1\t0\t0\twaiting\t(directory|udp)\t%2\tdirect$")
                                      .arg(host.port)
                                      .arg(code),
                                  QRegularExpression::MultilineOption);
    QVERIFY2(line.match(QString::fromUtf8(lister.output)).hasMatch(), lister.output.constData());

    // Joining by code: a window started with the code, typed in lower case,
    // where the host's address goes sits down at that host.
    Copy bee;
    QVERIFY(bee.start({QStringLiteral("--"), QStringLiteral("Bee"), code.toLower(), QStringLiteral("other")},
                      directory.address(), true));
    QVERIFY2(!host.waitForLine(QStringLiteral("^login slot 1 \"Bee\"")).isEmpty(), host.output.constData());

    // The seat filled shows within five seconds.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const std::optional<QList<ListedTable>> now = listTables(directory.port);
            return now && now->size() == 1 && now->first().table.seatsTaken == 1;
        },
        5000));

    DirectoryLookup lookup(DirectoryAddress{QStringLiteral("127.0.0.1"), directory.port});
    QSignalSpy notFound(&lookup, &DirectoryLookup::notFound);
    lookup.resolve(QStringLiteral("CDFHJK") == code ? QStringLiteral("CDFHJM") : QStringLiteral("CDFHJK"));
    QVERIFY(notFound.wait());
}

void TestDirectory::hostLeavesAtOnceOrAfterItsSilence_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("reason");
    QTest::newRow("quits cleanly") << int(SIGTERM) << "connection closed";
    QTest::newRow("killed") << int(SIGKILL) << "connection closed";
    // Its connection stays open, but it says nothing any more.
    QTest::newRow("stopped") << int(SIGSTOP) << "silent for 3 seconds";
}

void TestDirectory::hostLeavesAtOnceOrAfterItsSilence()
{
    QFETCH(int, signal);
    QFETCH(QString, reason);
    Directory directory;
    QVERIFY(directory.start(3));
    Host host;
    const QString code = host.start(directory);
    QVERIFY(!code.isEmpty());
    QVERIFY(listsTables(directory.port, 1));
    // A host that sends its heartbeats outlives the expiry.
    QTest::qWait(4000);
    QVERIFY(listsTables(directory.port, 1, 0));

    QElapsedTimer gone;
    gone.start();
    host.signal(signal);
    QVERIFY(!directory.waitForLine(QStringLiteral("^ended %1: %2$").arg(code, reason), 8000).isEmpty());
    QVERIFY(listsTables(directory.port, 0, 0));
    if (signal != SIGSTOP)
        QVERIFY2(gone.elapsed() < 2000, "a closed connection ends its table at once");
}

void TestDirectory::onlyTheHostItselfPassesTheProbe_data()
{
    QTest::addColumn<bool>("echo");
    QTest::newRow("nobody listens at the port") << false;
    // Whatever it is sent comes back: the challenge, never the answer.
    QTest::newRow("an echo service listens at the port") << true;
}

void TestDirectory::onlyTheHostItselfPassesTheProbe()
{
    QFETCH(bool, echo);
    Directory directory;
    QVERIFY(directory.start(90));
    QTcpServer echoService;
    quint16 port = freePort();
    if (echo) {
        QVERIFY(echoService.listen(QHostAddress::LocalHost, 0));
        port = echoService.serverPort();
        QObject::connect(&echoService, &QTcpServer::newConnection, [&] {
            QTcpSocket *peer = echoService.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [peer] { peer->write(peer->readAll()); });
        });
    }
    Registrar registrar(DirectoryAddress{QStringLiteral("127.0.0.1"), directory.port});
    QSignalSpy probe(&registrar, &Registrar::probeExpected);
    QSignalSpy reach(&registrar, &Registrar::reachChecked);
    TableInfo info;
    info.name = QStringLiteral("Nobody home");
    info.port = port;
    registrar.publish(info);
    QVERIFY(reach.wait(10000));
    QCOMPARE(probe.size(), 1);
    QVERIFY(reach.first().first().value<msg::Reach>() == msg::Reach::Relayed);
    const std::optional<QList<ListedTable>> tables = listTables(directory.port);
    QVERIFY(tables && tables->size() == 1);
    QVERIFY(tables->first().reach == msg::Reach::Relayed);
}

void TestDirectory::thousandRegistrationsFromOneAddressLeaveFourTables()
{
    Directory directory;
    QVERIFY(directory.start(90));
    std::vector<std::unique_ptr<Raw>> kept;
    for (int i = 0; i < 1000; ++i) {
        auto raw = std::make_unique<Raw>();
        QVERIFY(raw->open(directory.port));
        raw->send(table("Table " + QByteArray::number(i)));
        if (!raw->waitFor("CMD_dircode+", 2000).isEmpty())
            kept.push_back(std::move(raw));
        else
            QVERIFY(raw->waitClosed());
    }
    QCOMPARE(kept.size(), size_t(4));
    QVERIFY(!directory.waitForLine(QStringLiteral("^limit 127.0.0.1: more than 4 tables$")).isEmpty());
    QCOMPARE(directory.count(QStringLiteral("^limit 127.0.0.1: more than 4 tables$")), 1);
    // 127.0.0.1 has used up its messages by now: ask from elsewhere.
    Raw lister;
    QVERIFY(lister.open(directory.port, QHostAddress(QStringLiteral("127.0.0.2"))));
    QCOMPARE(lister.listed(), 4);
}

void TestDirectory::oversizedFieldsAreRefusedAndLongNamesCut()
{
    Directory directory;
    QVERIFY(directory.start(90));
    Raw huge;
    QVERIFY(huge.open(directory.port));
    huge.send(table(QByteArray(100 * 1024, 'x')));
    QVERIFY(huge.waitClosed());

    Raw longName;
    QVERIFY(longName.open(directory.port));
    longName.send(table(QByteArray(300, 'y')));
    QVERIFY(!longName.waitFor("CMD_dircode+").isEmpty());
    const std::optional<QList<ListedTable>> tables = listTables(directory.port);
    QVERIFY(tables && tables->size() == 1);
    QCOMPARE(tables->first().table.name, QString(TableInfo::kMaxNameChars, QLatin1Char('y')));

    Raw rude;
    QVERIFY(rude.open(directory.port));
    rude.send(table("Bastard Bowlers"));
    QVERIFY(!rude.waitFor("CMD_dirrefused+").isEmpty());
    QVERIFY(rude.waitClosed());
    QVERIFY(listsTables(directory.port, 1, 0));
}

void TestDirectory::garbageClosesOnlyItsOwnConnection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no terminator in a kilobyte") << QByteArray(1024, 'a');
    QTest::newRow("terminated, but no command") << QByteArray("GET / HTTP/1.1\r\n\r\n") + wire::kTerminator;
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\xfe\xff", 5);
}

void TestDirectory::garbageClosesOnlyItsOwnConnection()
{
    QFETCH(QByteArray, bytes);
    Directory directory;
    QVERIFY(directory.start(90));
    Raw host;
    QVERIFY(host.open(directory.port));
    host.send(table("Still here"));
    QVERIFY(!host.waitFor("CMD_dircode+").isEmpty());

    Raw garbage;
    QVERIFY(garbage.open(directory.port));
    garbage.sendBytes(bytes);
    QVERIFY(garbage.waitClosed());
    QVERIFY(!directory.waitForLine(QStringLiteral("^limit 127.0.0.1: not the directory's protocol$")).isEmpty());
    QCOMPARE(directory.count(QStringLiteral("^limit 127.0.0.1: not the directory's protocol$")), 1);

    // The other connection of the same address goes on as before.
    host.send(table("Still here", 7780));
    QVERIFY(!directory.waitForLine(QStringLiteral("^updated .* \"Still here\"")).isEmpty());
    const std::optional<QList<ListedTable>> tables = listTables(directory.port);
    QVERIFY(tables && tables->size() == 1 && tables->first().table.port == 7780);
}

void TestDirectory::floodsOfConnectionsAndMessagesAreCutOff()
{
    Directory directory;
    QVERIFY(directory.start(90));
    std::vector<std::unique_ptr<Raw>> open;
    for (int i = 0; i < 8; ++i) {
        open.push_back(std::make_unique<Raw>());
        QVERIFY(open.back()->open(directory.port));
    }
    Raw ninth;
    QVERIFY(ninth.open(directory.port));
    QVERIFY(!ninth.waitFor("CMD_dirrefused+").isEmpty());
    QVERIFY(ninth.waitClosed());
    QVERIFY(!directory.waitForLine(QStringLiteral("^limit 127.0.0.1: more than 8 connections$")).isEmpty());

    // A burst of a minute's allowance passes; beyond it the connection goes.
    QByteArray burst;
    for (int i = 0; i < 200; ++i)
        burst += msg::encode(msg::DirBeat{});
    open.front()->sendBytes(burst);
    QVERIFY(open.front()->waitClosed());
    QVERIFY(!directory.waitForLine(QStringLiteral("^limit 127.0.0.1: more than 120 messages a minute$")).isEmpty());
    for (int i = 1; i < 8; ++i)
        QCOMPARE(open[i]->socket.state(), QAbstractSocket::ConnectedState);
}

QTEST_GUILESS_MAIN(TestDirectory)
#include "test_directory.moc"
