// The computer players: their word index, their strength, and whole games
// against the host.
//
// BM_BuildIndex: building the word index from the program's data, which
// the first computer player of a process pays for.
//
// BM_Candidates: the words of the whole dictionary one rack spells.
//
// BM_SimulatedGames/strength: 500 games of one computer player against the
// real draw, judge and bowling scorer, without any connection (0 Easy,
// 1 Medium, 2 Hard). Reports the average total, its spread (standard
// deviation), the lowest and highest, and strikes and spares per frame.
//
// BM_HostedGames/strength: 500 games of three computer players of that
// strength against a host in this process over loopback, playing at once,
// the host's clock ticked away whenever nobody has anything left to play.
// Reports the average total, its spread and the games per second.
#include "host/bowlingscorer.h"
#include "host/hosttable.h"
#include "host/pausesetting.h"
#include "host/serverform.h"
#include "host/wordjudge.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "protocol/messages.h"
#include "robots/robot.h"
#include "robots/robotbrain.h"
#include "robots/wordindex.h"
#include "words/dictn.h"
#include "words/letterwords.h"
#include "words/random.h"

#include "bench/qtbenchmain.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QResource>
#include <QTimer>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kGames = 500;

Strength strengthOf(const benchmark::State &state)
{
    return Strength(state.range(0));
}

struct Spread
{
    double mean = 0;
    double deviation = 0;
    int lowest = 0;
    int highest = 0;
};

Spread spreadOf(const std::vector<int> &totals)
{
    Spread spread;
    if (totals.empty())
        return spread;
    double sum = 0;
    spread.lowest = spread.highest = totals.front();
    for (const int total : totals) {
        sum += total;
        spread.lowest = std::min(spread.lowest, total);
        spread.highest = std::max(spread.highest, total);
    }
    spread.mean = sum / double(totals.size());
    double squares = 0;
    for (const int total : totals)
        squares += (total - spread.mean) * (total - spread.mean);
    spread.deviation = std::sqrt(squares / double(totals.size()));
    return spread;
}

void report(benchmark::State &state, const std::vector<int> &totals)
{
    const Spread spread = spreadOf(totals);
    state.counters["average"] = spread.mean;
    state.counters["spread"] = spread.deviation;
    state.counters["lowest"] = spread.lowest;
    state.counters["highest"] = spread.highest;
}

