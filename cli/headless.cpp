#include "cli/headless.h"

#include "base/terminaltext.h"
#include "definitions/definecommand.h"
#include "definitions/worddefinitions.h"
#include "directory/client/gamelisting.h"
#include "directory/server/rundirectory.h"
#include "host/headlesshost.h"
#include "robots/headlessrobot.h"
#include "settings/inifile.h"
#include "settings/options.h"

#include <cstdio>

QList<DirectoryAddress> headlessDirectories(const QList<DirectoryAddress> &given)
{
    const Options options(IniFile::locate(QStringLiteral("orviklobby.ini")));
    QStringList bad;
    const QList<DirectoryAddress> inUse = DirectoryAddress::inUse(given, options.storedGameDirectories(), &bad);
    for (const QString &text : std::as_const(bad))
        writeTerminalLine(stderr, QStringLiteral("pinlex: not a game directory address: ") + text);
    return inUse;
}

std::optional<int> runWithoutWindow(const CommandLine &line)
{
    using Mode = CommandLine::Mode;
    switch (line.mode) {
    case Mode::Robot:
        return runHeadlessRobot(line.level, line.robotName, line.host, line.port, headlessDirectories(line.directories));
    case Mode::Serve:
        return runHeadlessHost(line.port, line.pauseSeconds, line.chatLimit, line.announce, line.tableName,
                               line.portMapping,
                               line.announce ? headlessDirectories(line.directories) : QList<DirectoryAddress>());
    case Mode::Directory:
        return runDirectory(line.port, line.expirySeconds);
    case Mode::ListGames:
        return listGames(line.seconds, stdout, headlessDirectories(line.directories));
    case Mode::Define:
        return defineCommand(WordDefinitions::shared(), line.words, stdout, stderr);
    default:
        return std::nullopt;
    }
}
