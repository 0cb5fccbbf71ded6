#include "app/application.h"
#include "base/version.h"
#include "host/headlesshost.h"
#include "robots/headlessrobot.h"
#include "tally/tallycommands.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Modes that never open a window, so they need neither a display nor the
// widget application.
bool isTerminalMode(int argc, char *argv[])
{
    static const char *const kModes[] = {"-h", "--help", "-?", "-v", "--version", "--help-all",
                                         "--serve", "--robot", "--tally", "--compress", "--decompress"};
    for (int i = 1; i < argc; ++i) {
        for (const char *mode : kModes) {
            if (std::strcmp(argv[i], mode) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool terminal = isTerminalMode(argc, argv);
    if (!terminal) {
        if (!displayAvailable()) {
            std::fputs("pinlex: no display available; start it from a desktop session "
                       "(or set QT_QPA_PLATFORM).\n", stderr);
            return 1;
        }
        // Every control has a fixed pixel place: never scale the windows.
        if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING"))
            qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    }
    std::unique_ptr<QCoreApplication> app = terminal ? std::make_unique<QCoreApplication>(argc, argv)
                                                     : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pinlex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Pinlex, a bowling game of words for up to four players and five spectators.\n"
        "Without arguments it starts a solo game; the lobby starts it with the player's\n"
        "name, the host's address and \"true\" in the copy that hosts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("The player's name."), QStringLiteral("[name"));
    parser.addPositionalArgument(QStringLiteral("host"), QStringLiteral("The address of the host to join."),
                                 QStringLiteral("host"));
    parser.addPositionalArgument(QStringLiteral("hosting"),
                                 QStringLiteral("\"true\" when this copy hosts the game."),
                                 QStringLiteral("true]"));
    const QCommandLineOption serve(QStringLiteral("serve"),
                                   QStringLiteral("Run a game host without a window (no display needed)."));
    const QCommandLineOption robot(QStringLiteral("robot"),
                                   QStringLiteral("Play as a computer player against the host HOST without a window "
                                                  "(no display needed)."));
    const QCommandLineOption level(QStringLiteral("level"),
                                   QStringLiteral("The computer player's strength: easy, medium or hard "
                                                  "(default medium)."),
                                   QStringLiteral("level"), QStringLiteral("medium"));
    const QCommandLineOption robotName(QStringLiteral("name"),
                                       QStringLiteral("The computer player's name (default \"Robot (Medium)\", "
                                                      "after its level)."),
                                       QStringLiteral("N"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("The game's TCP port, for hosting, joining, --serve and --robot "
                                                 "(default 7772)."),
                                  QStringLiteral("N"), QStringLiteral("7772"));
    const QCommandLineOption pause(QStringLiteral("pause"),
                                   QStringLiteral("Seconds between frames of a headless host: 5, 10 or 15."),
                                   QStringLiteral("seconds"), QStringLiteral("10"));
    const QCommandLineOption chatLimit(
        QStringLiteral("chat-limit"),
        QStringLiteral("Chat lines, actions and chatter sounds a headless host relays per player per second, "
                       "after a burst of 20 (default 10; 0: no limit)."),
        QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption tally(QStringLiteral("tally"), QStringLiteral("Print the player's tally and exit."));
    const QCommandLineOption compress(QStringLiteral("compress"),
                                      QStringLiteral("Compress file IN into OUT in the tally file's format."));
    const QCommandLineOption decompress(QStringLiteral("decompress"),
                                        QStringLiteral("Decompress file IN, made by --compress, into OUT."));
    parser.addOptions({serve, robot, level, robotName, port, pause, chatLimit, tally, compress, decompress});
    parser.process(*app);

    const QStringList arguments = parser.positionalArguments();
    if (parser.isSet(compress) || parser.isSet(decompress)) {
        if (arguments.size() != 2) {
            std::fputs("pinlex: --compress and --decompress take two files, IN and OUT.\n", stderr);
            return 2;
        }
        return parser.isSet(compress) ? compressFileCommand(arguments[0], arguments[1])
                                      : decompressFileCommand(arguments[0], arguments[1]);
    }
    if (parser.isSet(tally))
        return printTallyCommand();
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    if (!portOk || portNumber == 0 || portNumber > 65535) {
        std::fputs("pinlex: --port takes a number from 1 to 65535.\n", stderr);
        return 2;
    }
    if (parser.isSet(robot)) {
        const std::optional<Strength> strength = strengthFromText(parser.value(level));
        if (!strength) {
            std::fputs("pinlex: --level takes easy, medium or hard.\n", stderr);
            return 2;
        }
        if (arguments.size() != 1) {
            std::fputs("pinlex: --robot takes the address of the host, HOST.\n", stderr);
            return 2;
        }
        const QString name = parser.isSet(robotName) ? parser.value(robotName) : defaultRobotName(*strength);
        if (name.trimmed().isEmpty()) {
            std::fputs("pinlex: --name takes a name that is not empty.\n", stderr);
            return 2;
        }
        return runHeadlessRobot(*strength, name, arguments.first(), quint16(portNumber));
    }
    if (parser.isSet(serve)) {
        const QString pauseText = parser.value(pause);
        if (pauseText != QLatin1String("5") && pauseText != QLatin1String("10") && pauseText != QLatin1String("15")) {
            std::fputs("pinlex: --pause takes 5, 10 or 15.\n", stderr);
            return 2;
        }
        bool limitOk = false;
        const int limit = parser.value(chatLimit).toInt(&limitOk);
        if (!limitOk || limit < 0) {
            std::fputs("pinlex: --chat-limit takes a number of lines per second, 0 for no limit.\n", stderr);
            return 2;
        }
        return runHeadlessHost(quint16(portNumber), pauseText.toInt(), limit);
    }
    return runGame(arguments, quint16(portNumber));
}