void BM_BuildIndex(benchmark::State &state)
{
    const QByteArray records = QResource(QStringLiteral(":/words/TEXT_DEMO")).uncompressedData();
    const QByteArray levels = QResource(QStringLiteral(":/words/wordlevels")).uncompressedData();
    qsizetype words = 0;
    for (auto _ : state) {
        const WordIndex index(records, levels);
        words = index.size();
    }
    state.counters["words"] = double(words);
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

void BM_Candidates(benchmark::State &state)
{
    const WordIndex &index = WordIndex::shared();
    Random::setSeed(1);
    qsizetype found = 0;
    for (auto _ : state) {
        const QByteArray rack = letterwords::draw().toLatin1();
        found += index.candidates(rack, Vocabulary::Whole).size();
    }
    state.counters["words_per_rack"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_Candidates)->Unit(benchmark::kMicrosecond);

// ---- One player against the judge and the scorer, no connection ----

class Simulation
{
public:
    Simulation(Strength strength, quint32 seed)
        : m_brain(strength, WordIndex::shared(), seed),
          m_judge(m_table, [this](QStringView word) {
              const bool found = m_dictionary.lookup(word);
              m_refused += found ? 0 : 1;
              return found;
          }),
          m_scorer(m_table)
    {
        m_table.players[1].connected = true;
    }

    int playGame()
    {
        TPlayerSlot &seat = m_table.players[1];
        seat.total = 0;
        seat.frames.fill(TFrameScore());
        m_table.bonusword2 = deal(2);
        m_table.bonusword3 = deal(3);
        for (int frame = 1; frame <= game::kFrames; ++frame) {
            m_table.currentframe = frame;
            m_table.frameword = deal(1);
            seat.words = {};
            seat.letterset = 1;
            seat.balls = 0;
            playFrame();
            m_scorer.scoreAll();
            const TFrameScore &score = seat.frames[frame];
            m_strikes += score.first == 10 ? 1 : 0;
            m_spares += score.first < 10 && score.first + score.second == 10 ? 1 : 0;
        }
        return seat.total;
    }

    int strikes() const { return m_strikes; }
    int spares() const { return m_spares; }
    int refused() const { return m_refused; }

private:
    QByteArray deal(int rack)
    {
        const QByteArray word = letterwords::draw().toLatin1();
        Rack *seat = &m_table.players[1].tiles[rack];
        letterwords::shuffleOntoRack(QString::fromLatin1(word), m_table.mastertiles[rack], std::span(&seat, 1));
        return word;
    }

    void playFrame()
    {
        TPlayerSlot &seat = m_table.players[1];
        m_brain.newRack(seat.tiles[1], 2);
        for (int attempt = 0; attempt < 20; ++attempt) {
            const std::optional<RobotBrain::Move> move = m_brain.think(std::numeric_limits<int>::max());
            if (!move)
                break;
            const WordJudge::Verdict verdict = m_judge.judge(1, move->positions);
            if (verdict.outcome != WordJudge::Outcome::Accepted) {
                m_brain.refused();
                continue;
            }
            m_brain.accepted();
            if (verdict.frameOver)
                return;
            if (verdict.sendRack)
                m_brain.newRack(seat.tiles[verdict.sendRack], verdict.balls >= 2 ? 1 : 2);
        }
        m_scorer.timeUp();   // nothing more comes to mind: the clock runs out
    }

    HostTable m_table;
    TDictn m_dictionary;
    RobotBrain m_brain;
    WordJudge m_judge;
    BowlingScorer m_scorer;
    int m_strikes = 0;
    int m_spares = 0;
    int m_refused = 0;
};

void BM_SimulatedGames(benchmark::State &state)
{
    for (auto _ : state) {
        Random::setSeed(20240);
        Simulation simulation(strengthOf(state), 7);
        std::vector<int> totals;
        for (int game = 0; game < kGames; ++game)
            totals.push_back(simulation.playGame());
        report(state, totals);
        state.counters["strikes_per_frame"] = double(simulation.strikes()) / (kGames * 10.0);
        state.counters["spares_per_frame"] = double(simulation.spares()) / (kGames * 10.0);
        if (simulation.refused() > 0)
            state.SkipWithError("the judge refused a word a computer player chose");
    }
}
BENCHMARK(BM_SimulatedGames)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kSecond);

// ---- Three players against the host over loopback ----

class FixedPause : public PauseSetting
{
public:
    int pauseBetweenFrames() const override { return 5; }
};

// Slot 1, the hosting player: starts a game and leaves, so that only the
// computer players are waited for.
class Starter
{
public:
    explicit Starter(quint16 port)
    {
        m_sock.setHostName(QStringLiteral("127.0.0.1"));
        m_sock.setPortName(QString::number(port));
        m_sock.OnRead = [this](TSock *sock, qsizetype) {
            m_buffer.append(sock->receive(), [this](const QByteArray &line) {
                if (line == "CMD_sendlogininfo+1") {
                    m_sock.send(msg::encode(msg::StartGame{"Bench", 60, "f"}));
                    m_sock.close();
                }
            });
        };
        m_sock.open();
    }

private:
    TSock m_sock;
    FrameBuffer m_buffer;
};

void BM_HostedGames(benchmark::State &state)
{
    for (auto _ : state) {
        Random::setSeed(20240);
        const FixedPause pause;
        TServer server;
        server.useManualClock();
        server.setPauseSetting(&pause);
        server.setChatLimit(0);
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        const quint16 port = server.Sock1->localPort();

        // Slot 1 is held while the robots take seats 2 to 4; then it is
        // free for the starter of each game.
        std::vector<std::unique_ptr<Robot>> robots;
        for (quint32 i = 0; i < 3; ++i) {
            robots.push_back(std::make_unique<Robot>(strengthOf(state), defaultRobotName(strengthOf(state))));
            robots.back()->setInstant(true);
            robots.back()->setChatter(false);
            robots.back()->setSeed(100 + i);
        }
        QEventLoop seating;
        int seated = 0;
        for (auto &robot : robots) {
            QObject::connect(robot.get(), &Robot::loggedIn, &seating, [&] {
                if (++seated == int(robots.size()))
                    seating.quit();
            });
        }
        const QMetaObject::Connection onAccept =
            QObject::connect(&server, &TServer::connectionAccepted, &seating, [&](int slot) {
                if (slot == 1) {
                    for (auto &robot : robots)
                        robot->connectTo(QStringLiteral("127.0.0.1"), port);
                }
            });
        TSock holder;
        holder.setHostName(QStringLiteral("127.0.0.1"));
        holder.setPortName(QString::number(port));
        holder.open();
        QTimer::singleShot(10000, &seating, &QEventLoop::quit);
        seating.exec();
        QObject::disconnect(onAccept);
        holder.close();
        if (seated < int(robots.size())) {
            state.SkipWithError("the computer players did not all take a seat");
            return;
        }

        QEventLoop loop;
        std::vector<int> totals;
        int games = 0;
        std::unique_ptr<Starter> starter;
        QObject::connect(&server, &TServer::winnerAnnounced, &loop, [&] {
            for (int seat = 2; seat <= 4; ++seat)
                totals.push_back(server.players[seat].total);
            ++games;
        });
        bool starting = false;
        QObject::connect(&server, &TServer::gameStarted, &loop, [&] { starting = false; });
        int idlePolls = 0;
        QTimer poll;
        poll.setInterval(1);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!server.gamestarted) {
                if (games >= kGames) {
                    loop.quit();
                    return;
                }
                if (!starting) {
                    starting = true;
                    starter = std::make_unique<Starter>(port);
                }
                return;
            }
            if (!server.timer1.isActive())
                return;
            const bool nobodyBusy =
                std::none_of(robots.begin(), robots.end(), [](const auto &robot) { return robot->isBusy(); });
            idlePolls = nobodyBusy ? idlePolls + 1 : 0;
            if (server.timer1Mode == TServer::TimerMode::Pause || idlePolls >= 3) {
                idlePolls = 0;
                for (int tick = server.countdown; tick > 0 && server.timer1.isActive(); --tick)
                    server.timer1Timer();
            }
        });
        QElapsedTimer elapsed;
        elapsed.start();
        poll.start();
        loop.exec();
        const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
        report(state, totals);
        state.counters["games_per_s"] = games / seconds;
        if (games < kGames)
            state.SkipWithError(QByteArray("only " + QByteArray::number(games) + " games were played to the end")
                                    .constData());
    }
}
BENCHMARK(BM_HostedGames)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
