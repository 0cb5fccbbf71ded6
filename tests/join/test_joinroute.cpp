// Where a player's choice leads: an address at once, a code through the game
// directories, a relayed table through its directory's relay.
#include "join/joinroute.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

class TestJoinRoute : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedTextIsAnAddressUnlessADirectoryKnowsTheCode_data();
    void typedTextIsAnAddressUnlessADirectoryKnowsTheCode();
    void aRowLeadsToItsTableOrThroughItsRelay_data();
    void aRowLeadsToItsTableOrThroughItsRelay();
    void onlyTheLatestLookupIsAnswered();

private:
    DirectoryAddress m_nobody;   // a directory nobody answers at
};

void TestJoinRoute::initTestCase()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    m_nobody = DirectoryAddress{QStringLiteral("127.0.0.1"), probe.serverPort()};
}

void TestJoinRoute::typedTextIsAnAddressUnlessADirectoryKnowsTheCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("directories");
    QTest::addColumn<QString>("address");   // empty: looked up

    QTest::newRow("an address") << "192.0.2.9" << true << "192.0.2.9";
    QTest::newRow("a host name") << " game.example " << true << "game.example";
    QTest::newRow("a code, no directory: a computer's name") << "cdfhjk" << false << "cdfhjk";
    QTest::newRow("a code") << " cdf-hjk " << true << "";
}

// A code connected to as a host name never reaches its table; an address
// looked up never reaches its computer.
void TestJoinRoute::typedTextIsAnAddressUnlessADirectoryKnowsTheCode()
{
    QFETCH(QString, typed);
    QFETCH(bool, directories);
    QFETCH(QString, address);

    JoinRoute route;
    route.setDirectories(directories ? QList<DirectoryAddress>{m_nobody} : QList<DirectoryAddress>{});
    QSignalSpy found(&route, &JoinRoute::found);
    QSignalSpy notFound(&route, &JoinRoute::notFound);
    QCOMPARE(route.looksUp(typed), address.isEmpty());
    route.resolve(typed, 7800);
    if (address.isEmpty()) {
        // The directory cannot be asked: the player is told.
        QTRY_COMPARE(notFound.size(), 1);
        QVERIFY(found.isEmpty());
        return;
    }
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().first().value<JoinRoute::Target>(), (JoinRoute::Target{address, 7800, QString()}));
}

void TestJoinRoute::aRowLeadsToItsTableOrThroughItsRelay_data()
{
    QTest::addColumn<TableInfo::Source>("source");
    QTest::addColumn<TableInfo::Reach>("reach");

    QTest::newRow("the local network") << TableInfo::Source::Lan << TableInfo::Reach::Checking;
    QTest::newRow("a directory, reached directly") << TableInfo::Source::Directory << TableInfo::Reach::Direct;
    QTest::newRow("a directory, unreachable") << TableInfo::Source::Directory << TableInfo::Reach::Unreachable;
    QTest::newRow("a directory, relayed") << TableInfo::Source::Directory << TableInfo::Reach::Relayed;
}

void TestJoinRoute::aRowLeadsToItsTableOrThroughItsRelay()
{
    TableInfo table;
    QFETCH(TableInfo::Source, source);
    QFETCH(TableInfo::Reach, reach);
    table.source = source;
    table.reach = reach;
    table.address = QHostAddress(QStringLiteral("192.0.2.9"));
    table.port = 7790;
    table.code = QStringLiteral("CDFHJK");

    // Only the directory knows where a relayed table is: its code stands for it.
    const DirectoryAddress directory{QStringLiteral("dir.example"), 7901};
    const bool relayed = reach == TableInfo::Reach::Relayed;
    QCOMPARE(JoinRoute::typedFor(table), relayed ? table.code : table.address.toString());
    QCOMPARE(JoinRoute::reached(table, directory),
             relayed ? (JoinRoute::Target{directory.host, directory.port, table.code})
                     : (JoinRoute::Target{table.address.toString(), table.port, QString()}));
}

// Two lookups under way: the first one's answer is not the second one's.
void TestJoinRoute::onlyTheLatestLookupIsAnswered()
{
    JoinRoute route;
    route.setDirectories({m_nobody});
    QSignalSpy notFound(&route, &JoinRoute::notFound);
    route.resolve(QStringLiteral("CDFHJK"), 7800);
    route.resolve(QStringLiteral("CDFHJM"), 7800);
    QTRY_COMPARE(notFound.size(), 1);
    QVERIFY(notFound.first().first().toString().contains(QLatin1String("CDFHJM")));
}

QTEST_GUILESS_MAIN(TestJoinRoute)
#include "test_joinroute.moc"
