#include "host/headlesshost.h"

#include "base/gamenumbers.h"
#include "base/terminaltext.h"
#include "base/terminationsignals.h"
#include "host/directoryregistration.h"
#include "host/pausesetting.h"
#include "host/serverform.h"
#include "host/tableannouncement.h"
#include "host/tablereach.h"
#include "net/tsock.h"
#include "words/random.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSysInfo>

#include <cstdio>
#include <memory>

namespace {

class FixedPause : public PauseSetting
{
public:
    explicit FixedPause(int seconds) : m_seconds(seconds) {}
    int pauseBetweenFrames() const override { return m_seconds; }

private:
    int m_seconds;
};

// Names and versions are a peer's single-byte text: the terminal filter
// reads them as Latin-1.
void say(const QByteArray &line)
{
    writeTerminalLine(stdout, QString::fromLatin1(line));
}

QByteArray quoted(const QByteArray &name)
{
    return '"' + name + '"';
}

} // namespace

int runHeadlessHost(quint16 port, int pauseSeconds, int chatLimit, bool announce, const QString &tableName,
                    bool portMapping, const QList<DirectoryAddress> &directories)
{
    // Without a main window nobody else seeds the draw.
    Random::randomizeFromClock();
    const TerminationSignals termination;
    if (!termination.isValid()) {
        std::fputs("pinlex: cannot watch for termination signals.\n", stderr);
        return 1;
    }

    const FixedPause pause(pauseSeconds);
    TServer server;
    server.setPauseSetting(&pause);
    server.setChatLimit(chatLimit);
    QObject::connect(&server, &TServer::connectionAccepted, [](int slot, const QString &peer) {
        say("connection slot " + QByteArray::number(slot) + " from " + peer.toLatin1());
    });
    QObject::connect(&server, &TServer::connectionRefused, [](const QString &peer) {
        say("refused " + peer.toLatin1() + ": game is full");
    });
    QObject::connect(&server, &TServer::connectionClosed, [](int slot, const QByteArray &name) {
        say("closed slot " + QByteArray::number(slot) + ' ' + quoted(name));
    });
    QObject::connect(&server, &TServer::playerLoggedIn,
                     [](int slot, const QByteArray &name, const QByteArray &version) {
                         say("login slot " + QByteArray::number(slot) + ' ' + quoted(name) + " version " + version);
                     });
    QObject::connect(&server, &TServer::gameStarted, [](const QByteArray &name, int seconds, bool team) {
        say("game started by " + quoted(name) + ", " + QByteArray::number(seconds) + " seconds per turn, "
            + (team ? "team game" : "individual game"));
    });
    QObject::connect(&server, &TServer::frameEnded, [&server](int frame) {
        QByteArray line = "frame " + QByteArray::number(frame) + " ended, totals";
        for (int seat = 1; seat <= game::kSeats; ++seat)
            line += ' ' + QByteArray::number(server.players[seat].total);
        say(line);
    });
    QObject::connect(&server, &TServer::winnerAnnounced, [](const QList<int> &winners) {
        QByteArray line = "winner";
        for (int k = 0; k < winners.size(); ++k)
            line += (k ? "+" : " ") + QByteArray::number(winners[k]);
        say(line);
    });

    try {
        server.listen(port, QHostAddress(QHostAddress::Any));
    } catch (const ESockException &error) {
        writeTerminalLine(stderr,
                          QStringLiteral("pinlex: port %1: %2").arg(port).arg(QString::fromUtf8(error.what())));
        return 1;
    }
    say("listening on port " + QByteArray::number(port) + ", " + QByteArray::number(pauseSeconds)
        + " seconds between frames");
    QObject::connect(&server, &TServer::probeAnswered, [](const QString &peer) {
        say("reachability probe from " + peer.toLatin1() + " answered");
    });
    std::unique_ptr<TableAnnouncement> announcement;
    if (announce) {
        const QString name = tableName.isEmpty() ? TableInfo::defaultName(QSysInfo::machineHostName()) : tableName;
        announcement = std::make_unique<TableAnnouncement>(server, name, port, directories);
        Announcer &announcer = announcement->announcer();
        QObject::connect(&announcer, &Announcer::announced, [&announcer] {
            const QString how = announcer.announcesOnMdns() ? QStringLiteral("mDNS") : QStringLiteral("UDP");
            writeTerminalLine(stdout, QStringLiteral("announced \"%1\" on the local network over %2")
                                          .arg(announcer.mdnsName(), how));
        });
        if (DirectoryRegistration *registration = announcement->directories())
            registration->logEvents([](const QString &line) { writeTerminalLine(stdout, line); });
        announcement->start();
    }
    std::unique_ptr<TableReach> reach;
    if (announce && portMapping) {
        reach = std::make_unique<TableReach>(port, announcement->directories() != nullptr);
        QObject::connect(reach.get(), &TableReach::told, [](const QString &text, const QString &why) {
            writeTerminalLine(stdout, why.isEmpty() ? text : text + QStringLiteral(" (") + why + QLatin1Char(')'));
        });
        if (DirectoryRegistration *registration = announcement->directories())
            QObject::connect(reach.get(), &TableReach::told, registration, &DirectoryRegistration::recheck);
        reach->start();
    }
    QCoreApplication::exec();
    // The router forgets the mapping before "stopped" is said.
    reach.reset();
    announcement.reset();
    say("stopped");
    return 0;
}
