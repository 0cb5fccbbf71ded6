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
//
// BM_RelayAtScale/T: T tables that nobody can reach register and are listed
// as relayed; a client joins each through the relay (the host answers with
// a connection of its own, from its address); then every client sends a
// game message of 40 bytes, which its host sends back, 5,000 relayed
// messages a second in all for ten seconds. Reports the directory's CPU
// time per relayed message and its memory per relay session (both of its
// connections included).
#include "bench/qtbenchmain.h"
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

enum class Role { Host, Lister, Client, HostEnd };

struct Peer
{
    int fd = -1;
    Role role = Role::Host;
    FrameBuffer in;
    bool coded = false;
    bool reached = false;
    qint64 askedNs = -1;     // a list request waiting for its page
    qint64 nextAskNs = 0;
    QByteArray code;
    int messages = 0;        // relayed messages received
};

// A host is asked to open its end of a relay session.
struct RelayRequest
{
    size_t host;
    QByteArray session;
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

    // blocking: connected when it returns (on the loopback network at once).
    bool add(quint32 from, Role role, bool blocking = false)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
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
        if (blocking)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        Peer peer;
        peer.fd = fd;
        peer.role = role;
        m_peers.push_back(std::move(peer));
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
    std::vector<RelayRequest> takeRelayRequests() { return std::exchange(m_relayRequests, {}); }
    long long relayedMessages() const { return m_relayedMessages; }

private:
    void handle(Peer &peer, const QByteArray &line)
    {
        if (peer.role == Role::Client || peer.role == Role::HostEnd) {
            ++peer.messages;
            ++m_relayedMessages;
            // The host answers each message with one of the same size.
            if (peer.role == Role::HostEnd)
                send(peer, line + wire::kTerminator);
            return;
        }
        const std::optional<msg::FromDirectory> message = msg::readFromDirectory(line);
        if (!message)
            return;
        if (const auto *code = std::get_if<msg::DirCode>(&*message)) {
            peer.coded = true;
            peer.code = code->code;
        } else if (const auto *relay = std::get_if<msg::DirRelay>(&*message)) {
            m_relayRequests.push_back({size_t(&peer - m_peers.data()), relay->session});
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
    std::vector<RelayRequest> m_relayRequests;
    long long m_relayedMessages = 0;
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

// `pinlex --directory` on port, given half a second to settle; false, with
// the benchmark skipped, when it does not start.
bool startDirectory(QProcess &directory, quint16 port, benchmark::State &state)
{
    directory.setStandardOutputFile(QProcess::nullDevice());
    directory.start(QStringLiteral(PINLEX_BINARY),
                    {QStringLiteral("--directory"), QStringLiteral("--port"), QString::number(port)});
    if (!directory.waitForStarted()) {
        state.SkipWithError("the directory did not start");
        return false;
    }
    QThread::msleep(500);
    return true;
}

void BM_DirectoryAtScale(benchmark::State &state)
{
    const int tables = int(state.range(0));
    const int listers = int(state.range(1));
    raiseDescriptorLimit();
    for (auto _ : state) {
        const quint16 port = freePort();
        QProcess directory;
        if (!startDirectory(directory, port, state))
            return;
        const qint64 pid = directory.processId();
        const double baseKb = residentKilobytes(pid);
        Crowd crowd(port);

        // Registration, a few hundred connections at a time.
        double cpu = cpuNanoseconds(pid);
        for (int i = 0; i < tables; ++i) {
            crowd.add(0x7F010001u + quint32(i), Role::Host);
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
            crowd.add(0x7F020001u + quint32(j), Role::Lister);
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
// The directory's address for a peer's bind: 127.1.x.y for the i-th table.
quint32 tableAddress(int i)
{
    return 0x7F010001u + quint32(i);
}

void BM_RelayAtScale(benchmark::State &state)
{
    const int tables = int(state.range(0));
    constexpr int kMessagesPerSecond = 5000;   // each way counted
    raiseDescriptorLimit();
    for (auto _ : state) {
        const quint16 port = freePort();
        QProcess directory;
        if (!startDirectory(directory, port, state))
            return;
        const qint64 pid = directory.processId();
        Crowd crowd(port);
        for (int i = 0; i < tables; ++i)
            crowd.add(tableAddress(i), Role::Host, true);
        for (Peer &peer : crowd.peers())
            crowd.send(peer, msg::encode(msg::DirTable{1, 9, 0, 0, false, "Relayed table"}));
        const auto all = [&](auto test) {
            return std::all_of(crowd.peers().begin(), crowd.peers().end(), test);
        };
        QElapsedTimer waited;
        waited.start();
        while (!all([](const Peer &p) { return p.role != Role::Host || p.reached; }) && waited.elapsed() < 60000)
            crowd.pump(10);
        QThread::msleep(200);
        const double tablesKb = residentKilobytes(pid);

        // A client for each table, and the host's end of each session.
        const QByteArray message = QByteArray("CMD_chat+2+a relayed line of a word game") + wire::kTerminator;
        for (int i = 0; i < tables; ++i) {
            crowd.add(0x7F020001u + quint32(i), Role::Client, true);
            crowd.send(crowd.peers().back(), msg::encode(msg::DirJoin{crowd.peers()[size_t(i)].code}));
            crowd.send(crowd.peers().back(), message);
        }
        int hostEnds = 0;
        while (hostEnds < tables && waited.elapsed() < 120000) {
            crowd.pump(10);
            for (const RelayRequest &request : crowd.takeRelayRequests()) {
                crowd.add(tableAddress(int(request.host)), Role::HostEnd, true);
                crowd.send(crowd.peers().back(), msg::encode(msg::DirRelayHello{request.session}));
                ++hostEnds;
            }
        }
        while (!all([](const Peer &p) { return p.role != Role::Client || p.messages > 0; }) && waited.elapsed() < 120000)
            crowd.pump(10);
        if (!all([](const Peer &p) { return p.role != Role::Client || p.messages > 0; })) {
            state.SkipWithError("not every client was relayed to its host");
            return;
        }
        QThread::msleep(200);
        const double sessionsKb = residentKilobytes(pid);

        // Each message a client sends comes back from its host: two relayed.
        const long long before = crowd.relayedMessages();
        const double cpu = cpuNanoseconds(pid);
        const qint64 start = crowd.now();
        const qint64 end = start + qint64(kPhaseMs) * 1'000'000;
        long long sent = 0;
        size_t next = 0;
        while (crowd.now() < end) {
            const long long due = (crowd.now() - start) * kMessagesPerSecond / 2 / 1'000'000'000;
            for (; sent < due; ++sent) {
                crowd.send(crowd.peers()[size_t(tables) + next], message);
                next = (next + 1) % size_t(tables);
            }
            crowd.pump(1);
        }
        QElapsedTimer settle;
        settle.start();
        while (crowd.relayedMessages() - before < 2 * sent && settle.elapsed() < 2000)
            crowd.pump(10);
        const long long relayed = crowd.relayedMessages() - before;

        state.SetIterationTime(double(kPhaseMs) / 1000.0);
        state.counters["relayed_messages"] = double(relayed);
        state.counters["cpu_us_per_relayed_message"] = (cpuNanoseconds(pid) - cpu) / double(relayed) / 1000.0;
        state.counters["rss_kb_per_session"] = (sessionsKb - tablesKb) / double(tables);
        state.counters["rss_mb"] = sessionsKb / 1024.0;
        state.counters["closed"] = double(crowd.closed());
        state.counters["send_failures"] = double(crowd.sendFailures());
        directory.terminate();
        directory.waitForFinished(5000);
    }
}

BENCHMARK(BM_DirectoryAtScale)->Args({10000, 1000})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RelayAtScale)->Arg(1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
