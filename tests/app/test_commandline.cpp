// The command line: every documented form reads as its mode and settings,
// a bad form ends the real program with status 2 and its usage, and the
// launch parameters the Host/Join dialog writes come back as they were.
#include "cli/commandline.h"
#include "client/playchoice.h"

#include <QProcess>
#include <QtTest>

namespace {

// The outcome in one line, so that a row states it whole.
QString describe(const CommandLine &line)
{
    using Mode = CommandLine::Mode;
    if (!line.isValid())
        return QStringLiteral("bad");
    const QString port = QStringLiteral(" port %1").arg(line.port);
    const QString unannounced = QString::fromLatin1(line.announce ? "" : " unannounced")
                                + QString::fromLatin1(line.portMapping ? "" : " unmapped");
    switch (line.mode) {
    case Mode::Solo:
        return QStringLiteral("solo") + port + unannounced;
    case Mode::Host:
    case Mode::Join:
    case Mode::Loading: {
        const char *kind = line.mode == Mode::Host ? "host " : line.mode == Mode::Join ? "join " : "loading ";
        return QLatin1String(kind) + line.launchParameters.join(QLatin1Char('|')) + port + unannounced;
    }
    case Mode::Serve:
    case Mode::ListGames: {
        QStringList directories;
        for (const DirectoryAddress &directory : line.directories)
            directories << directory.toString();
        const QString listed =
            directories.isEmpty() ? QString() : QStringLiteral(" directories ") + directories.join(QLatin1Char(' '));
        if (line.mode == Mode::ListGames)
            return QStringLiteral("list-games %1 s").arg(line.seconds) + listed;
        return QStringLiteral("serve pause %1 chat-limit %2").arg(line.pauseSeconds).arg(line.chatLimit) + port
               + (line.tableName.isEmpty() ? QString() : QStringLiteral(" as ") + line.tableName) + unannounced
               + listed;
    }
    case Mode::Directory:
        return QStringLiteral("directory expiry %1").arg(line.expirySeconds) + port;
    case Mode::Robot:
        return QStringLiteral("robot %1, %2, at %3").arg(line.robotName, strengthName(line.level), line.host) + port;
    case Mode::Tally:
        return QStringLiteral("tally");
    case Mode::History:
        return QStringLiteral("history last %1").arg(line.last) + (line.json ? QStringLiteral(" json") : QString());
    case Mode::Define:
        return QStringLiteral("define ") + line.words.join(QLatin1Char('|'));
    case Mode::Compress:
        return QStringLiteral("compress %1 %2").arg(line.input, line.output);
    case Mode::Decompress:
        return QStringLiteral("decompress %1 %2").arg(line.input, line.output);
    case Mode::Help:
        return line.helpAll ? QStringLiteral("help-all") : QStringLiteral("help");
    case Mode::Version:
        return QStringLiteral("version");
    }
    return QString();
}

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void everyFormReadsAsDocumented_data();
    void everyFormReadsAsDocumented();
    void namesAndAddressesFromTheDialogStayWhatTheyAre_data();
    void namesAndAddressesFromTheDialogStayWhatTheyAre();
};

