// The port mapper's companion for the network-namespace tests:
//   portmaplab --port P [--description D]
// listens on TCP port P (every connection is greeted with "portmaplab P" and
// closed), maps it at the router and prints what happened, with the
// milliseconds since the start:
//   mapping MS                  (the event loop runs, the router is asked)
//   mapped ADDRESS PORT upnp|natpmp MS
//   failed MS REASON
//   lost MS
// It runs until "quit" or the end of its input, SIGINT or SIGTERM, then
// destroys the mapper and prints "stopped MS" (how long the destruction took).
#include "portmap/portmapper.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.addOption({QStringLiteral("port"), QStringLiteral("TCP port to map"), QStringLiteral("P")});
    args.addOption({QStringLiteral("description"), QStringLiteral("what the router shows"), QStringLiteral("D"),
                    QStringLiteral("Pinlex lab")});
    args.process(app);
    const quint16 port = quint16(args.value(QStringLiteral("port")).toUInt());

    QTcpServer server;
    if (port == 0 || !server.listen(QHostAddress::AnyIPv4, port)) {
        say(QStringLiteral("cannot listen on port %1").arg(port));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *peer = server.nextPendingConnection()) {
            peer->write(QStringLiteral("portmaplab %1\n").arg(port).toLatin1());
            peer->disconnectFromHost();
            QObject::connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
        }
    });

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QSocketNotifier termination(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&termination, &QSocketNotifier::activated, &QCoreApplication::quit);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0 || QByteArray(buffer, int(got)).contains("quit")) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });

    QElapsedTimer clock;
    clock.start();
    auto mapper = std::make_unique<PortMapper>();
    QObject::connect(mapper.get(), &PortMapper::mapped,
                     [&](const QHostAddress &outside, quint16 outsidePort, PortMapper::Method method) {
                         say(QStringLiteral("mapped %1 %2 %3 %4")
                                 .arg(outside.toString())
                                 .arg(outsidePort)
                                 .arg(method == PortMapper::Method::Upnp ? QStringLiteral("upnp")
                                                                         : QStringLiteral("natpmp"))
                                 .arg(clock.elapsed()));
                     });
    QObject::connect(mapper.get(), &PortMapper::failed, [&](const QString &reason) {
        say(QStringLiteral("failed %1 %2").arg(clock.elapsed()).arg(reason));
    });
    QObject::connect(mapper.get(), &PortMapper::lost,
                     [&] { say(QStringLiteral("lost %1").arg(clock.elapsed())); });
    mapper->start(port, args.value(QStringLiteral("description")));
    QTimer::singleShot(0, [&] { say(QStringLiteral("mapping %1").arg(clock.elapsed())); });

    // How long the event loop is kept waiting, to show nothing blocks it.
    QElapsedTimer beat;
    qint64 longestGap = 0;
    QTimer heart;
    QObject::connect(&heart, &QTimer::timeout, [&] { longestGap = std::max(longestGap, beat.restart()); });
    beat.start();
    heart.start(20);

    const int status = QCoreApplication::exec();
    say(QStringLiteral("max-gap-ms %1").arg(longestGap));
    QElapsedTimer stopping;
    stopping.start();
    mapper.reset();
    say(QStringLiteral("stopped %1").arg(stopping.elapsed()));
    return status;
}
