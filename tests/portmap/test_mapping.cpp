#include "portmap/mapping.h"

#include <QtTest>

#include <limits>

class MappingTest : public QObject
{
    Q_OBJECT

private slots:
    void renewalComesBeforeTheLeaseEnds_data();
    void renewalComesBeforeTheLeaseEnds();
    void outsideAddressMustBeOnTheInternet_data();
    void outsideAddressMustBeOnTheInternet();
    void descriptionIsPlainAsciiWithoutMarkup_data();
    void descriptionIsPlainAsciiWithoutMarkup();
};

// The router picks the lease. A lease of 0 renewed at "half of it" would
// hammer the router in a loop; 2^32-1 seconds in milliseconds overflows a
// timer; neither may happen.
void MappingTest::renewalComesBeforeTheLeaseEnds_data()
{
    QTest::addColumn<quint32>("lease");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<int>("atMost");

    QTest::newRow("an hour, as asked: half") << 3600u << 1800 << 1800;
    QTest::newRow("shorter than asked: half") << 600u << 300 << 300;
    QTest::newRow("never ends: still checked within the hour") << 0u << 60 << 3599;
    QTest::newRow("longer than asked: within the hour") << 86400u << 60 << 3599;
    QTest::newRow("largest a router can say") << std::numeric_limits<quint32>::max() << 60 << 3599;
    QTest::newRow("a few seconds: no tight loop") << 4u << 10 << 3599;
}

void MappingTest::renewalComesBeforeTheLeaseEnds()
{
    QFETCH(quint32, lease);
    QFETCH(int, atLeast);
    QFETCH(int, atMost);
    const int delay = renewalDelaySeconds(lease);
    QVERIFY2(delay >= atLeast && delay <= atMost, qPrintable(QString::number(delay)));
    QVERIFY(qint64(delay) * 1000 <= std::numeric_limits<int>::max());
}

void MappingTest::outsideAddressMustBeOnTheInternet_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("isPublic");

    QTest::newRow("public") << QStringLiteral("11.231.0.1") << true;
    QTest::newRow("public, next to a private range") << QStringLiteral("172.32.0.1") << true;
    QTest::newRow("home network 192.168") << QStringLiteral("192.168.1.1") << false;
    QTest::newRow("home network 10") << QStringLiteral("10.231.1.1") << false;
    QTest::newRow("home network 172.16") << QStringLiteral("172.20.0.1") << false;
    QTest::newRow("carrier-grade NAT") << QStringLiteral("100.64.3.4") << false;
    QTest::newRow("nothing yet") << QStringLiteral("0.0.0.0") << false;
    QTest::newRow("loopback") << QStringLiteral("127.0.0.1") << false;
    QTest::newRow("link-local") << QStringLiteral("169.254.1.1") << false;
    QTest::newRow("unparsable") << QStringLiteral("router") << false;
}

void MappingTest::outsideAddressMustBeOnTheInternet()
{
    QFETCH(QString, address);
    QFETCH(bool, isPublic);
    QCOMPARE(isPublicAddress(QHostAddress(address)), isPublic);
}

void MappingTest::descriptionIsPlainAsciiWithoutMarkup_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("plain") << QStringLiteral("Pinlex 7772") << QByteArray("Pinlex 7772");
    QTest::newRow("markup") << QStringLiteral("Ann's <b>&table</b>") << QByteArray("Ann s  b  table /b");
    QTest::newRow("not ASCII") << QStringLiteral("Caf\u00e9\n") << QByteArray("Caf??");
}

void MappingTest::descriptionIsPlainAsciiWithoutMarkup()
{
    QFETCH(QString, description);
    QFETCH(QByteArray, sent);
    QCOMPARE(routerDescription(description), sent);
    QVERIFY(routerDescription(QString(500, QLatin1Char('x'))).size() <= 64);
}

QTEST_GUILESS_MAIN(MappingTest)
#include "test_mapping.moc"
