// The hosting window behind a real router: run by netlab inside the home
// namespace of a lab whose router runs miniupnpd, skipped anywhere else.
// The window tells its chat where players outside join, and the router
// forgets the mapping before a new copy is started from the Host dialog
// and when the window's program ends.
#include "app/chatform.h"
#include "cli/commandline.h"
#include "app/forms.h"
#include "app/session.h"
#include "chat/chatview.h"
#include "client/playdialog.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString chatText(const Tchat &chat)
{
    return chat.findChild<ChatView *>(QStringLiteral("mainchat"))->toPlainText();
}

// What a machine at home learns from the router: its outside address, and
// the lines of its mappings of port.
struct RouterView
{
    QHostAddress outside;
    QStringList mappings;
};

RouterView askRouter(quint16 port)
{
    QProcess upnpc;
    upnpc.start(QStringLiteral("upnpc"), {QStringLiteral("-l")});
    upnpc.waitForFinished(20000);
    RouterView view;
    const QRegularExpression mapping(QStringLiteral("TCP +%1->").arg(port));
    for (const QString &line : QString::fromLocal8Bit(upnpc.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("ExternalIPAddress = ")))
            view.outside = QHostAddress(line.section(QLatin1Char(' '), 2).trimmed());
        else if (mapping.match(line).hasMatch())
            view.mappings << line.trimmed();
    }
    return view;
}

} // namespace

class TestWindowReach : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mappingIsToldAndGoesWithTheHost_data();
    void mappingIsToldAndGoesWithTheHost();

private:
    QTemporaryDir m_dir;
};

void TestWindowReach::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("NETLAB_NS"))
        QSKIP("asks a router: runs only inside a netlab router lab");
}

void TestWindowReach::mappingIsToldAndGoesWithTheHost_data()
{
    QTest::addColumn<bool>("relaunch");
    QTest::addColumn<quint16>("port");

    // Ports no other test behind this router uses: they run side by side,
    // and the relay test's host listens on 7840 and 7841.
    QTest::newRow("hosting again from the dialog") << true << quint16(7850);
    QTest::newRow("the program ends") << false << quint16(7851);
}

void TestWindowReach::mappingIsToldAndGoesWithTheHost()
{
    QFETCH(bool, relaunch);
    QFETCH(quint16, port);

    auto forms = std::make_unique<Forms>();
    Tchat &chat = *forms->chat();
    chat.session().options.setFileName(m_dir.filePath(QStringLiteral("ann%1.ini").arg(port)));
    // As the program starts a hosting copy.
    const CommandLine line = CommandLine::parse(
        {QStringLiteral("pinlex"), QStringLiteral("--port"), QString::number(port), QStringLiteral("--"),
         QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    QVERIFY(line.portMapping);
    chat.setLaunchParameters(line.launchParameters);
    chat.setPort(line.port);
    chat.session().client.setAnnounceTable(line.announce);
    chat.setPortMapping(line.portMapping);
    QElapsedTimer clock;
    clock.start();
    chat.show();

    QVERIFY2(QTest::qWaitFor([&] { return chatText(chat).contains(QLatin1String("The router")); }, 15000),
             qPrintable(chatText(chat)));
    qInfo("the chat told the router's answer %lld ms after the window opened", clock.elapsed());
    const RouterView mapped = askRouter(port);
    QVERIFY(!mapped.outside.isNull());
    QCOMPARE(mapped.mappings.size(), 1);
    QVERIFY2(chatText(chat).contains(QStringLiteral("%1 port %2").arg(mapped.outside.toString()).arg(port)),
             qPrintable(chatText(chat)));
    QCOMPARE(chatText(chat).count(QLatin1String("The router")), 1);

    if (relaunch) {
        QSignalSpy relaunched(&chat, &Tchat::relaunchRequested);
        chat.findChild<QAction *>(QStringLiteral("HostAGame1"))->trigger();
        auto *dialog = chat.findChild<TPlayDialog *>();
        QVERIFY(dialog);
        dialog->spin_port->setValue(port);
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("&Play"))
                button->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!relaunched.isEmpty(), 10000);
        // Still running, as when the new copy starts.
        QCOMPARE(askRouter(port).mappings, QStringList());
    }
    forms.reset();
    QCOMPARE(askRouter(port).mappings, QStringList());
}

QTEST_MAIN(TestWindowReach)
#include "test_windowreach.moc"
