// Hosting and joining from the window: the choice is remembered, becomes the
// launch parameters of a new copy, and those copies meet.
#include "app/chatform.h"
#include "cli/commandline.h"
#include "app/forms.h"
#include "app/session.h"
#include "chat/chatview.h"
#include "client/playchoice.h"
#include "client/playdialog.h"
#include "client/roster.h"
#include "finder/fallbackquerier.h"
#include "host/serverform.h"
#include "host/tableannouncement.h"
#include "net/tsock.h"
#include "settings/inifile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QScopeGuard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// What a copy started with these arguments gets: launch parameters and port.
void launch(Tchat &chat, const QStringList &arguments)
{
    const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("pinlex")} + arguments);
    chat.setLaunchParameters(line.launchParameters);
    chat.setPort(line.port);
    chat.session().client.setAnnounceTable(line.announce);
    chat.show();
}

QString chatText(const Tchat &chat)
{
    return chat.findChild<ChatView *>(QStringLiteral("mainchat"))->toPlainText();
}

QString seatName(const Tchat &chat, int seat)
{
    return chat.session().roster.seatName(seat);
}

} // namespace

class TestPlayWithOthers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void choiceIsRememberedWithTheLastFiveAddresses();
    void copiesStartedFromTheDialogMeet();
    void aFoundTableIsJoinedFromTheList_data();
    void aFoundTableIsJoinedFromTheList();
    void dialogLooksWhileOpen();
    void hostCheckItemsReachTheNewCopy_data();
    void hostCheckItemsReachTheNewCopy();
    void joiningAClosedPortSaysWhy();
    void aRealCopyHostsOnItsPort();

private:
    // The arguments the dialog of chat asks the new copy to start with.
    QStringList play(Tchat &chat, bool hosting, const QString &name, const QString &host, quint16 port);

    QTemporaryDir m_dir;
};

QStringList TestPlayWithOthers::play(Tchat &chat, bool hosting, const QString &name, const QString &host,
                                     quint16 port)
{
    QSignalSpy relaunch(&chat, &Tchat::relaunchRequested);
    chat.findChild<QAction *>(hosting ? QStringLiteral("HostAGame1") : QStringLiteral("JoinAGame1"))->trigger();
    auto *dialog = chat.findChild<TPlayDialog *>();
    if (!dialog)
        return {};
    dialog->edit_name->setText(name);
    dialog->combo_host->setEditText(host);
    dialog->spin_port->setValue(port);
    const auto buttons = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text() == QStringLiteral("&Play"))
            button->click();
    }
    return relaunch.isEmpty() ? QStringList() : relaunch.first().first().toStringList();
}

void TestPlayWithOthers::initTestCase()
{
    // A hosting copy here announces its table: never on the machine's own
    // network (without a bus it answers over UDP only).
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pinlex-test-bus");
    // The Join dialog's queries stay on this machine.
    FallbackQuerier::setTargetsOfAll({QHostAddress(QHostAddress::LocalHost)});
}

void TestPlayWithOthers::choiceIsRememberedWithTheLastFiveAddresses()
{
    IniFile file(m_dir.filePath(QStringLiteral("remember.ini")));
    // The name offered: the last one played under, else the running copy's,
    // else the account's (it once always was the account's, "root" say).
    PlayChoice first = PlayChoice::load(file, QStringLiteral("Pinlex"));
    QCOMPARE(first.name, PlayChoice::accountName().left(PlayChoice::kMaxName));
    QCOMPARE(PlayChoice::load(file, QStringLiteral("Pinlex"), QStringLiteral("Cid")).name, QStringLiteral("Cid"));
    QCOMPARE(first.port, quint16(7772));
    QVERIFY(first.recentHosts.isEmpty());
    QVERIFY(first.announce);
    QVERIFY(first.portMapping);

    PlayChoice choice = first;
    choice.hosting = false;
    choice.announce = false;
    choice.portMapping = false;
    choice.name = QStringLiteral("Bob");
    choice.port = 7800;
    for (const char *host : {"a.example", "b.example", "c.example", "d.example", "e.example", "f.example",
                             "c.example"}) {
        choice.host = QString::fromLatin1(host);
        choice.save(file, QStringLiteral("Pinlex"));
        choice = PlayChoice::load(file, QStringLiteral("Pinlex"));
    }
    QCOMPARE(choice.name, QStringLiteral("Bob"));
    QCOMPARE(PlayChoice::load(file, QStringLiteral("Pinlex"), QStringLiteral("Cid")).name, QStringLiteral("Bob"));
    QVERIFY(!choice.hosting);
    QCOMPARE(choice.port, quint16(7800));
    QVERIFY(!choice.announce);
    QVERIFY(!choice.portMapping);
    QCOMPARE(choice.host, QStringLiteral("c.example"));
    QCOMPARE(choice.recentHosts, (QStringList{"c.example", "f.example", "e.example", "d.example", "b.example"}));
}

