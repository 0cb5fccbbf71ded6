// What a hosting copy tells the local network follows its table: seats and
// spectators as connections come and go, waiting or playing as games start
// and end, under one table id all along.
#include "host/tableannouncement.h"
#include "testhost.h"

#include <QtTest>

class TestTableAnnouncement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void seatsAndSpectatorsAreCountedApart_data();
    void seatsAndSpectatorsAreCountedApart();
    void followsTheHostsTable();
};

void TestTableAnnouncement::initTestCase()
{
    // Never on the machine's own network: without a bus the announcer
    // answers over UDP, on a port of the test's own.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pinlex-test-bus");
}

void TestTableAnnouncement::seatsAndSpectatorsAreCountedApart_data()
{
    QTest::addColumn<QList<int>>("connected");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("seats");
    QTest::addColumn<int>("spectators");

    QTest::newRow("nobody") << QList<int>{} << false << 0 << 0;
    QTest::newRow("the first and the last seat") << QList<int>{1, 4} << false << 2 << 0;
    QTest::newRow("the first and the last spectator") << QList<int>{5, 9} << true << 0 << 2;
    QTest::newRow("everybody") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9} << true << 4 << 5;
}

// A spectator counted as a seat (or the other way round) shows a full table
// as open, or an open one as full.
void TestTableAnnouncement::seatsAndSpectatorsAreCountedApart()
{
    QFETCH(QList<int>, connected);
    QFETCH(bool, playing);
    QFETCH(int, seats);
    QFETCH(int, spectators);

    HostTable host;
    for (const int slot : connected)
        host.players[slot].connected = true;
    host.gamestarted = playing;
    const TableInfo table = TableAnnouncement::tableOf(host, QStringLiteral("Lab table"), 7790);
    QCOMPARE(table.seatsTaken, seats);
    QCOMPARE(table.spectators, spectators);
    QCOMPARE(table.state, playing ? TableInfo::State::Playing : TableInfo::State::Waiting);
    QCOMPARE(table.port, quint16(7790));
}

void TestTableAnnouncement::followsTheHostsTable()
{
    TestHost host;
    TableAnnouncement announcement(host.server, QStringLiteral("Lab table"), host.port);
    const Announcer &announced = announcement.announcer();
    announcement.announcer().setFallbackPort(0);
    announcement.start();
    QVERIFY(announced.isPublished());
    QCOMPARE(announced.table().name, QStringLiteral("Lab table"));
    QCOMPARE(announced.table().seatsTaken, 0);
    const quint64 id = announced.table().tableId;

    for (const char *name : {"Ann", "Bob", "Cy", "Dee", "Eve"})
        QVERIFY(host.join(name));
    QTRY_COMPARE(announced.table().seatsTaken, 4);
    QTRY_COMPARE(announced.table().spectators, 1);

    host.clients[4]->close();
    QTRY_COMPARE(announced.table().spectators, 0);
    host.clients[3]->close();
    QTRY_COMPARE(announced.table().seatsTaken, 3);

    host.clients[0]->send("CMD_startgame+Ann+60+f+");
    QTRY_COMPARE(announced.table().state, TableInfo::State::Playing);
    for (int tick = 0; tick < 5000 && host.server.gamestarted; ++tick)
        host.tick();
    QVERIFY(!host.server.gamestarted);
    QTRY_COMPARE(announced.table().state, TableInfo::State::Waiting);

    // A new id would make every finder list the table twice.
    QCOMPARE(announced.table().tableId, id);
}

QTEST_MAIN(TestTableAnnouncement)
#include "test_tableannouncement.moc"