void TestCommandLine::everyFormReadsAsDocumented_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("window");

    const auto row = [](const char *name, const char *arguments, const char *outcome, bool window = false) {
        QTest::newRow(name) << words(arguments) << QString::fromUtf8(outcome) << window;
    };
    row("no arguments: solo", "", "solo port 7772", true);
    row("host", "Ann localhost true", "host Ann|localhost|true port 7772", true);
    row("host on a port", "Ann localhost true --port 7800", "host Ann|localhost|true port 7800", true);
    row("join", "Bob 192.168.1.20 other --port 7800", "join Bob|192.168.1.20|other port 7800", true);
    row("only exactly true hosts", "Bob h True", "join Bob|h|True port 7772", true);
    row("options, then --, then values", "--port 7800 -- -Bob --serve true", "host -Bob|--serve|true port 7800",
        true);
    row("the lobby's first step", "Ann", "loading Ann port 7772", true);
    row("serve", "--serve", "serve pause 10 chat-limit 10 port 7772");
    row("serve with settings", "--serve --port 7800 --pause 5 --chat-limit 0", "serve pause 5 chat-limit 0 port 7800");
    row("serve, shown under a name", "--serve --table-name Lab", "serve pause 10 chat-limit 10 port 7772 as Lab");
    QTest::newRow("serve, the name cut as names are")
        << QStringList{"--serve", "--table-name", " \x1b[2J the longest table name of all "}
        << "serve pause 10 chat-limit 10 port 7772 as ?[2J the longest table n" << false;
    row("serve, not shown", "--serve --no-announce", "serve pause 10 chat-limit 10 port 7772 unannounced");
    row("host, not shown", "--no-announce -- Ann h true", "host Ann|h|true port 7772 unannounced", true);
    row("serve, no port mapping", "--serve --no-port-mapping", "serve pause 10 chat-limit 10 port 7772 unmapped");
    row("host, no port mapping", "--no-port-mapping -- Ann h true", "host Ann|h|true port 7772 unmapped", true);
    row("list games", "--list-games", "list-games 3 s");
    row("list games for longer", "--list-games --seconds 10", "list-games 10 s");
    row("serve listed in directories", "--serve --directory-address d.example --directory-address [::1]:8000",
        "serve pause 10 chat-limit 10 port 7772 directories d.example:7773 [::1]:8000");
    row("list games in a directory", "--list-games --directory-address d.example",
        "list-games 3 s directories d.example:7773");
    row("directory", "--directory", "directory expiry 90 port 7773");
    row("directory with settings", "--directory --port 8000 --expiry-seconds 3", "directory expiry 3 port 8000");
    row("robot", "--robot h", "robot Robot (Medium), Medium, at h port 7772");
    row("robot with settings", "--robot --level hard --name Robbie game.example.org",
        "robot Robbie, Hard, at game.example.org port 7772");
    row("robot, port after the host", "--robot h --port 7800", "robot Robot (Medium), Medium, at h port 7800");
    row("robot's level names it", "--robot --level easy h", "robot Robot (Easy), Easy, at h port 7772");
    row("tally", "--tally", "tally");
    row("history", "--history", "history last 0");
    row("history, the last games as JSON", "--history --last 5 --json", "history last 5 json");
    row("define words", "--define Knocked spare", "define Knocked|spare");
    row("compress", "--compress in out", "compress in out");
    row("decompress", "--decompress in out", "decompress in out");
    row("help", "--help", "help");
    row("help, short", "-h", "help");
    row("help with Qt's options", "--help-all", "help-all");
    row("version", "--version", "version");
    row("version, short", "-v", "version");

    row("unknown option", "--bogus", "bad");
    row("a name read as an option", "-Bob h true", "bad");
    row("port 0", "--port 0", "bad");
    row("port too high", "Ann h true --port 65536", "bad");
    row("port not a number", "--serve --port x", "bad");
    row("port without its value", "--port", "bad");
    row("pause not offered", "--serve --pause 7", "bad");
    row("chat limit below 0", "--serve --chat-limit -1", "bad");
    row("not a directory address", "--serve --directory-address d.example:0", "bad");
    row("a directory address for a directory", "--directory --directory-address d.example", "bad");
    row("no expiry", "--directory --expiry-seconds 0", "bad");
    row("directory given a name", "--directory Ann", "bad");
    row("robot without a host", "--robot", "bad");
    row("robot with two hosts", "--robot a b", "bad");
    row("robot of no known level", "--robot --level expert h", "bad");
    QTest::newRow("robot with an empty name") << QStringList{"--robot", "--name", " ", "h"} << "bad" << false;
    row("define without a word", "--define", "bad");
    row("compress with one file", "--compress in", "bad");
    row("decompress with three files", "--decompress a b c", "bad");
    row("two modes", "--serve --robot h", "bad");
    row("a setting of another mode", "--pause 5 Ann h true", "bad");
    row("serve given a name", "--serve Ann", "bad");
    QTest::newRow("an empty table name") << QStringList{"--serve", "--table-name", " "} << "bad" << false;
    row("a table name for a window", "--table-name T Ann h true", "bad");
    row("a robot not shown", "--robot --no-announce h", "bad");
    row("a robot without port mapping", "--robot --no-port-mapping h", "bad");
    row("seconds without the list", "--serve --seconds 5", "bad");
    row("seconds beyond an hour", "--list-games --seconds 3601", "bad");
    row("list games given a name", "--list-games Ann", "bad");
    row("no games last", "--history --last 0", "bad");
    row("json without the history", "--tally --json", "bad");
}

