// The game directory at scale, measured from outside: `pinlex --directory`
// in a process of its own, and simulated hosts and listing clients on the
// loopback network, each from an address of its own (127.1.x.y for tables,
// 127.2.x.y for lists) so that the per-address limits hold as they would on
// the internet.
//
// BM_DirectoryAtScale/T/L: T tables register (and answer their probe's
// handshake; nobody listens at their game port, so each probe is refused),
// then send heartbeats at 1,200 a second (what 35,000 tables send at one
// every 30 seconds) for ten seconds; then L clients each ask for the first
// page every five seconds for ten seconds while the heartbeats go on.
// Reports the directory's CPU time per registration, per heartbeat and per
// listing, its memory (resident set) per table, and how long a listing
// takes from request to the whole page received (median, 99th percentile).
// CPU time is the directory's threads' time on a processor (schedstat).
#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QThread>

#include <algorithm>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kHeartbeatsPerSecond = 1200;
constexpr int kListIntervalMs = 5000;
constexpr int kPhaseMs = 10000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Nanoseconds on a processor, all threads of the process.
double cpuNanoseconds(qint64 pid)
{
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toDouble();
    }
    return total;
}

double residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

struct Peer
{
    int fd = -1;
    bool lister = false;
    FrameBuffer in;
    bool coded = false;
    bool reached = false;
    qint64 askedNs = -1;     // a list request waiting for its page
    qint64 nextAskNs = 0;
};

// The simulated side: plain sockets on one epoll set.
class Crowd
{
public:
    explicit Crowd(quint16 port) : m_port(port) { m_epoll = ::epoll_create1(EPOLL_CLOEXEC); m_clock.start(); }
    ~Crowd()
    {
        for (const Peer &peer : m_peers)
            ::close(peer.fd);
        ::close(m_epoll);
    }

    qint64 now() const { return m_clock.nsecsElapsed(); }

    bool add(quint32 from, bool lister)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        sockaddr_in source = {};
        source.sin_family = AF_INET;
        source.sin_addr.s_addr = htonl(from);
        sockaddr_in target = {};
        target.sin_family = AF_INET;
        target.sin_port = htons(m_port);
        target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&source), sizeof source) != 0
            || (::connect(fd, reinterpret_cast<sockaddr *>(&target), sizeof target) != 0 && errno != EINPROGRESS)) {
            ::close(fd);
            return false;
        }
        m_peers.push_back(Peer{fd, lister, {}, false, false, -1, 0});
        epoll_event event = {};
        event.events = EPOLLIN;
        event.data.u64 = m_peers.size() - 1;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        return true;
    }

    void send(Peer &peer, const QByteArray &bytes)
    {
        // Small messages on an idle connection: the system takes them whole.
        if (::send(peer.fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) != bytes.size())
            ++m_sendFailures;
    }

    // Handles what arrived, waiting at most timeoutMs for it.
    void pump(int timeoutMs)
    {
        epoll_event events[512];
        const int count = ::epoll_wait(m_epoll, events, 512, timeoutMs);
        for (int i = 0; i < count; ++i) {
            Peer &peer = m_peers[events[i].data.u64];
            char buffer[65536];
            const ssize_t got = ::recv(peer.fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, peer.fd, nullptr);
                    ++m_closed;
                }
                continue;
            }
            peer.in.add(QByteArrayView(buffer, got));
            while (const std::optional<QByteArray> line = peer.in.next())
                handle(peer, *line);
        }
    }

    std::vector<Peer> &peers() { return m_peers; }
    int closed() const { return m_closed; }
    int sendFailures() const { return m_sendFailures; }
    std::vector<double> &latenciesMs() { return m_latenciesMs; }

