// Start-up of the real program: command line, display check, single instance.
#include "app/application.h"
#include "app/chatform.h"
#include "cli/commandline.h"
#include "app/session.h"
#include "app/singleinstance.h"
#include "chat/chatview.h"
#include "client/gameclient.h"
#include "client/playchoice.h"
#include "client/roster.h"

#include <QHostInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QProcessEnvironment environmentFor(const QString &runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// One launch parameter: the copy neither hosts nor joins, so it opens no port.
void startGame(QProcess &process, const QString &runtimeDir)
{
    process.setProcessEnvironment(environmentFor(runtimeDir));
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("Tester")});
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A copy in a home of its own, as the Host/Join dialog starts it.
void startCopy(QProcess &process, const QTemporaryDir &home, const QStringList &arguments)
{
    QProcessEnvironment env = environmentFor(home.path());
    for (const char *folder : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        env.insert(QLatin1String(folder), home.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PINLEX_BINARY), arguments);
}

bool seated(const Tchat &chat, const QString &name)
{
    for (int seat = 1; seat <= 4; ++seat) {
        if (chat.session().roster.seatName(seat) == name)
            return true;
    }
    return false;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void versionAndHelpNeedNoDisplay();
    void noDisplayIsOneClearLine();
    void secondCopyEndsAndTheFirstRunsOn();
    void crashedCopyLeavesNothingThatBlocks();
    void laterCopyBringsTheFirstForward();
    void aLockNoCopyHoldsIsTakenOver_data();
    void aLockNoCopyHoldsIsTakenOver();
    void namesThatLookLikeOptionsReachTheTable();
    void fallbackFolderMustBeTheUsersOwn_data();
    void fallbackFolderMustBeTheUsersOwn();
};

void TestStartup::versionAndHelpNeedNoDisplay()
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--version")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("Pinlex 1.0.9"));

    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray help = process.readAllStandardOutput();
    QVERIFY(help.contains("--serve"));
    QVERIFY(help.contains("name"));
}

void TestStartup::noDisplayIsOneClearLine()
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PINLEX_BINARY));
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 1);
    const QByteArray said = process.readAllStandardError();
    QCOMPARE(said.count('\n'), 1);
    QVERIFY(said.contains("no display"));
}

void TestStartup::secondCopyEndsAndTheFirstRunsOn()
{
    QTemporaryDir runtime;
    QProcess first;
    startGame(first, runtime.path());
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("kivro9.socket"))), 10000);
    // The marker stays visible to other programs while the game runs.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("Pinlex.lock"))), 10000);

    QProcess second;
    startGame(second, runtime.path());
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TestStartup::crashedCopyLeavesNothingThatBlocks()
{
    QTemporaryDir runtime;
    QProcess first;
    startGame(first, runtime.path());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("kivro9.socket"))), 10000);
    ::kill(pid_t(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(10000));

    QProcess next;
    startGame(next, runtime.path());
    QVERIFY(next.waitForStarted());
    // It stays: the dead copy's lock counts for nothing.
    QVERIFY(!next.waitForFinished(1500));
    QCOMPARE(next.state(), QProcess::Running);
    next.terminate();
    QVERIFY(next.waitForFinished(10000));
}

void TestStartup::laterCopyBringsTheFirstForward()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    SingleInstance first;
    QVERIFY(!first.IsPrevInstance(QStringLiteral("pinlex-test"), true));
    // It listens once its event loop runs.
    QTRY_VERIFY(QFileInfo::exists(runtime.path() + QStringLiteral("/pinlex-test.socket")));
    QSignalSpy asked(&first, &SingleInstance::activateRequested);
    SingleInstance second;
    QVERIFY(second.IsPrevInstance(QStringLiteral("pinlex-test"), true));
    QVERIFY(asked.wait(5000));

    QWidget window;
    window.showMinimized();
    QVERIFY(window.isMinimized());
    bringForward(&window);
    QVERIFY(!window.isMinimized());
}