void TestPlayWithOthers::copiesStartedFromTheDialogMeet()
{
    const quint16 port = freePort();
    QStringList hostArguments, joinArguments;
    {
        Forms solo;
        solo.chat()->session().options.setFileName(m_dir.filePath(QStringLiteral("ann.ini")));
        launch(*solo.chat(), {QStringLiteral("--port"), QString::number(freePort())});
        // A solo game listens on the loopback address only: nothing to show.
        QTRY_VERIFY(solo.existingServer() && solo.existingServer()->Sock1->isListening());
        QVERIFY(!solo.existingServer()->findChild<TableAnnouncement *>());
        hostArguments = play(*solo.chat(), true, QStringLiteral("Ann"), QString(), port);
        Tchat joiner;
        joiner.session().options.setFileName(m_dir.filePath(QStringLiteral("bob.ini")));
        joinArguments = play(joiner, false, QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), port);
    }
    QCOMPARE(hostArguments, (QStringList{"--port", QString::number(port), "--", "Ann", "127.0.0.1", "true"}));
    QCOMPARE(joinArguments, (QStringList{"--port", QString::number(port), "--", "Bob", "127.0.0.1", "other"}));

    Forms host;
    launch(*host.chat(), hostArguments);
    QTRY_COMPARE(seatName(*host.chat(), 1), QStringLiteral("Ann"));
    Forms join;
    launch(*join.chat(), joinArguments);
    QTRY_COMPARE(seatName(*join.chat(), 2), QStringLiteral("Bob"));
    QTRY_COMPARE(seatName(*host.chat(), 2), QStringLiteral("Bob"));
    QCOMPARE(seatName(*join.chat(), 1), QStringLiteral("Ann"));
    // The hosting copy tells where others can find it, and shows its table.
    QVERIFY(chatText(*host.chat()).contains(QStringLiteral("port %1").arg(port)));
    auto *announcement = host.server()->findChild<TableAnnouncement *>();
    QVERIFY(announcement);
    QCOMPARE(announcement->announcer().table().name, QStringLiteral("Ann's table"));
    QCOMPARE(announcement->announcer().table().port, port);
    QTRY_COMPARE(announcement->announcer().table().seatsTaken, 2);
}

void TestPlayWithOthers::aFoundTableIsJoinedFromTheList_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("sameVersion");

    for (const bool sameVersion : {true, false}) {
        for (const char *how : {"Join", "double-click", "Enter"}) {
            QTest::addRow("%s, %s", how, sameVersion ? "this version" : "another version")
                << QString::fromLatin1(how) << sameVersion;
        }
    }
}

// The chosen table's address and port become the new copy's, whatever was
// typed; Enter on the list joins once, not a second time through Play; a
// table of another version is never joined.
void TestPlayWithOthers::aFoundTableIsJoinedFromTheList()
{
    QFETCH(QString, how);
    QFETCH(bool, sameVersion);

    TPlayDialog dialog;
    PlayChoice remembered;
    remembered.name = QStringLiteral("Bob");
    remembered.host = QStringLiteral("typed.example");
    dialog.present(remembered, true);
    dialog.finder()->stop();   // filled by hand here
    TableInfo table;
    table.name = QStringLiteral("Lab table");
    table.address = QHostAddress(QStringLiteral("10.231.7.1"));
    table.port = 7790;
    table.seatsTaken = 1;
    table.tableId = 42;
    if (!sameVersion)
        table.protocolVersion = kProtocolVersion + 1;
    dialog.finder()->tables()->add(table);
    QTableView *list = dialog.table_games;
    const QModelIndex row = list->model()->index(0, 0);
    list->setCurrentIndex(row);
    QCOMPARE(dialog.button_join->isEnabled(), sameVersion);

    QSignalSpy played(&dialog, &TPlayDialog::playRequested);
    if (how == QLatin1String("Join")) {
        dialog.button_join->click();
    } else if (how == QLatin1String("double-click")) {
        const QPoint at = list->visualRect(row).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
    }
    if (!sameVersion) {
        QCOMPARE(played.count(), 0);
        QVERIFY(dialog.isVisible());
        return;
    }
    QCOMPARE(played.count(), 1);
    const auto chosen = played.first().first().value<PlayChoice>();
    QCOMPARE(chosen.launchArguments(),
             (QStringList{"--port", "7790", "--", "Bob", "10.231.7.1", "other"}));
}

