// The headless host as a process of its own: no display, a line per event
// on standard output, and a clean end on SIGINT or SIGTERM.
#include "testclient.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct HeadlessHost
{
    QTemporaryDir home;
    QProcess process;
    QByteArray output;
    QByteArray errors;
    quint16 port = 0;

    bool start(quint16 onPort)
    {
        port = onPort;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        // the dictionary file goes to a cache of this test's own
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.path());
        process.setProcessEnvironment(environment);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { output += process.readAllStandardOutput(); });
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this] { errors += process.readAllStandardError(); });
        // Never asking the machine's own router.
        process.start(QStringLiteral(PINLEX_BINARY),
                      {QStringLiteral("--serve"), QStringLiteral("--port"), QString::number(port),
                       QStringLiteral("--pause"), QStringLiteral("5"), QStringLiteral("--no-port-mapping")});
        return process.waitForStarted();
    }

    bool waitForLine(const QByteArray &line, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return output.split('\n').contains(line); }, timeoutMs);
    }
};

} // namespace

class TestHeadless : public QObject
{
    Q_OBJECT

private slots:
    void servesAGameAndEndsCleanlyOnSignal_data();
    void servesAGameAndEndsCleanlyOnSignal();
    void portInUseIsReported();
    void conversionErrorsReachTheTerminalPrintable();
};

void TestHeadless::servesAGameAndEndsCleanlyOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestHeadless::servesAGameAndEndsCleanlyOnSignal()
{
    QFETCH(int, signal);
    HeadlessHost host;
    QVERIFY(host.home.isValid());
    QVERIFY(host.start(freePort()));
    QVERIFY2(host.waitForLine("listening on port " + QByteArray::number(host.port) + ", 5 seconds between frames"),
             host.output + host.process.readAllStandardError());

    // The first connection is the hosting player; control characters of a
    // name never reach the terminal.
    TestClient ann;
    QVERIFY(ann.login(host.port, "Ann\x1b[2J"));
    QVERIFY(host.waitForLine("connection slot 1 from 127.0.0.1"));
    QVERIFY(host.waitForLine("login slot 1 \"Ann?[2J\" version 1.0.9"));

    ann.send("CMD_startgame+Ann+60+f+");
    const QByteArray deal = ann.waitFor("CMD_theletters+0+");
    QVERIFY(host.waitForLine("game started by \"Ann\", 60 seconds per turn, individual game"));
    const QList<QByteArray> fields = deal.split('+');
    QByteArray word = "CMD_sendword+1";
    for (qsizetype i = 2; i + 1 < fields.size(); i += 2)
        word += '+' + fields[i];
    ann.send(word);   // every letter word is in the dictionary: a strike
    QCOMPARE(ann.waitFor("CMD_goodword+"), QByteArray("CMD_goodword+1+1+0+1+10+"));
    QVERIFY(host.waitForLine("frame 1 ended, totals 0 0 0 0"));

    ::kill(pid_t(host.process.processId()), signal);
    QVERIFY(host.process.waitForFinished(10000));
    QCOMPARE(host.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.process.exitCode(), 0);
    host.output += host.process.readAllStandardOutput();
    QVERIFY(host.output.endsWith("stopped\n"));
    QVERIFY(ann.waitClosed());
    // the dictionary it wrote went with it
    QCOMPARE(QDir(host.home.path() + QStringLiteral("/Pinlex")).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList());
}

void TestHeadless::portInUseIsReported()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, 0));
    HeadlessHost host;
    QVERIFY(host.start(taken.serverPort()));
    QVERIFY(host.process.waitForFinished(10000));
    QCOMPARE(host.process.exitCode(), 1);
    QVERIFY((host.errors + host.process.readAllStandardError()).contains("Listen - Error Binding Socket"));
}

// A field that is not a number is reported on standard error with the
// field quoted: its escape sequences must not reach the terminal.
void TestHeadless::conversionErrorsReachTheTerminalPrintable()
{
    HeadlessHost host;
    QVERIFY(host.start(freePort()));
    QVERIFY(host.waitForLine("listening on port " + QByteArray::number(host.port) + ", 5 seconds between frames"));
    TestClient ann;
    QVERIFY(ann.login(host.port, "Ann"));
    ann.send("CMD_kickhim+\x1b]0;TITLE\x07\x1b[2J+2+");
    QVERIFY(QTest::qWaitFor([&] { return host.errors.contains("is not a valid integer value"); }, 10000));
    QVERIFY2(host.errors.contains("'?]0;TITLE??[2J'"), host.errors.constData());
    QVERIFY(!host.errors.contains('\x1b') && !host.errors.contains('\x07'));
    host.process.terminate();
    QVERIFY(host.process.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
