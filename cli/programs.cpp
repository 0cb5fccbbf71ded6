#include "cli/programs.h"

#include "base/terminaltext.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int runCommandWithoutWindow(QStringList arguments, std::optional<CommandLine::Mode> only, const Runner &run)
{
    using Mode = CommandLine::Mode;
    const QString option = only == Mode::Directory ? QStringLiteral("--directory") : QString();
    if (!option.isEmpty() && !arguments.mid(1).contains(option))
        arguments.insert(1, option);
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.isValid()) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + line.error);
        std::fputs(CommandLine::usage().toUtf8().constData(), stderr);
        return 2;
    }
    switch (line.mode) {
    case Mode::Help:
        CommandLine::showHelp(line.helpAll);
    case Mode::Version:
        writeTerminalLine(stdout, QCoreApplication::applicationName() + QLatin1Char(' ')
                                      + QCoreApplication::applicationVersion());
        return 0;
    default:
        break;
    }
    const std::optional<int> status = only && line.mode != *only ? std::nullopt : run(line);
    if (!status) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: this program runs no window; start pinlex for that."));
        return 2;
    }
    return *status;
}

QString programWithoutWindow(CommandLine::Mode mode)
{
    using Mode = CommandLine::Mode;
    QString name;
    switch (mode) {
    case Mode::Serve:
    case Mode::Robot:
    case Mode::ListGames:
    case Mode::Define: name = QStringLiteral("pinlex-server"); break;
    case Mode::Directory: name = QStringLiteral("pinlex-directory"); break;
    default: return QString();
    }
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QFileInfo program(QFileInfo(self.symLinkTarget()).absolutePath() + QLatin1Char('/') + name);
    return program.isFile() && program.isExecutable() ? program.filePath() : QString();
}