// The finder asks the network only while somebody looks at the list.
void TestPlayWithOthers::dialogLooksWhileOpen()
{
    TPlayDialog dialog;
    QVERIFY(!dialog.finder()->isActive());
    dialog.present(PlayChoice(), false);
    QVERIFY(dialog.finder()->isActive());
    dialog.reject();
    QVERIFY(!dialog.finder()->isActive());
}

void TestPlayWithOthers::hostCheckItemsReachTheNewCopy_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("openRouter");

    QTest::newRow("shown, router asked") << true << true;
    QTest::newRow("shown, router not asked") << true << false;
    QTest::newRow("kept to the local machine") << false << true;
    QTest::newRow("kept to the local machine, router not asked") << false << false;
}

// The host's two check items become the new copy's settings: a table kept
// off the local network never asks the router, whatever the second says,
// and that item is then greyed out.
void TestPlayWithOthers::hostCheckItemsReachTheNewCopy()
{
    QFETCH(bool, show);
    QFETCH(bool, openRouter);

    TPlayDialog dialog;
    PlayChoice remembered;
    remembered.name = QStringLiteral("Ann");
    dialog.present(remembered, true);
    dialog.check_announce->setChecked(show);
    dialog.check_portmapping->setChecked(openRouter);
    QCOMPARE(dialog.check_portmapping->isEnabled(), show);
    const CommandLine line =
        CommandLine::parse(QStringList{QStringLiteral("pinlex")} + dialog.choice().launchArguments());
    dialog.hide();
    QVERIFY2(line.isValid(), qPrintable(line.error));
    QCOMPARE(line.mode, CommandLine::Mode::Host);
    QCOMPARE(line.announce, show);
    QCOMPARE(line.announce && line.portMapping, show && openRouter);
}

void TestPlayWithOthers::joiningAClosedPortSaysWhy()
{
    const quint16 port = freePort();
    Tchat joiner;
    launch(joiner, {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("other"),
                    QStringLiteral("--port"), QString::number(port)});
    QTRY_VERIFY(chatText(joiner).contains(QStringLiteral("refused")));
    QVERIFY(chatText(joiner).contains(QString::number(port)));
    QVERIFY(joiner.isVisible());
    QVERIFY(joiner.findChild<QAction *>(QStringLiteral("JoinAGame1"))->isEnabled());
}

// The program itself, as the dialog starts it, in a home of its own.
void TestPlayWithOthers::aRealCopyHostsOnItsPort()
{
    const quint16 port = freePort();
    QTemporaryDir home;
    QProcess copy;
    QStringList environment = QProcess::systemEnvironment();
    for (const char *folder : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        environment << QString::fromLatin1(folder) + QLatin1Char('=') + home.path();
    environment << QStringLiteral("QT_QPA_PLATFORM=offscreen");
    copy.setEnvironment(environment);
    // Never asking the machine's own router.
    copy.start(QStringLiteral(PINLEX_BINARY),
               {QStringLiteral("Cid"), QStringLiteral("127.0.0.1"), QStringLiteral("true"), QStringLiteral("--port"),
                QString::number(port), QStringLiteral("--no-port-mapping")});
    QVERIFY(copy.waitForStarted());
    const auto stop = qScopeGuard([&copy] {
        copy.kill();
        copy.waitForFinished();
    });

    // The copy may not listen yet: a join that is refused is tried again.
    // (Which of the two gets the first seat depends on who connects first.)
    std::unique_ptr<Tchat> joiner;
    const auto joined = [&] {
        if (joiner) {
            for (int seat = 1; seat <= 4; ++seat) {
                if (seatName(*joiner, seat) == QStringLiteral("Cid"))
                    return true;
            }
        }
        if (!joiner || chatText(*joiner).contains(QStringLiteral("Could not connect"))) {
            joiner = std::make_unique<Tchat>();
            joiner->session().options.setFileName(m_dir.filePath(QStringLiteral("dee.ini")));
            launch(*joiner, {QStringLiteral("Dee"), QStringLiteral("127.0.0.1"), QStringLiteral("other"),
                             QStringLiteral("--port"), QString::number(port)});
        }
        return false;
    };
    QVERIFY(QTest::qWaitFor(joined, 20000));
    QTRY_COMPARE(seatName(*joiner, joiner->session().client.myseat()), QStringLiteral("Dee"));
}

QTEST_MAIN(TestPlayWithOthers)
#include "test_playwithothers.moc"
