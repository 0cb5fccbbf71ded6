// pinlex-directory: the game directory (Qt Core and Network only).
#include "base/version.h"
#include "cli/programs.h"
#include "directory/server/rundirectory.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pinlex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    return runCommandWithoutWindow(QCoreApplication::arguments(), CommandLine::Mode::Directory,
                                   [](const CommandLine &line) { return runDirectory(line.port, line.expirySeconds); });
}
