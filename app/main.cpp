#include "app/application.h"
#include "cli/commandline.h"
#include "app/session.h"
#include "base/terminaltext.h"
#include "base/version.h"
#include "cli/headless.h"
#include "cli/programs.h"
#include "history/historycommand.h"
#include "tally/tallycommands.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The toolkit takes its options out of argv; a program run instead of
    // this one gets them all.
    std::vector<char *> given(argv, argv + argc + 1);

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
    if (!window) {
        // The modes without a window run in programs of their own, which
        // load neither Qt Gui nor Qt Widgets; without them, in this one.
        const QByteArray program = programWithoutWindow(line.mode).toLocal8Bit();
        if (!program.isEmpty()) {
            given[0] = const_cast<char *>(program.constData());
            ::execv(program.constData(), given.data());
        }
        if (const std::optional<int> status = runWithoutWindow(line))
            return *status;
    }
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
    case Mode::Define:
    case Mode::Robot:
    case Mode::Serve:
    case Mode::Directory:
    case Mode::ListGames:
    case Mode::Solo:
    case Mode::Host:
    case Mode::Join:
    case Mode::Loading:
        break;
    }
    return runGame(line.launchParameters, line.port, line.announce, line.portMapping);
}
