#include "host/headlesshost.h"

#include "base/gamenumbers.h"
#include "base/terminaltext.h"
#include "host/pausesetting.h"
#include "host/serverform.h"
#include "host/tableannouncement.h"
#include "host/tablereach.h"
#include "net/tsock.h"
#include "words/random.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

class FixedPause : public PauseSetting
{
public:
    explicit FixedPause(int seconds) : m_seconds(seconds) {}
    int pauseBetweenFrames() const override { return m_seconds; }

private:
    int m_seconds;
};

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// SIGINT and SIGTERM end the event loop: the handler only writes a byte to
// a pipe that the loop watches, so nothing polls and nothing unsafe runs
// inside the handler.
class TerminationSignals
{
public:
    TerminationSignals()
    {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        struct sigaction action = {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_previousInt);
        sigaction(SIGTERM, &action, &m_previousTerm);
        m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [] {
            char bytes[16];
            while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            QCoreApplication::quit();
        });
    }

    ~TerminationSignals()
    {
        if (!m_notifier)
            return;
        m_notifier.reset();
        sigaction(SIGINT, &m_previousInt, nullptr);
        sigaction(SIGTERM, &m_previousTerm, nullptr);
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }

    bool isValid() const { return m_notifier != nullptr; }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
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
                    bool portMapping)
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
    std::unique_ptr<TableAnnouncement> announcement;
    if (announce) {
        const QString name = tableName.isEmpty() ? TableInfo::defaultName(QSysInfo::machineHostName()) : tableName;
        announcement = std::make_unique<TableAnnouncement>(server, name, port);
        Announcer &announcer = announcement->announcer();
        QObject::connect(&announcer, &Announcer::announced, [&announcer] {
            const QString how = announcer.announcesOnMdns() ? QStringLiteral("mDNS") : QStringLiteral("UDP");
            writeTerminalLine(stdout, QStringLiteral("announced \"%1\" on the local network over %2")
                                          .arg(announcer.mdnsName(), how));
        });
        announcement->start();
    }
    std::unique_ptr<TableReach> reach;
    if (announce && portMapping) {
        reach = std::make_unique<TableReach>(port);
        QObject::connect(reach.get(), &TableReach::told, [](const QString &text, const QString &why) {
            writeTerminalLine(stdout, why.isEmpty() ? text : text + QStringLiteral(" (") + why + QLatin1Char(')'));
        });
        reach->start();
    }
    QCoreApplication::exec();
    // The router forgets the mapping before "stopped" is said.
    reach.reset();
    announcement.reset();
    say("stopped");
    return 0;
}
