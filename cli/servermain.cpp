// pinlex-server: a table, a computer player, a listing or word meanings,
// without a window (Qt Core and Network only).
#include "base/version.h"
#include "cli/headless.h"
#include "cli/programs.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pinlex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    return runCommandWithoutWindow(QCoreApplication::arguments(), std::nullopt, runWithoutWindow);
}