// A form read as another mode, or a bad one that starts anyway (a typo'd
// port silently becoming 7772), would be caught here; a bad form must end
// the real program with status 2, saying why and how it is used.
void TestCommandLine::everyFormReadsAsDocumented()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, outcome);
    QFETCH(bool, window);

    const QStringList full = QStringList{QStringLiteral("pinlex")} + arguments;
    const CommandLine line = CommandLine::parse(full);
    QCOMPARE(describe(line), outcome);
    if (line.isValid()) {
        QCOMPARE(line.opensWindow(), window);
        // Decided before the toolkit starts, the same way.
        QCOMPARE(CommandLine::opensWindow(full), window);
        return;
    }
    QVERIFY(!line.error.isEmpty());
    QProcess program;
    program.start(QStringLiteral(PINLEX_BINARY), arguments);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardOutput().isEmpty());
    const QByteArray said = program.readAllStandardError();
    QVERIFY2(said.contains("pinlex: " + line.error.toUtf8() + '\n'), said.constData());
    QVERIFY2(said.contains(CommandLine::usage().toUtf8()), said.constData());
}

void TestCommandLine::namesAndAddressesFromTheDialogStayWhatTheyAre_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<QString>("host");

    QTest::newRow("an unknown option") << "-Bob" << true << QString();
    QTest::newRow("a mode") << "--serve" << true << QString();
    QTest::newRow("the toolkit's platform") << "-platform" << true << QString();
    QTest::newRow("the toolkit's style") << "-style" << true << QString();
    QTest::newRow("the end of options") << "--" << true << QString();
    QTest::newRow("a dash") << "-" << true << QString();
    QTest::newRow("an option with a value") << "--port" << true << QString();
    QTest::newRow("help") << "--help" << false << "--version";
    QTest::newRow("a file tool and a file") << "--compress" << false << "/etc/passwd";
    QTest::newRow("the toolkit's display") << "-display" << false << "--decompress";
    QTest::newRow("a word that hosts") << "true" << false << "-h";
    QTest::newRow("plain") << "Ann Lee" << false << "::1";
}

// A name or an address beginning with "-" was read as an option by the new
// copy: "-Bob" could never play, "--serve" started a host without a window,
// "--compress" with "/etc/passwd" overwrote that file, "-platform" aborted.
void TestCommandLine::namesAndAddressesFromTheDialogStayWhatTheyAre()
{
    QFETCH(QString, name);
    QFETCH(bool, hosting);
    QFETCH(QString, host);

    PlayChoice choice;
    choice.name = name;
    choice.hosting = hosting;
    choice.host = host;
    choice.port = 7801;
    QVERIFY(choice.problem().isEmpty());
    const QStringList full = QStringList{QStringLiteral("pinlex")} + choice.launchArguments();

    const CommandLine line = CommandLine::parse(full);
    QVERIFY2(line.isValid(), qPrintable(line.error));
    QCOMPARE(line.mode, hosting ? CommandLine::Mode::Host : CommandLine::Mode::Join);
    const QStringList expected = {name, hosting ? QStringLiteral("127.0.0.1") : host,
                                  hosting ? QStringLiteral("true") : QStringLiteral("other")};
    QCOMPARE(line.launchParameters, expected);
    QCOMPARE(line.port, choice.port);
    QVERIFY(CommandLine::opensWindow(full));
    // None of them is handed to the toolkit, which would take "-platform"
    // and its like for its own.
    QCOMPARE(full.mid(CommandLine::toolkitArgumentCount(full)), QStringList{QStringLiteral("--")} + expected);
}

QTEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
