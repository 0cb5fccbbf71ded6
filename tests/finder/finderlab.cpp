// The finder's companion for the network-namespace tests, for what the real
// program does not do (it hosts with --serve and lists with --list-games):
//   finderlab --watch [--seconds N]
//       prints "<epoch ms> +|~|- <list line>[\tstale]" as rows come, change
//       and go; at the end "max-gap-ms G" (the longest the event loop was
//       away), "rows N" and "peak-rss-kb K".
//   finderlab --flood [--seconds N] [--rate R]
//       a hostile answerer: on UDP 7772, answers every finder it hears with
//       made-up, oversized and malformed replies, R a second in all; prints
//       "sent N".
#include "finder/gamefinder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QUdpSocket>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int watch(int seconds)
{
    GameFinder finder;
    TableList *list = finder.tables();
    const auto show = [list](char what, int row) {
        QString line = QStringLiteral("%1 %2 %3")
                           .arg(QDateTime::currentMSecsSinceEpoch())
                           .arg(QLatin1Char(what))
                           .arg(listLine(list->table(row)));
        if (list->isStale(row))
            line += QStringLiteral("\tstale");
        say(line);
    };
    QObject::connect(list, &TableList::rowsInserted, [&](const QModelIndex &, int first, int last) {
        for (int row = first; row <= last; ++row)
            show('+', row);
    });
    QObject::connect(list, &TableList::dataChanged, [&](const QModelIndex &from, const QModelIndex &to) {
        for (int row = from.row(); row <= to.row(); ++row)
            show('~', row);
    });
    QObject::connect(list, &TableList::rowsAboutToBeRemoved, [&](const QModelIndex &, int first, int last) {
        for (int row = first; row <= last; ++row)
            show('-', row);
    });
    // How long the event loop leaves a 50 ms timer waiting.
    QElapsedTimer beat;
    qint64 maxGap = 0;
    QTimer heart;
    QObject::connect(&heart, &QTimer::timeout, [&] {
        maxGap = std::max(maxGap, beat.restart());
    });
    beat.start();
    heart.start(50);
    finder.start();
    QTimer::singleShot(seconds * 1000, &QCoreApplication::quit);
    QCoreApplication::exec();
    finder.stop();
    say(QStringLiteral("max-gap-ms %1").arg(maxGap));
    say(QStringLiteral("rows %1").arg(list->count()));
    say(QStringLiteral("peak-rss-kb %1").arg(peakRssKb()));
    return 0;
}

// One made-up reply of the kind `kind` picks.
QByteArray hostileReply(int kind, quint32 serial)
{
    const QByteArray head = "PINLEX-FIND 1 !\nv=1\nseats=1\nspectators=0\nstate=waiting\n";
    const QByteArray id = "id=" + QByteArray::number(quint64(serial) + 1, 16) + '\n';
    switch (kind) {
    case 0: // plausible tables, each new
        return head + id + "port=7790\nname=Flood " + QByteArray::number(serial) + '\n';
    case 1: // a huge name
        return head + id + "port=7790\nname=" + QByteArray(1400, 'x') + '\n';
    case 2: // ports out of range
        return head + id + "port=" + QByteArray(serial % 2 ? "0" : "70000") + "\nname=Bad port\n";
    case 3: // numbers out of range
        return "PINLEX-FIND 1 !\nv=1\nseats=99999999\nspectators=-1\nstate=waiting\n" + id
               + "port=7790\nname=Bad seats\n";
    case 4: // control characters and a right-to-left override in the name
        return head + id + "port=7790\nname=\x1b[2J\xe2\x80\xae" + QByteArray(300, 'y') + '\n';
    default: { // noise
        QByteArray noise(int(serial % 1200) + 1, '\0');
        for (char &c : noise)
            c = char(QRandomGenerator::global()->generate());
        return noise;
    }
    }
}

int flood(int seconds, int rate)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, kFallbackUdpPort, QUdpSocket::ShareAddress)) {
        say(QStringLiteral("cannot bind: %1").arg(socket.errorString()));
        return 1;
    }
    QList<QPair<QHostAddress, quint16>> finders;
    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram query = socket.receiveDatagram(2048);
            const QPair<QHostAddress, quint16> from{query.senderAddress(), quint16(query.senderPort())};
            if (TableInfo::isFallbackQuery(query.data()) && !finders.contains(from) && finders.size() < 16)
                finders.append(from);
        }
    });
    quint32 serial = 0;
    QElapsedTimer clock;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        if (finders.isEmpty())
            return;
        if (!clock.isValid())
            clock.start();
        // `rate` a second in all, catching up however late the timer is.
        const quint64 due = quint64(clock.elapsed()) * quint64(rate) / 1000;
        for (; serial < due; ++serial) {
            const auto &[address, port] = finders[serial % finders.size()];
            socket.writeDatagram(hostileReply(int(serial % 6), serial), address, port);
        }
    });
    pace.start(5);
    QTimer::singleShot(seconds * 1000, &QCoreApplication::quit);
    QCoreApplication::exec();
    say(QStringLiteral("sent %1").arg(serial));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    const auto flag = [&](const char *name) { args.addOption(QCommandLineOption(QString::fromLatin1(name))); };
    const auto option = [&](const char *name, const char *fallback) {
        args.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"),
                                          QString::fromLatin1(fallback)));
    };
    flag("watch");
    flag("flood");
    option("seconds", "3");
    option("rate", "10000");
    args.process(app);
    const int seconds = args.value(QStringLiteral("seconds")).toInt();
    if (args.isSet(QStringLiteral("watch")))
        return watch(seconds);
    if (args.isSet(QStringLiteral("flood")))
        return flood(seconds, args.value(QStringLiteral("rate")).toInt());
    std::fprintf(stderr, "finderlab: --watch or --flood\n");
    return 2;
}