private:
    void handle(Peer &peer, const QByteArray &line)
    {
        const std::optional<msg::FromDirectory> message = msg::readFromDirectory(line);
        if (!message)
            return;
        if (std::holds_alternative<msg::DirCode>(*message)) {
            peer.coded = true;
        } else if (const auto *probe = std::get_if<msg::DirProbe>(&*message)) {
            send(peer, msg::encode(msg::DirReady{probe->challenge}));
        } else if (std::holds_alternative<msg::DirReach>(*message)) {
            peer.reached = true;
        } else if (std::holds_alternative<msg::DirPage>(*message) && peer.askedNs >= 0) {
            m_latenciesMs.push_back(double(now() - peer.askedNs) / 1e6);
            peer.askedNs = -1;
        }
    }

    quint16 m_port;
    int m_epoll = -1;
    QElapsedTimer m_clock;
    std::vector<Peer> m_peers;
    std::vector<double> m_latenciesMs;
    int m_closed = 0;
    int m_sendFailures = 0;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void raiseDescriptorLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void BM_DirectoryAtScale(benchmark::State &state)
{
    const int tables = int(state.range(0));
    const int listers = int(state.range(1));
    raiseDescriptorLimit();
    for (auto _ : state) {
        const quint16 port = freePort();
        QProcess directory;
        directory.setStandardOutputFile(QProcess::nullDevice());
        directory.start(QStringLiteral(PINLEX_BINARY),
                        {QStringLiteral("--directory"), QStringLiteral("--port"), QString::number(port)});
        if (!directory.waitForStarted()) {
            state.SkipWithError("the directory did not start");
            return;
        }
        const qint64 pid = directory.processId();
        QThread::msleep(500);
        const double baseKb = residentKilobytes(pid);
        Crowd crowd(port);

        // Registration, a few hundred connections at a time.
        double cpu = cpuNanoseconds(pid);
        for (int i = 0; i < tables; ++i) {
            crowd.add(0x7F010001u + quint32(i), false);
            if (i % 200 == 199)
                crowd.pump(1);
        }
        crowd.pump(50);
        for (Peer &peer : crowd.peers()) {
            msg::DirTable table{1, 9, int(peer.fd % 4), 0, peer.fd % 3 == 0, "Simulated table"};
            table.name += QByteArray::number(peer.fd);
            crowd.send(peer, msg::encode(table));
        }
        QElapsedTimer waited;
        waited.start();
        const auto allReached = [&] {
            return std::all_of(crowd.peers().begin(), crowd.peers().end(), [](const Peer &p) { return p.reached; });
        };
        while (!allReached() && waited.elapsed() < 120000)
            crowd.pump(10);
        if (!allReached()) {
            state.SkipWithError("not every table was registered and probed");
            return;
        }
        const double registrationNs = cpuNanoseconds(pid) - cpu;
        QThread::msleep(200);
        const double tablesKb = residentKilobytes(pid);

        // Heartbeats alone.
        const QByteArray beat = msg::encode(msg::DirBeat{});
        size_t next = 0;
        long long beats = 0;
        const auto runPhase = [&](bool listing) {
            const qint64 start = crowd.now();
            const qint64 end = start + qint64(kPhaseMs) * 1'000'000;
            while (crowd.now() < end) {
                const qint64 due = (crowd.now() - start) * kHeartbeatsPerSecond / 1'000'000'000;
                for (; beats < due; ++beats) {
                    crowd.send(crowd.peers()[next], beat);
                    next = (next + 1) % size_t(tables);
                }
                if (listing) {
                    for (size_t i = size_t(tables); i < crowd.peers().size(); ++i) {
                        Peer &peer = crowd.peers()[i];
                        if (peer.askedNs < 0 && crowd.now() >= peer.nextAskNs) {
                            peer.askedNs = crowd.now();
                            peer.nextAskNs = peer.askedNs + qint64(kListIntervalMs) * 1'000'000;
                            crowd.send(peer, msg::encode(msg::DirList{}));
                        }
                    }
                }
                crowd.pump(1);
            }
        };
        cpu = cpuNanoseconds(pid);
        runPhase(false);
        const double heartbeatNs = (cpuNanoseconds(pid) - cpu) / double(beats);

        // Listing clients join, each at its own moment of the five seconds.
        for (int j = 0; j < listers; ++j) {
            crowd.add(0x7F020001u + quint32(j), true);
            crowd.peers().back().nextAskNs = crowd.now() + qint64(j) * kListIntervalMs * 1'000'000 / listers;
        }
        crowd.pump(100);
        const long long beatsBefore = beats;
        cpu = cpuNanoseconds(pid);
        runPhase(true);
        const double listingPhaseNs = cpuNanoseconds(pid) - cpu;
        const size_t listings = crowd.latenciesMs().size();
        const double listingNs = (listingPhaseNs - double(beats - beatsBefore) * heartbeatNs) / double(listings);

        state.SetIterationTime(double(kPhaseMs) / 1000.0);
        state.counters["cpu_us_per_registration"] = registrationNs / double(tables) / 1000.0;
        state.counters["cpu_us_per_heartbeat"] = heartbeatNs / 1000.0;
        state.counters["cpu_us_per_listing"] = listingNs / 1000.0;
        state.counters["listings"] = double(listings);
        state.counters["listing_ms_p50"] = percentile(crowd.latenciesMs(), 0.5);
        state.counters["listing_ms_p99"] = percentile(crowd.latenciesMs(), 0.99);
        state.counters["rss_mb"] = residentKilobytes(pid) / 1024.0;
        state.counters["rss_kb_per_table"] = (tablesKb - baseKb) / double(tables);
        state.counters["closed"] = double(crowd.closed());
        state.counters["send_failures"] = double(crowd.sendFailures());
        // What 35,000 tables at one heartbeat every 30 s would cost, in
        // percent of one core, with the listings measured.
        const double listingsPerSecond = double(listings) / (kPhaseMs / 1000.0);
        state.counters["core_pct_at_1200_beats_per_s"] =
            (1200.0 * heartbeatNs + listingsPerSecond * listingNs) / 1e9 * 100.0;

        directory.terminate();
        directory.waitForFinished(5000);
    }
}
BENCHMARK(BM_DirectoryAtScale)->Args({10000, 1000})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
