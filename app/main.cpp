#include "app/application.h"
#include "app/commandline.h"
#include "app/session.h"
#include "base/terminaltext.h"
#include "base/version.h"
#include "directory/gamelisting.h"
#include "directory/rundirectory.h"
#include "history/historycommand.h"
#include "host/headlesshost.h"
#include "robots/headlessrobot.h"
#include "tally/tallycommands.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    const bool window = CommandLine::opensWindow(arguments);
    if (window) {
        if (!displayAvailable()) {
            std::fputs("pinlex: no display available; start it from a desktop session "
                       "(or set QT_QPA_PLATFORM).\n", stderr);
            return 1;
        }
    }
    // The toolkit takes its own options out of what it is given; what
    // follows "--" is never its.
    int toolkitArgc = CommandLine::toolkitArgumentCount(arguments);
    const QStringList afterOptions = arguments.mid(toolkitArgc);
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(toolkitArgc, argv)
                                                   : std::make_unique<QCoreApplication>(toolkitArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pinlex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    // The menu entry's name: a Wayland desktop finds the window's icon by it.
    if (window)
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pinlex.Pinlex"));

    const CommandLine line = CommandLine::parse(QCoreApplication::arguments() + afterOptions);
    if (!line.isValid()) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + line.error);
        std::fputs(CommandLine::usage().toUtf8().constData(), stderr);
        return 2;
    }
    using Mode = CommandLine::Mode;
    const auto directories = [&line] {
        QStringList bad;
        const QList<DirectoryAddress> inUse = gameDirectoriesInUse(line.directories, &bad);
        for (const QString &text : std::as_const(bad))
            writeTerminalLine(stderr, QStringLiteral("pinlex: not a game directory address: ") + text);
        return inUse;
    };
    switch (line.mode) {
    case Mode::Help:
        CommandLine::showHelp(line.helpAll);
    case Mode::Version:
        writeTerminalLine(stdout, QCoreApplication::applicationName() + QLatin1Char(' ')
                                      + QCoreApplication::applicationVersion());
        return 0;
    case Mode::Tally:
        return printTallyCommand();
    case Mode::History:
        return printHistoryCommand(line.last, line.json);
    case Mode::Compress:
        return compressFileCommand(line.input, line.output);
    case Mode::Decompress:
        return decompressFileCommand(line.input, line.output);
    case Mode::Robot:
        return runHeadlessRobot(line.level, line.robotName, line.host, line.port, directories());
    case Mode::Serve:
        return runHeadlessHost(line.port, line.pauseSeconds, line.chatLimit, line.announce, line.tableName,
                               line.portMapping, line.announce ? directories() : QList<DirectoryAddress>());
    case Mode::Directory:
        return runDirectory(line.port, line.expirySeconds);
    case Mode::ListGames:
        return listGames(line.seconds, stdout, directories());
    case Mode::Solo:
    case Mode::Host:
    case Mode::Join:
    case Mode::Loading:
        break;
    }
    return runGame(line.launchParameters, line.port, line.announce, line.portMapping);
}
