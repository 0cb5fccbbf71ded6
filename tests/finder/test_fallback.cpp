#include "finder/announcer.h"
#include "finder/browser.h"
#include "finder/fallbackquerier.h"
#include "finder/fallbackresponder.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

// Everything here stays on this machine: no broadcast to a real network,
// and no system bus, so no daemon of this machine announces anything.
class FallbackTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void querierFindsEveryResponderOfThePort();
    void replyIsNeverLargerThanTheQuery_data();
    void replyIsNeverLargerThanTheQuery();
    void repliesToOneAddressAreLimited();
    void withoutDaemonTheAnnouncerAnswersOverUdp();
};

namespace {

const QHostAddress kHere(QHostAddress::LocalHost);

TableInfo table(const char *name, quint16 port)
{
    TableInfo t;
    t.name = QString::fromLatin1(name);
    t.port = port;
    t.tableId = TableInfo::newTableId();
    return t;
}

// The replies that reach `socket`: waits up to two seconds for `wanted`, then
// a little for any more.
QList<QByteArray> replies(QUdpSocket &socket, int wanted)
{
    QList<QByteArray> got;
    const auto take = [&] {
        while (socket.hasPendingDatagrams())
            got.append(socket.receiveDatagram().data());
        return got.size() >= wanted;
    };
    (void)QTest::qWaitFor(take, 2000);
    QTest::qWait(200);
    take();
    return got;
}

// What a fresh querier, which asks at once, hears from this machine within
// `ms` (less once something came).
QList<TableInfo> askedAt(quint16 port, int ms = 2000)
{
    FallbackQuerier querier;
    querier.setTargetPort(port);
    querier.setTargets({kHere});
    QList<TableInfo> tables;
    QObject::connect(&querier, &FallbackQuerier::found, [&](const TableInfo &t) { tables.append(t); });
    querier.start();
    (void)QTest::qWaitFor([&] { return !tables.isEmpty(); }, ms);
    return tables;
}

} // namespace

void FallbackTest::initTestCase()
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pinlex-test-bus");
}

void FallbackTest::querierFindsEveryResponderOfThePort()
{
    FallbackResponder first;
    QVERIFY(first.start(0));
    first.setTable(table("First", 7772));
    // A second copy on the same machine shares the UDP port, on its own TCP port.
    FallbackResponder second;
    QVERIFY(second.start(first.localPort()));
    second.setTable(table("Second", 7790));

    FallbackQuerier querier;
    querier.setTargetPort(first.localPort());
    querier.setTargets({QHostAddress(QStringLiteral("127.255.255.255"))});
    QSignalSpy found(&querier, &FallbackQuerier::found);
    QVERIFY(querier.start());
    QTRY_COMPARE(found.count(), 2);
    QSet<quint16> ports;
    for (const QList<QVariant> &args : found) {
        const auto t = args[0].value<TableInfo>();
        QCOMPARE(t.source, TableInfo::Source::Udp);
        QVERIFY(t.address.isLoopback());
        ports.insert(t.port);
    }
    QCOMPARE(ports, (QSet<quint16>{7772, 7790}));
}

void FallbackTest::replyIsNeverLargerThanTheQuery_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("answered");
    QTest::newRow("bare query line") << QByteArray("PINLEX-FIND 1 ?\n") << false;
    QTest::newRow("padded query") << TableInfo::fallbackQuery() << true;
    QTest::newRow("later format") << QByteArray("PINLEX-FIND 7 ?\n").leftJustified(400, '.') << true;
    QTest::newRow("not a query") << QByteArray("PINLEX-FIND 1 !\n").leftJustified(400, '.') << false;
}

void FallbackTest::replyIsNeverLargerThanTheQuery()
{
    QFETCH(QByteArray, query);
    QFETCH(bool, answered);
    FallbackResponder responder;
    QVERIFY(responder.start(0));
    responder.setTable(table("Ann's table", 7772));
    QUdpSocket asker;
    QVERIFY(asker.bind(kHere, 0));
    asker.writeDatagram(query, kHere, responder.localPort());
    // A query surely answered comes after: its reply marks the end.
    const QByteArray marker = TableInfo::fallbackQuery() + "marker";
    asker.writeDatagram(marker, kHere, responder.localPort());
    const QList<QByteArray> got = replies(asker, answered ? 2 : 1);
    QCOMPARE(got.size(), answered ? 2 : 1);
    if (answered)
        QVERIFY(got[0].size() <= query.size());
}

void FallbackTest::repliesToOneAddressAreLimited()
{
    FallbackResponder responder;
    QVERIFY(responder.start(0));
    responder.setTable(table("Ann's table", 7772));
    QUdpSocket asker;
    QVERIFY(asker.bind(kHere, 0));
    for (int i = 0; i < 100; ++i)
        asker.writeDatagram(TableInfo::fallbackQuery(), kHere, responder.localPort());
    const qsizetype got = replies(asker, int(FallbackResponder::kBurst)).size();
    // The burst, and what trickles in meanwhile.
    QVERIFY2(got >= FallbackResponder::kBurst && got <= FallbackResponder::kBurst + 2, qPrintable(QString::number(got)));
}

void FallbackTest::withoutDaemonTheAnnouncerAnswersOverUdp()
{
    Browser browser;
    QVERIFY(!browser.start());

    FallbackResponder probe;   // finds a free port for the announcer
    QVERIFY(probe.start(0));
    const quint16 port = probe.localPort();
    probe.stop();

    Announcer announcer;
    announcer.setFallbackPort(port);
    TableInfo mine = table("Ann's table", 7790);
    announcer.publish(mine);
    QVERIFY(!announcer.announcesOnMdns());
    QVERIFY(announcer.answersOnUdp());

    QCOMPARE(askedAt(port).value(0).tableId, mine.tableId);
    QCOMPARE(askedAt(port).value(0).port, 7790);

    // An update shows in the next reply; a withdrawn table is silent.
    mine.seatsTaken = 3;
    announcer.publish(mine);
    QCOMPARE(askedAt(port).value(0).seatsTaken, 3);
    announcer.withdraw();
    QVERIFY(!announcer.answersOnUdp());
    QCOMPARE(askedAt(port, 1000).size(), 0);
}

QTEST_GUILESS_MAIN(FallbackTest)
#include "test_fallback.moc"
