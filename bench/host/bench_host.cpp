// The game host under load and at rest.
//
// BM_WholeGame: four scripted clients play whole ten-frame games against a
// host in this process over loopback, every seat playing each rack whole
// (the bonus racks of the tenth frame included), so every frame ends as soon
// as the last seat finishes; the pause between frames is ticked away at
// once. Reports the messages the host handled and sent per second and the
// round trip from CMD_sendword to CMD_goodword (median, 99th percentile).
//
// BM_ChatBurst: four clients send chat lines as fast as they can; every line
// is relayed to all four. Reports the lines the host handles per second.
//
// BM_RelayHostCpu: `pinlex --serve` with nine connections logged in (four
// seats, five spectators); the four seats send chat lines as fast as they
// can and every line is relayed to all nine. Reports the host process's CPU
// time per relayed line, measured from outside.
//
// BM_IdleHostCpu: `pinlex --serve` with four clients logged in and nothing
// happening (argument 0), or in the middle of a frame with its clock
// ticking (argument 1), for ten seconds: the host's CPU time in that span.
#include "host/serverform.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "protocol/messages.h"

#include "bench/qtbenchmain.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

struct Stats
{
    qint64 sent = 0;        // by the clients, so handled by the host
    qint64 received = 0;    // sent by the host
    std::vector<double> roundTrips;   // microseconds
};

// Positions, in the order of word, of its letters on a rack given as a
// "CMD_theletters+seat+1+x+...+10+y" message.
QByteArray positionsOf(const QByteArray &word, const QList<QByteArray> &fields)
{
    char rack[11] = {};
    for (qsizetype i = 2; i + 1 < fields.size(); i += 2) {
        const int position = fields[i].toInt();
        if (position >= 1 && position <= 10 && !fields[i + 1].isEmpty())
            rack[position] = fields[i + 1][0];
    }
    QByteArray positions;
    for (const char letter : word) {
        for (int p = 1; p <= 10; ++p) {
            if (rack[p] == letter) {
                positions += '+' + QByteArray::number(p);
                rack[p] = 0;
                break;
            }
        }
    }
    return positions;
}

// A seat that plays every rack whole. The words of the bonus racks are
// read from the host's table: a real player would have to find them.
class ScriptedClient
{
public:
    ScriptedClient(const TServer &server, Stats &stats, QByteArray name)
        : m_server(server), m_stats(stats), m_name(std::move(name))
    {
        m_sock.setHostName(QStringLiteral("127.0.0.1"));
        m_sock.OnRead = [this](TSock *sock, qsizetype) {
            m_buffer.append(sock->receive(), [this](QByteArray line) { handle(line); });
        };
    }

    std::function<void(const QByteArray &)> onMessage;

    void connectTo(quint16 port)
    {
        m_sock.setPortName(QString::number(port));
        m_sock.open();
    }

    void send(const QByteArray &line)
    {
        ++m_stats.sent;
        m_sock.send(line + wire::kTerminator);
    }

    int slot() const { return m_slot; }

private:
    void handle(const QByteArray &line)
    {
        ++m_stats.received;
        if (line.startsWith("CMD_sendlogininfo+")) {
            m_slot = line.mid(18).toInt();
            send("CMD_logininfo+" + QByteArray::number(m_slot) + "+1.0.9+" + m_name);
        } else if (line.startsWith("CMD_theletters+")) {
            const QList<QByteArray> fields = line.split('+');
            QByteArray positions;
            if (fields.value(1) == "0") {
                m_bonusRacks = 0;
                for (qsizetype i = 2; i < fields.size(); i += 2)
                    positions += '+' + fields[i];
            } else {
                ++m_bonusRacks;
                positions = positionsOf(m_bonusRacks == 1 ? m_server.bonusword2 : m_server.bonusword3, fields);
            }
            m_clock.start();
            send("CMD_sendword+" + QByteArray::number(m_slot) + positions);
        } else if (line.startsWith("CMD_goodword+") || line.startsWith("CMD_worderror+")) {
            m_stats.roundTrips.push_back(double(m_clock.nsecsElapsed()) / 1000.0);
        }
        if (onMessage)
            onMessage(line);
    }

    const TServer &m_server;
    Stats &m_stats;
    QByteArray m_name;
    TSock m_sock;
    FrameBuffer m_buffer;
    QElapsedTimer m_clock;
    int m_slot = 0;
    int m_bonusRacks = 0;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

// A host on a free port, with four clients logged in.
struct Table
{
    TServer server;
    Stats stats;
    std::vector<std::unique_ptr<ScriptedClient>> clients;

