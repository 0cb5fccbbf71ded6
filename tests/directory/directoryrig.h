#pragma once

// Real copies of the program on the loopback address for the directory's
// tests: a directory, headless hosts that register with it, and bare
// connections that speak its protocol (or do not).

#include "directory/client/directorylookup.h"
#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/prctl.h>

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A copy of the program whose standard output is read line by line.
struct Copy
{
    QTemporaryDir home;
    QProcess process;
    QByteArray output;

    bool start(const QStringList &arguments, const QString &directories = QString(), bool window = false)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "PINLEX_DIRECTORY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        environment.insert(QStringLiteral("PINLEX_SETTINGS_FILE"), home.filePath(QStringLiteral("settings.ini")));
        environment.insert(QStringLiteral("PINLEX_TALLY_FILE"), home.filePath(QStringLiteral("tally.tld")));
        // Never on the machine's own network.
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
        if (!directories.isEmpty())
            environment.insert(QStringLiteral("PINLEX_DIRECTORY"), directories);
        if (window)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        // A test that crashes leaves no directory or host behind.
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { output += process.readAllStandardOutput(); });
        process.start(QStringLiteral(PINLEX_BINARY), arguments);
        return process.waitForStarted();
    }

    // The first line that matches pattern, once it is there; empty on time-out.
    QString waitForLine(const QString &pattern, int timeoutMs = 10000)
    {
        const QRegularExpression expression(pattern);
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QByteArray &line : output.split('\n')) {
                    if (expression.match(QString::fromUtf8(line)).hasMatch()) {
                        found = QString::fromUtf8(line);
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    // Runs to its end; false when it took longer than timeoutMs.
    bool finish(int timeoutMs = 15000)
    {
        const bool ended = process.waitForFinished(timeoutMs);
        output += process.readAllStandardOutput();
        return ended;
    }
    int count(const QString &pattern) const
    {
        const QRegularExpression expression(pattern);
        int n = 0;
        for (const QByteArray &line : output.split('\n'))
            n += expression.match(QString::fromUtf8(line)).hasMatch();
        return n;
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    ~Copy()
    {
        if (process.state() != QProcess::NotRunning) {
            signal(SIGCONT);
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

struct Directory : Copy
{
    quint16 port = freePort();

    bool start(int expirySeconds)
    {
        return Copy::start({QStringLiteral("--directory"), QStringLiteral("--port"), QString::number(port),
                            QStringLiteral("--expiry-seconds"), QString::number(expirySeconds)})
               && !waitForLine(QStringLiteral("^directory listening on port %1,").arg(port)).isEmpty();
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
};

// A headless host that lists its table with the directory.
struct Host : Copy
{
    quint16 port = freePort();

    // The code it was given; empty when none came.
    QString start(const Directory &directory)
    {
        if (!Copy::start({QStringLiteral("--serve"), QStringLiteral("--port"), QString::number(port),
                          QStringLiteral("--table-name"), QStringLiteral("Lab table")},
                         directory.address()))
            return QString();
        const QString line = waitForLine(QStringLiteral("Others can join with the code "));
        return line.section(QLatin1Char(' '), -1);
    }
};

// A connection to the directory driven by hand; blocking, so only for a
// directory in another process.
struct Raw
{
    QTcpSocket socket;
    FrameBuffer buffer;
    QList<QByteArray> lines;

    // From another loopback address, it counts apart from the others.
    bool open(quint16 port, const QHostAddress &from = QHostAddress(QHostAddress::LocalHost))
    {
        if (from != QHostAddress(QHostAddress::LocalHost) && !socket.bind(from))
            return false;
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    // The items of the first page, or -1 when no page came.
    int listed()
    {
        send(msg::DirList{});
        const QByteArray end = waitFor("CMD_dirpage+");
        return end.isEmpty() ? -1 : int(std::count_if(lines.cbegin(), lines.cend(), [](const QByteArray &line) {
            return line.startsWith("CMD_diritem+");
        }));
    }
    void sendBytes(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.waitForBytesWritten(5000);
    }
    template <typename Message>
    void send(const Message &message) { sendBytes(msg::encode(message)); }
    // The first line received with prefix; empty when none came in time.
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            for (const QByteArray &line : std::as_const(lines)) {
                if (line.startsWith(prefix))
                    return line;
            }
            if (deadline.hasExpired() || socket.state() != QAbstractSocket::ConnectedState)
                return {};
            if (socket.bytesAvailable() || socket.waitForReadyRead(int(deadline.remainingTime())))
                buffer.append(socket.readAll(), [this](QByteArray line) { lines << line; });
        }
    }
    bool waitClosed(int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            socket.waitForReadyRead(int(deadline.remainingTime()));
            buffer.append(socket.readAll(), [this](QByteArray line) { lines << line; });
        }
        return socket.state() != QAbstractSocket::ConnectedState;
    }
};

// The directory's first page for request, through the client's lookup.
inline std::optional<QList<ListedTable>> listTables(quint16 port, const msg::DirList &request = {})
{
    DirectoryLookup lookup(DirectoryAddress{QStringLiteral("127.0.0.1"), port});
    QSignalSpy listed(&lookup, &DirectoryLookup::listed);
    lookup.list(request);
    if (!listed.wait(5000))
        return std::nullopt;
    return listed.first().first().value<QList<ListedTable>>();
}

inline bool listsTables(quint16 port, int count, int timeoutMs = 5000)
{
    return QTest::qWaitFor(
        [&] {
            const std::optional<QList<ListedTable>> tables = listTables(port);
            return tables && tables->size() == count;
        },
        timeoutMs);
}