void TestStartup::aLockNoCopyHoldsIsTakenOver_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<bool>("starts");
    QTest::newRow("empty") << "empty" << true;
    QTest::newRow("garbage") << "garbage" << true;
    QTest::newRow("naming a live pinlex --serve") << "serve" << true;
    QTest::newRow("a folder") << "folder" << false;
    QTest::newRow("a link") << "link" << false;
    QTest::newRow("not writable") << "read-only" << false;
}

// A lock file that no running copy holds made every start end at once,
// silently and with status 0: empty, damaged, or naming a process number
// that now belongs to another program. Such a file is taken over; one that
// cannot be used at all is named on standard error, with a failing status.
void TestStartup::aLockNoCopyHoldsIsTakenOver()
{
    QFETCH(QString, lock);
    QFETCH(bool, starts);
    QTemporaryDir runtime;
    const QString lockPath = runtime.filePath(QStringLiteral("kivro9.lock"));

    QProcess server;
    const auto stopServer = qScopeGuard([&server] {
        server.terminate();
        if (!server.waitForFinished(5000))
            server.kill();
        server.waitForFinished();
    });
    QFile file(lockPath);
    if (lock == QLatin1String("folder")) {
        QVERIFY(QDir(runtime.path()).mkdir(QStringLiteral("kivro9.lock")));
    } else if (lock == QLatin1String("link")) {
        QVERIFY(QFile::link(runtime.filePath(QStringLiteral("elsewhere")), lockPath));
    } else {
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (lock == QLatin1String("garbage")) {
            file.write("\x01\xff not a number\n\n");
        } else if (lock == QLatin1String("serve")) {
            QProcessEnvironment env = environmentFor(runtime.path());
            env.insert(QStringLiteral("XDG_CACHE_HOME"), runtime.path()); // its dictionary
            server.setProcessEnvironment(env);
            server.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--serve"), QStringLiteral("--port"),
                                                         QString::number(freePort()),
                                                         QStringLiteral("--no-port-mapping")});
            QVERIFY(server.waitForStarted());
            // As the lock would read had a copy with that number held it.
            file.write(QByteArray::number(server.processId()) + "\npinlex\n"
                       + QHostInfo::localHostName().toUtf8() + '\n');
        }
        file.close();
        if (lock == QLatin1String("read-only")) {
            if (getuid() == 0)
                QSKIP("root may write any file");
            QVERIFY(file.setPermissions(QFile::ReadOwner));
        }
    }

    QProcess game;
    startGame(game, runtime.path());
    QVERIFY(game.waitForStarted());
    if (!starts) {
        QVERIFY(game.waitForFinished(10000));
        QVERIFY(game.exitCode() != 0);
        const QByteArray said = game.readAllStandardError();
        QVERIFY2(said.contains(QFile::encodeName(lockPath)), said.constData());
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("kivro9.socket"))), 10000);
    QCOMPARE(game.state(), QProcess::Running);
    // And the copy it took over from still counts: a later one comes forward.
    QProcess second;
    startGame(second, runtime.path());
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(game.state(), QProcess::Running);
    game.terminate();
    QVERIFY(game.waitForFinished(10000));
}

