// A hosted table's life, from its listener to its release.
#include "fakewords.h"
#include "host/tablehosting.h"
#include "net/framing.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

TableHosting::Plan shownIn(quint16 directoryPort)
{
    QTcpServer free;
    free.listen(QHostAddress::LocalHost, 0);
    return {free.serverPort(), true, TServer::FirstSlot::FirstComer, true, QStringLiteral("Lab table"),
            {DirectoryAddress{QStringLiteral("127.0.0.1"), directoryPort}}};
}

} // namespace

class TestTableHosting : public QObject
{
    Q_OBJECT

private slots:
    void aTableIsHostedAndReleasedInOneStep();
};

// A relay that cannot be opened is told, not dropped without a word. The
// release ends the table everywhere at once: a listener left on lets
// strangers into a table nobody hosts, a table left listed sends players to
// it, a relaunch told too early starts beside it.
void TestTableHosting::aTableIsHostedAndReleasedInOneStep()
{
    // Never on the machine's own network.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pinlex-test-bus");
    QTcpServer directory;
    QVERIFY(directory.listen(QHostAddress::LocalHost, 0));
    TServer server(std::make_unique<FakeWords>());
    TableHosting hosting(server);
    QSignalSpy failed(&hosting, &TableHosting::relayFailed);
    QSignalSpy released(&hosting, &TableHosting::released);
    hosting.open(shownIn(directory.serverPort()));
    QVERIFY(hosting.isListening());
    QVERIFY(directory.waitForNewConnection(5000));
    QTcpSocket *control = directory.nextPendingConnection();
    // The directory asks for a player's connection, and is gone when it comes.
    directory.close();
    control->write(msg::encode(msg::DirRelay{"0123456789abcdef", "192.0.2.7"}));
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(1).value<QHostAddress>(), QHostAddress(QStringLiteral("192.0.2.7")));

    hosting.release();
    // No router was asked: nothing to wait for.
    QCOMPARE(released.size(), 1);
    QVERIFY(!hosting.isListening());
    QVERIFY(!hosting.announcement());
    // Closing the registration is leaving the directory.
    QTRY_COMPARE(control->state(), QAbstractSocket::UnconnectedState);
}

QTEST_GUILESS_MAIN(TestTableHosting)
#include "test_tablehosting.moc"
