// Start-up of the real program: command line, display check, single instance.
#include "app/application.h"
#include "app/singleinstance.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

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
