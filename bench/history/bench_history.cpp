// The game history with 10,000 recorded games.
//
// The history is generated once, by the store's own writer, into
// history-10000.sqlite beside this program, and used again while it holds
// that many games: two to four seats, ten frames each, over three years.
//
// BM_OpenWindow: the "Game History" window made and shown until its first
// page of games is in the list, with the history already open (as the
// program keeps it from its start). BM_OpenWindowCold: the same, opening
// the file first, as when the window is opened as the program starts.
// BM_GamePage: the list's query for one page, all games or searched for an
// opponent no game has (the whole history is searched).
// BM_Statistics: every figure of the statistics page.
// BM_RecordFrame: what recording costs the thread that plays, per frame:
// the deal, the own words and the posted scores handed to the recorder; the
// write itself happens on the history's thread.
// BM_WriteFrame: that write, one transaction, on the history's thread.
// BM_Deal and BM_FrameEnd: a frame's deal (the rack and the turn) and its
// end (the posted scores) as the main window's models take them from the
// host, without a recorder (0) and with one following the game (1), with
// the frame's write done in the pause between frames as in a game: the
// differences are what recording adds to the playing thread.
//
//   build/bench/bench_history
#include "bench/qtbenchmain.h"
#include "base/errordisplay.h"
#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/gameflow.h"
#include "client/roster.h"
#include "client/turnclock.h"
#include "history/gamelistmodel.h"
#include "history/gamerecorder.h"
#include "history/historydatabase.h"
#include "history/historyqueries.h"
#include "history/historywindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <ctime>

using namespace history;

namespace {

constexpr int kGames = 10000;

const QStringList kWords = {QStringLiteral("streamline"), QStringLiteral("backstroke"),
                            QStringLiteral("friendship"), QStringLiteral("background"),
                            QStringLiteral("basketball"), QStringLiteral("blacksmith"),
                            QStringLiteral("playground"), QStringLiteral("lighthouse"),
                            QStringLiteral("watermelon"), QStringLiteral("earthquake")};

// Letters of the words a seat plays in a frame: strikes, spares and open
// frames in rough proportion.
std::array<int, kBalls> someLengths(QRandomGenerator &random)
{
    const int roll = int(random.bounded(10));
    if (roll < 2)
        return {10, -1, -1};
    const int first = 2 + int(random.bounded(7));
    if (roll < 5)
        return {first, 10 - first, -1};
    return {first, int(random.bounded(10 - first)), -1};
}

void generate(HistoryStore &store)
{
    QSqlQuery(store.database()).exec(QStringLiteral("PRAGMA synchronous=OFF"));
    QRandomGenerator random(7);
    const QDateTime first = QDateTime::currentDateTimeUtc().addYears(-3);
    const qint64 span = first.secsTo(QDateTime::currentDateTimeUtc());
    for (int n = 0; n < kGames; ++n) {
        GameRecord game;
        game.key = QStringLiteral("generated-%1").arg(n);
        game.started = first.addSecs(span * n / kGames);
        game.table = QStringLiteral("solo");
        game.secondsPerTurn = 60;
        game.ownSlot = 1;
        const int seats = 2 + int(random.bounded(3));
        for (int seat = 1; seat <= seats; ++seat) {
            SeatRecord s{seat, seat == 1 ? QStringLiteral("Me") : QStringLiteral("Player %1").arg(random.bounded(40)),
                         std::nullopt, 0, false};
            if (seat > 1 && random.bounded(2))
                s.computer = Strength(random.bounded(3));
            game.seats.append(s);
        }
        for (int k = 1; k <= kFrames; ++k) {
            FrameRecord frame;
            frame.frame = k;
            frame.word = kWords[random.bounded(kWords.size())];
            frame.rack = frame.word;
            QList<HistoryStore::RunningTotal> earlier;
            for (SeatRecord &s : game.seats) {
                const std::array<int, kBalls> lengths = someLengths(random);
                s.total += std::max(lengths[0], 0) + std::max(lengths[1], 0);
                frame.seats.append(SeatFrame{s.seat, true, lengths, s.total});
                if (k > 1)
                    earlier.append({s.seat, k - 1, s.total - lengths[0]});
                int used = 0;
                for (const int letters : lengths) {
                    if (letters > 0)
                        frame.words.append(WordRecord{s.seat, frame.word.mid(used, letters), true});
                    used += std::max(letters, 0);
                }
            }
            store.writeFrame(game, frame, earlier);
        }
        game.seats[random.bounded(game.seats.size())].winner = true;
        game.finished = random.bounded(10) != 0;
        if (game.finished)
            store.finishGame(game);
    }
}

// The generated history, made on first use.
QString historyPath()
{
    static const QString path = [] {
        const QString file = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("history-10000.sqlite"));
        HistoryStore store(file);
        store.open();
        if (gameCount(store.database()) != kGames) {
            store.close();
            QFile::remove(file);
            store.open();
            generate(store);
        }
        return file;
    }();
    return path;
}