// A copy started by the Host/Join dialog with a name or an address that
// looks like an option plays under it: "-platform" used to abort the copy in
// the toolkit, "--serve" to start a host without a window.
void TestStartup::namesThatLookLikeOptionsReachTheTable()
{
    const quint16 port = freePort();
    PlayChoice hosting;
    hosting.name = QStringLiteral("-platform");
    hosting.hosting = true;
    hosting.port = port;
    PlayChoice joining;
    joining.name = QStringLiteral("--serve");
    joining.hosting = false;
    joining.host = QStringLiteral("127.0.0.1");
    joining.port = port;

    QTemporaryDir hostHome, joinHome;
    QProcess host, join;
    const auto stop = qScopeGuard([&host, &join] {
        for (QProcess *copy : {&host, &join}) {
            copy->kill();
            copy->waitForFinished();
        }
    });
    startCopy(host, hostHome, hosting.launchArguments());
    QVERIFY(host.waitForStarted());

    // A watcher joins in this process once the copy listens.
    std::unique_ptr<Tchat> watcher;
    const auto sees = [&](const QString &name) {
        if (host.state() != QProcess::Running)
            return true; // fails below, with what the copy said
        if (watcher && seated(*watcher, name))
            return true;
        if (!watcher
            || watcher->findChild<ChatView *>(QStringLiteral("mainchat"))->toPlainText().contains(
                QStringLiteral("Could not connect"))) {
            watcher = std::make_unique<Tchat>();
            const CommandLine line =
                CommandLine::parse({QStringLiteral("pinlex"), QStringLiteral("Watcher"), QStringLiteral("127.0.0.1"),
                                    QStringLiteral("other"), QStringLiteral("--port"), QString::number(port)});
            watcher->setLaunchParameters(line.launchParameters);
            watcher->setPort(line.port);
            watcher->show();
        }
        return false;
    };
    QVERIFY(QTest::qWaitFor([&] { return sees(hosting.name); }, 20000));
    QVERIFY2(host.state() == QProcess::Running, host.readAllStandardError().constData());

    startCopy(join, joinHome, joining.launchArguments());
    QVERIFY(join.waitForStarted());
    QVERIFY2(QTest::qWaitFor([&] { return seated(*watcher, joining.name) || join.state() != QProcess::Running; },
                             20000),
             join.readAllStandardError().constData());
    QVERIFY(seated(*watcher, joining.name));
}

void TestStartup::fallbackFolderMustBeTheUsersOwn_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing: made private") << "missing";
    QTest::newRow("writable by all") << "0777";
    QTest::newRow("writable by the group") << "0770";
    QTest::newRow("another user's") << "another user's";
    QTest::newRow("a link to a private folder") << "link";
}

// Without XDG_RUNTIME_DIR the locks go to a folder in the shared temporary
// folder; another user who made it first could stop every start. Such a
// folder is refused with a message, and the program ends with status 1.
void TestStartup::fallbackFolderMustBeTheUsersOwn()
{
    QFETCH(QString, folder);
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("pinlex-") + QString::number(getuid()));
    const QByteArray name = QFile::encodeName(path);
    if (folder == QLatin1String("link")) {
        QVERIFY(QDir(temp.path()).mkdir(QStringLiteral("private"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::link(temp.filePath(QStringLiteral("private")), path));
    } else if (folder != QLatin1String("missing")) {
        QCOMPARE(::mkdir(name.constData(), 0700), 0);
        if (folder == QLatin1String("another user's")) {
            if (getuid() != 0) {
                QVERIFY(!privateFolderProblem(path, getuid() + 1).isEmpty());
                QSKIP("only root can give a folder to another user");
            }
            QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
        } else {
            QCOMPARE(::chmod(name.constData(), mode_t(folder.toUInt(nullptr, 8))), 0);
        }
    }

    QProcess game;
    QProcessEnvironment env = environmentFor(QString());
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    game.setProcessEnvironment(env);
    game.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("Tester")});
    if (folder == QLatin1String("missing")) {
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path + QStringLiteral("/kivro9.socket")), 10000);
        struct stat info = {};
        QCOMPARE(::stat(name.constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
        game.terminate();
        QVERIFY(game.waitForFinished(10000));
        return;
    }
    QVERIFY(game.waitForFinished(10000));
    QCOMPARE(game.exitCode(), 1);
    const QByteArray said = game.readAllStandardError();
    QVERIFY2(said.contains("locks in " + name + ": "), said.constData());
    QVERIFY(!QFile::exists(path + QStringLiteral("/kivro9.lock")));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
