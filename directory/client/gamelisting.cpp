#include "directory/client/gamelisting.h"

#include "base/terminaltext.h"
#include "directory/client/directoryfinder.h"
#include "finder/gamefinder.h"

#include <QEventLoop>
#include <QSet>
#include <QTimer>

int listGames(int seconds, std::FILE *out, const QList<DirectoryAddress> &directories)
{
    GameFinder finder;
    DirectoryFinder directoryFinder(finder.tables());
    directoryFinder.setDirectories(directories);
    QEventLoop loop;
    QSet<int> unanswered;
    for (int i = 0; i < directories.size(); ++i)
        unanswered.insert(i);
    bool looked = false;
    const auto maybeDone = [&] {
        if (looked && unanswered.isEmpty())
            loop.quit();
    };
    const auto answered = [&](const DirectoryAddress &directory) {
        unanswered.remove(int(directories.indexOf(directory)));
        maybeDone();
    };
    QObject::connect(&directoryFinder, &DirectoryFinder::listed, &loop,
                     [&](const DirectoryAddress &directory, int) { answered(directory); });
    QObject::connect(&directoryFinder, &DirectoryFinder::unreachable, &loop,
                     [&](const DirectoryAddress &directory, const QString &reason) {
                         writeTerminalLine(stderr, QStringLiteral("pinlex: game directory %1 cannot be reached: %2")
                                                       .arg(directory.toString(), reason));
                         answered(directory);
                     });
    QTimer::singleShot(qBound(0, seconds, 3600) * 1000, &loop, [&] {
        looked = true;
        maybeDone();
    });
    finder.start();
    directoryFinder.start();
    loop.exec();
    finder.stop();
    directoryFinder.stop();
    writeListLines(finder.tables()->tables(), out);
    return 0;
}