void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

void showFirstPage(HistoryDatabase &database)
{
    HistoryWindow window(&database);
    window.show();
    waitUntil([&] { return window.games()->rowCount() > 0; });
    QCoreApplication::processEvents();   // and painted
}

void BM_OpenWindow(benchmark::State &state)
{
    HistoryDatabase database(historyPath());
    bool open = false;
    QObject context;
    database.whenWritten(&context, [&open] { open = true; });
    waitUntil([&] { return open; });
    for (auto _ : state)
        showFirstPage(database);
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenWindowCold(benchmark::State &state)
{
    const QString path = historyPath();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto database = std::make_unique<HistoryDatabase>(path);
        showFirstPage(*database);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        database.reset();
    }
}
BENCHMARK(BM_OpenWindowCold)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_GamePage(benchmark::State &state)
{
    HistoryStore store(historyPath());
    store.open();
    const QString search = state.range(0) ? QStringLiteral("nobody by this name") : QString();
    for (auto _ : state)
        benchmark::DoNotOptimize(gamePage(store.database(), search, 0, GameListModel::kPageSize));
}
BENCHMARK(BM_GamePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Statistics(benchmark::State &state)
{
    HistoryStore store(historyPath());
    store.open();
    for (auto _ : state)
        benchmark::DoNotOptimize(statistics(store.database()));
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

msg::PostScores postedFrame(int frame)
{
    msg::PostScores p;
    p.frame = frame;
    p.frameword = kWords[frame - 1].toLatin1();
    p.ownword = p.frameword;
    for (int seat = 1; seat <= kSeats; ++seat) {
        msg::SeatScore s{seat, 6 * frame, {4, 2, -1}, {p.frameword.left(4), p.frameword.mid(4, 2)}, {}};
        for (int k = 1; k <= kFrames; ++k)
            s.running[k - 1] = k <= frame ? 6 * k : -1;
        p.seats.append(s);
    }
    return p;
}

void BM_RecordFrame(benchmark::State &state)
{
    QTemporaryDir dir;
    HistoryDatabase database(dir.filePath(QStringLiteral("history.sqlite")));
    GameRecorder recorder(&database);
    GameStart start;
    for (int seat = 1; seat <= kSeats; ++seat)
        start.seats.append(SeatRecord{seat, QStringLiteral("Player %1").arg(seat), std::nullopt, 0, false});
    start.ownSlot = 1;
    QList<msg::PostScores> posted;
    QList<msg::TheLetters> deals;
    for (int frame = 1; frame <= kFrames; ++frame) {
        posted.append(postedFrame(frame));
        msg::TheLetters deal;
        for (int k = 0; k < posted.last().frameword.size(); ++k)
            deal.tiles.append({k + 1, posted.last().frameword[k]});
        deals.append(deal);
    }
    int frame = kFrames;
    for (auto _ : state) {
        if (frame == kFrames) {
            recorder.gameStarted(start);
            frame = 0;
        }
        ++frame;
        recorder.rackDealt(deals[frame - 1]);
        recorder.turnBegan(msg::NextPlayer{1, frame});
        recorder.wordPlayed(1, QString::fromLatin1(posted[frame - 1].seats[0].words[0]), true);
        recorder.wordPlayed(1, QString::fromLatin1(posted[frame - 1].seats[0].words[1]), true);
        recorder.frameScored(posted[frame - 1]);
    }
    state.SetLabel("per frame, on the playing thread");
}
// Every frame recorded is written before the history closes: keep the
// count modest.
BENCHMARK(BM_RecordFrame)->Unit(benchmark::kMicrosecond)->Iterations(3000);

void BM_WriteFrame(benchmark::State &state)
{
    QTemporaryDir dir;
    HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
    store.open();
    GameRecord game;
    game.started = QDateTime::currentDateTimeUtc();
    game.ownSlot = 1;
    for (int seat = 1; seat <= kSeats; ++seat)
        game.seats.append(SeatRecord{seat, QStringLiteral("Player %1").arg(seat), std::nullopt, 0, false});
    int n = 0;
    for (auto _ : state) {
        const int frame = n % kFrames + 1;
        game.key = QString::number(n++ / kFrames);
        FrameRecord record;
        record.frame = frame;
        record.word = kWords[frame - 1];
        record.rack = record.word;
        QList<HistoryStore::RunningTotal> earlier;
        for (int seat = 1; seat <= kSeats; ++seat) {
            record.seats.append(SeatFrame{seat, true, {4, 2, -1}, 6 * frame});
            record.words.append(WordRecord{seat, record.word.left(4), true});
            record.words.append(WordRecord{seat, record.word.mid(4, 2), true});
            if (frame > 1)
                earlier.append({seat, frame - 1, 6 * (frame - 1)});
        }
        store.writeFrame(game, record, earlier);
    }
}
BENCHMARK(BM_WriteFrame)->Unit(benchmark::kMicrosecond);

// The main window's models with the game's four seats, and a recorder
// following them when asked.
struct Window
{
    QTemporaryDir dir;
    HistoryDatabase database{dir.filePath(QStringLiteral("history.sqlite"))};
    GameClient client;
    Roster roster{client};
    RackModel rack;
    ScoreCardModel score;
    TurnClock clock;
    GameFlow flow{client, roster, rack, score, clock};
    GameRecorder recorder{&database};
    int frame = 0;   // the frame dealt last

    explicit Window(bool recording)
    {
        if (recording)
            recorder.follow(client, roster, flow);
        // Seated by no host: the login goes nowhere.
        const ErrorSink shown = setErrorSink({});
        hear(msg::SendLoginInfo{1});
        setErrorSink(shown);
        for (int seat = 1; seat <= kSeats; ++seat)
            hear(msg::NewPlayerInfo{seat, "Player " + QByteArray::number(seat)});
        hear(msg::StartGame{"Player 1", 60, "f"});
    }

    template <typename Message>
    void hear(const Message &message)
    {
        QByteArray line = msg::encode(message);
        line.chop(1);   // the terminator
        client.events()->received(line);
    }

    // The next frame's rack and turn.
    void deal()
    {
        ++frame;
        msg::TheLetters letters;
        for (int k = 0; k < kWords[frame - 1].size(); ++k)
            letters.tiles.append({k + 1, char(kWords[frame - 1][k].unicode())});
        hear(letters);
        hear(msg::NextPlayer{1, frame});
    }

    // The frame's scores; after the tenth, the winner and a new game.
    void end()
    {
        hear(postedFrame(frame));
        if (frame == kFrames) {
            hear(msg::Winner{{1}});
            hear(msg::StartGame{"Player 1", 60, "f"});
            frame = 0;
        }
    }

    // The pause between frames: the frame's write is done in it.
    void pause()
    {
        bool written = false;
        QObject context;
        database.whenWritten(&context, [&written] { written = true; });
        waitUntil([&written] { return written; });
        // A pause is seconds long, and other programs run in it: the caches
        // are cold at the next deal with a recorder or without.
        QThread::msleep(5);
    }
};

// The calling thread's own time in seconds: what it spent, not what the
// other programs of a busy machine or the history's thread took meanwhile.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void BM_Deal(benchmark::State &state)
{
    Window window(state.range(0));
    for (auto _ : state) {
        const double start = threadSeconds();
        window.deal();
        state.SetIterationTime(threadSeconds() - start);
        window.end();
        window.pause();
    }
    state.SetLabel(state.range(0) ? "with the recorder" : "without a recorder");
}
BENCHMARK(BM_Deal)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(1000);

void BM_FrameEnd(benchmark::State &state)
{
    Window window(state.range(0));
    for (auto _ : state) {
        window.deal();
        const double start = threadSeconds();
        window.end();
        state.SetIterationTime(threadSeconds() - start);
        window.pause();
    }
    state.SetLabel(state.range(0) ? "with the recorder" : "without a recorder");
}
BENCHMARK(BM_FrameEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(1000);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runQtBenchmarks<QApplication>(argc, argv);
}
