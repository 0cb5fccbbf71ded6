#include "robots/headlessrobot.h"

#include "base/terminaltext.h"
#include "protocol/joincode.h"
#include "directory/client/directoryfinder.h"
#include "protocol/directorymessages.h"
#include "robots/robot.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Names and words are a peer's single-byte text.
QString peerText(const QByteArray &text)
{
    return QString::fromLatin1(text);
}

void say(const QString &line)
{
    writeTerminalLine(stdout, line);
}

} // namespace

int runHeadlessRobot(Strength strength, const QString &name, const QString &host, quint16 port,
                     const QList<DirectoryAddress> &directories)
{
    Robot robot(strength, name);
    int status = 0;
    QObject::connect(&robot, &Robot::loggedIn, [&robot](int slot) {
        say(robot.isSeated() ? QStringLiteral("seated at seat %1 as \"%2\" (%3)")
                                   .arg(slot)
                                   .arg(robot.name(), strengthName(robot.strength()))
                             : QStringLiteral("every seat is taken: watching from slot %1").arg(slot));
    });
    QObject::connect(&robot, &Robot::gameStarted, [](const QByteArray &starter, int seconds) {
        say(QStringLiteral("game started by \"%1\", %2 seconds per turn").arg(peerText(starter)).arg(seconds));
    });
    QObject::connect(&robot, &Robot::frameScored, [](int frame, int total, const QByteArrayList &words) {
        const QString played = words.isEmpty() ? QStringLiteral("no word") : peerText(words.join(", "));
        say(QStringLiteral("frame %1: %2; total %3").arg(frame).arg(played).arg(total));
    });
    QObject::connect(&robot, &Robot::wordRefused, [](int frame, const QByteArray &word) {
        say(QStringLiteral("frame %1: the host refused \"%2\"").arg(frame).arg(peerText(word)));
    });
    QObject::connect(&robot, &Robot::gameOver, [&robot](const QList<int> &winners) {
        QStringList names;
        for (const int seat : winners)
            names << (seat == robot.slot() ? QStringLiteral("this robot")
                                           : QStringLiteral("\"%1\"").arg(peerText(robot.nameOf(seat))));
        say(QStringLiteral("game over, won by %1")
                .arg(names.isEmpty() ? QStringLiteral("nobody") : names.join(QLatin1String(" and "))));
    });
    QObject::connect(&robot, &Robot::connectFailed, [&](const QString &reason) {
        status = 1;
        writeTerminalLine(
            stderr, QStringLiteral("pinlex: cannot join the game at %1 port %2: %3").arg(host).arg(port).arg(reason));
    });
    // Queued: a connection that fails at once must still end the loop.
    QObject::connect(
        &robot, &Robot::left, &robot,
        [&status] {
            if (status == 0)
                say(QStringLiteral("the host closed the connection"));
            QCoreApplication::exit(status);
        },
        Qt::QueuedConnection);

    const auto join = [&](const QString &address, quint16 at, const QString &relayCode) {
        say(QStringLiteral("joining the game at %1 port %2 as \"%3\" (%4)%5")
                .arg(address)
                .arg(at)
                .arg(name, strengthName(strength))
                .arg(relayCode.isEmpty() ? QString() : QStringLiteral(" through the directory's relay")));
        robot.connectTo(address, at, relayCode);
    };
    DirectoryFinder codes(nullptr);
    if (!directories.isEmpty() && joincode::isCode(host)) {
        codes.setDirectories(directories);
        QObject::connect(&codes, &DirectoryFinder::resolved, [&](const TableInfo &table, const DirectoryAddress &at) {
            if (table.isRelayed())
                join(at.host, at.port, table.code);
            else
                join(table.address.toString(), table.port, {});
        });
        QObject::connect(&codes, &DirectoryFinder::notFound, [](const QString &, const QString &problem) {
            writeTerminalLine(stderr, QStringLiteral("pinlex: ") + problem);
            QCoreApplication::exit(1);
        });
        say(QStringLiteral("looking up the table with the code %1").arg(host));
        codes.resolve(host);
    } else {
        join(host, port, {});
    }
    return QCoreApplication::exec();
}
