#include "host/headlesshost.h"

#include "base/gamenumbers.h"
#include "base/terminaltext.h"
#include "base/terminationsignals.h"
#include "finder/tableinfo.h"
#include "host/pausesetting.h"
#include "host/serverform.h"
#include "host/tablehosting.h"
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

// Each directory's events as a line of the log, "directory HOST:PORT: ...".
void logDirectoryEvents(const TableHosting *hosting)
{
    using Address = const DirectoryAddress &;
    const auto log = [](Address directory, const QString &text) {
        writeTerminalLine(stdout, QStringLiteral("directory ") + directory.toString() + QStringLiteral(": ") + text);
    };
    QObject::connect(hosting, &TableHosting::codeAssigned,
                     [log](Address directory, const QString &code) { log(directory, TableHosting::codeLine(code)); });
    QObject::connect(hosting, &TableHosting::reachChecked, [log](Address directory, msg::Reach reach) {
        log(directory, QStringLiteral("reach ") + QLatin1String(msg::reachText(reach)));
    });
    QObject::connect(hosting, &TableHosting::refused, [log](Address directory, const QString &reason) {
        log(directory, QStringLiteral("refused: ") + reason);
    });
    QObject::connect(hosting, &TableHosting::relayOpened, [log](Address directory, const QHostAddress &peer) {
        log(directory, QStringLiteral("a player at %1 joins through the relay").arg(peer.toString()));
    });
    QObject::connect(hosting, &TableHosting::relayFailed,
                     [log](Address directory, const QHostAddress &peer, const QString &reason) {
                         log(directory, QStringLiteral("a player at %1 could not join through the relay: %2")
                                            .arg(peer.toString(), reason));
                     });
    QObject::connect(hosting, &TableHosting::lost, [log](Address directory, const QString &reason) {
        log(directory, QStringLiteral("no connection: ") + reason);
    });
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

    auto hosting = std::make_unique<TableHosting>(server);
    QObject::connect(hosting.get(), &TableHosting::listening, [pauseSeconds](quint16 port) {
        say("listening on port " + QByteArray::number(port) + ", " + QByteArray::number(pauseSeconds)
            + " seconds between frames");
    });
    QObject::connect(hosting.get(), &TableHosting::announced, [](const QString &name, bool overMdns) {
        writeTerminalLine(stdout, QStringLiteral("announced \"%1\" on the local network over %2")
                                      .arg(name, overMdns ? QStringLiteral("mDNS") : QStringLiteral("UDP")));
    });
    logDirectoryEvents(hosting.get());
    QObject::connect(hosting.get(), &TableHosting::reachTold, [](const QString &text, const QString &why) {
        writeTerminalLine(stdout, why.isEmpty() ? text : text + QStringLiteral(" (") + why + QLatin1Char(')'));
    });
    TableHosting::Plan plan;
    plan.port = port;
    plan.announce = announce;
    plan.name = tableName.isEmpty() ? TableInfo::defaultName(QSysInfo::machineHostName()) : tableName;
    plan.directories = directories;
    plan.portMapping = portMapping;
    try {
        hosting->open(plan);
    } catch (const ESockException &error) {
        writeTerminalLine(stderr,
                          QStringLiteral("pinlex: port %1: %2").arg(port).arg(QString::fromUtf8(error.what())));
        return 1;
    }
    QObject::connect(&server, &TServer::probeAnswered, [](const QString &peer) {
        say("reachability probe from " + peer.toLatin1() + " answered");
    });
    QCoreApplication::exec();
    // The router forgets the mapping before "stopped" is said.
    hosting.reset();
    say("stopped");
    return 0;
}