    Table()
    {
        server.useManualClock();
        server.listen(0, QHostAddress(QHostAddress::LocalHost));
        QEventLoop loop;
        int loggedIn = 0;
        for (const char *name : {"Ann", "Bob", "Cy", "Dee"}) {
            clients.push_back(std::make_unique<ScriptedClient>(server, stats, name));
            clients.back()->onMessage = [&](const QByteArray &line) {
                if (line.startsWith("CMD_newplayerinfo+") && ++loggedIn == 4 * 4 - 6)
                    loop.quit();
            };
            clients.back()->connectTo(server.Sock1->localPort());
        }
        // each newcomer hears itself and those after it: 4 + 3 + 2 + 1
        loop.exec();
        for (auto &client : clients)
            client->onMessage = nullptr;
    }

    // Slots go to the connections in the order the host accepts them.
    ScriptedClient &hostingPlayer()
    {
        return **std::find_if(clients.begin(), clients.end(), [](const auto &c) { return c->slot() == 1; });
    }
};

void BM_WholeGame(benchmark::State &state)
{
    Table table;
    qint64 sent = 0, received = 0;
    for (auto _ : state) {
        table.stats.sent = table.stats.received = 0;
        QEventLoop loop;
        int winners = 0;
        for (auto &client : table.clients) {
            client->onMessage = [&, slot = client->slot()](const QByteArray &line) {
                // slot 1 ticks the pause away once the scores are out
                if (slot == 1 && line.startsWith("CMD_postscores+")) {
                    QTimer::singleShot(0, &table.server, [&] {
                        while (table.server.timer1Mode == TServer::TimerMode::Pause && table.server.timer1.isActive())
                            table.server.timer1Timer();
                    });
                }
                if (line.startsWith("CMD_winner+") && ++winners == 4)
                    loop.quit();
            };
        }
        QElapsedTimer elapsed;
        elapsed.start();
        table.hostingPlayer().send("CMD_startgame+Ann+60+f+");
        loop.exec();
        state.SetIterationTime(double(elapsed.nsecsElapsed()) / 1e9);
        sent += table.stats.sent;
        received += table.stats.received;
        if (table.server.players[1].total != 300)
            state.SkipWithError("a seat did not play a perfect game");
    }
    state.counters["handled/s"] = benchmark::Counter(double(sent), benchmark::Counter::kIsRate);
    state.counters["sent/s"] = benchmark::Counter(double(received), benchmark::Counter::kIsRate);
    state.counters["rtt_median_us"] = percentile(table.stats.roundTrips, 0.5);
    state.counters["rtt_p99_us"] = percentile(table.stats.roundTrips, 0.99);
}
BENCHMARK(BM_WholeGame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ChatBurst(benchmark::State &state)
{
    Table table;
    const int linesPerClient = int(state.range(0));
    for (auto _ : state) {
        QEventLoop loop;
        int relayed = 0;
        const int expected = 4 * 4 * linesPerClient;
        for (auto &client : table.clients) {
            client->onMessage = [&](const QByteArray &line) {
                if (line.startsWith("CMD_chat+") && ++relayed == expected)
                    loop.quit();
            };
        }
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < linesPerClient; ++i) {
            for (auto &client : table.clients)
                client->send("CMD_chat+" + QByteArray::number(client->slot()) + "+a line of chat|clBlack");
        }
        loop.exec();
        state.SetIterationTime(double(elapsed.nsecsElapsed()) / 1e9);
    }
    state.counters["handled/s"] =
        benchmark::Counter(double(state.iterations()) * 4 * linesPerClient, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChatBurst)->Arg(250)->UseManualTime()->Unit(benchmark::kMillisecond);

// User plus system time of a process, in milliseconds.
double cpuMilliseconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // fields after the command name, which is in parentheses
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// A `pinlex --serve` child on a free port; stops it when done.
class ServeProcess
{
public:
    explicit ServeProcess(const QStringList &extra = {})
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
        probe.close();
        m_process.start(QStringLiteral(PINLEX_BINARY),
                        QStringList{QStringLiteral("--serve"), QStringLiteral("--port"), QString::number(m_port)}
                            + extra);
        QEventLoop loop;
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec(); // "listening on port ..."
        m_ok = m_process.readAllStandardOutput().startsWith("listening");
    }
    ~ServeProcess()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool ok() const { return m_ok; }
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    quint16 m_port = 0;
    bool m_ok = false;
};

// A logged-in connection that counts the chat lines relayed to it.
struct ChatPeer
{
    TSock sock;
    FrameBuffer buffer;
    int slot = 0;
    qint64 relayed = 0;
    std::function<void()> onChange;
};

void BM_RelayHostCpu(benchmark::State &state)
{
    const int linesPerSeat = int(state.range(0));
    for (auto _ : state) {
        ServeProcess host({QStringLiteral("--chat-limit"), QStringLiteral("0")});
        if (!host.ok()) {
            state.SkipWithError("the host did not start");
            break;
        }
        QEventLoop loop;
        std::vector<std::unique_ptr<ChatPeer>> peers;
        int loggedIn = 0;
        qint64 relayed = 0;
        qint64 expected = -1;
        for (int i = 0; i < 9; ++i) {
            auto peer = std::make_unique<ChatPeer>();
            ChatPeer *p = peer.get();
            p->sock.setHostName(QStringLiteral("127.0.0.1"));
            p->sock.setPortName(QString::number(host.port()));
            p->sock.OnRead = [&, p, i](TSock *sock, qsizetype) {
                p->buffer.append(sock->receive(), [&, p, i](QByteArray line) {
                    if (line.startsWith("CMD_sendlogininfo+")) {
                        p->slot = line.mid(18).toInt();
                        sock->send(msg::encode(msg::LoginInfo{p->slot, "1.0.9", "P" + QByteArray::number(i)}));
                    } else if (line.startsWith("CMD_newplayerinfo+" + QByteArray::number(p->slot) + '+')) {
                        if (++loggedIn == 9)
                            loop.quit();
                    } else if (line.startsWith("CMD_chat+")) {
                        if (++relayed == expected)
                            loop.quit();
                    }
                });
            };
            p->sock.open();
            peers.push_back(std::move(peer));
        }
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        if (loggedIn < 9) {
            state.SkipWithError("not every peer logged in");
            break;
        }
        expected = qint64(4) * linesPerSeat * 9;
        const double before = cpuMilliseconds(host.pid());
        for (int n = 0; n < linesPerSeat; ++n) {
            for (auto &peer : peers) {
                if (peer->slot >= 1 && peer->slot <= 4)
                    peer->sock.send(msg::encode(msg::Chat{peer->slot, "a line of chat of ordinary length|clBlack"}));
            }
        }
        QElapsedTimer elapsed;
        elapsed.start();
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        const double used = cpuMilliseconds(host.pid()) - before;
        state.SetIterationTime(double(elapsed.nsecsElapsed()) / 1e9);
        if (relayed < expected) {
            state.SkipWithError("not every line was relayed");
            break;
        }
        state.counters["host_cpu_us_per_line"] = used * 1000.0 / (4.0 * linesPerSeat);
        state.counters["lines/s"] = double(4 * linesPerSeat) / (double(elapsed.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_RelayHostCpu)->Arg(5000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleHostCpu(benchmark::State &state)
{
    const bool inFrame = state.range(0) == 1;
    for (auto _ : state) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        QProcess host;
        host.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--serve"), QStringLiteral("--port"),
                                                   QString::number(port)});
        QEventLoop loop;
        const auto started = QObject::connect(&host, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();   // "listening on port ..."
        QObject::disconnect(started);
        if (!host.readAllStandardOutput().startsWith("listening")) {
            state.SkipWithError("the host did not start");
            break;
        }

        // Clients that never play: only the host's clock may tick.
        std::vector<std::unique_ptr<TSock>> clients;
        for (int i = 0; i < 4; ++i) {
            auto client = std::make_unique<TSock>();
            client->setHostName(QStringLiteral("127.0.0.1"));
            client->setPortName(QString::number(port));
            client->OnRead = [i](TSock *sock, qsizetype) {
                const QByteArray bytes = sock->receive();
                if (bytes.startsWith("CMD_sendlogininfo+")) {
                    const QByteArray slot = bytes.mid(18, bytes.indexOf(char(0xFF)) - 18);
                    sock->send(msg::encode(msg::LoginInfo{slot.toInt(), "1.0.9", "Idle" + QByteArray::number(i)}));
                }
            };
            client->open();
            clients.push_back(std::move(client));
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();   // slot 1 first, in order
        }
        if (inFrame) {
            clients[0]->send(msg::encode(msg::StartGame{"Idle0", game::kMaxTurnSeconds, "f"}));
            QTimer::singleShot(500, &loop, &QEventLoop::quit);
            loop.exec();
        }
        const double before = cpuMilliseconds(host.processId());
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        const double used = cpuMilliseconds(host.processId()) - before;
        state.SetIterationTime(10);
        state.counters["host_cpu_ms_per_10s"] = used;
        host.terminate();
        host.waitForFinished(5000);
    }
}
BENCHMARK(BM_IdleHostCpu)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
