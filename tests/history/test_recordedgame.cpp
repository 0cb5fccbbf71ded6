// A whole game through the real parts: a host with the program's
// dictionary, two computer players, and a player's copy that records. What
// the history keeps must be what the host scored and what each seat played.
#include "../host/fakewords.h"
#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/gameflow.h"
#include "client/roster.h"
#include "client/turnclock.h"
#include "history/gamerecorder.h"
#include "history/historydatabase.h"
#include "history/historyqueries.h"
#include "host/serverform.h"
#include "net/tsock.h"
#include "robots/robot.h"
#include "words/random.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace history;

namespace {

// The recording copy in seat 1, as the main window holds it, playing by a
// plan: in frame 1 the rack's word backwards (refused) and then the word;
// in every other odd frame the word; in even frames nothing.
struct Player
{
    GameClient client;
    Roster roster{client};
    RackModel rack;
    ScoreCardModel score;
    TurnClock clock;
    GameFlow flow{client, roster, rack, score, clock};
    QList<QList<int>> plan;
    bool awaiting = false;   // a word sent, its verdict not in
    int frame = 0;
    int turnFrame = 0;   // the frame of the last turn heard of
    std::map<int, QList<WordRecord>> played;

    Player()
    {
        const GameEvents *events = client.events();
        QObject::connect(events, &GameEvents::rackDealt, [this](const msg::TheLetters &deal) {
            if (deal.seat != 0)
                return;   // a bonus rack: its word is not known here
            ++frame;
            QList<int> forward;
            for (const msg::TheLetters::Tile &tile : deal.tiles)
                forward << tile.position;
            plan.clear();
            if (frame == 1)
                plan << QList<int>(forward.crbegin(), forward.crend());
            if (frame % 2 == 1)
                plan << forward;
        });
        QObject::connect(events, &GameEvents::turnBegan,
                         [this](const msg::NextPlayer &turn) { turnFrame = turn.frame; });
        const auto verdict = [this](int seat, bool accepted) {
            if (seat != client.myseat() || !awaiting)
                return;
            awaiting = false;
            played[frame].last().accepted = accepted;
        };
        QObject::connect(events, &GameEvents::wordAccepted,
                         [verdict](const msg::GoodWord &word) { verdict(word.seat, true); });
        QObject::connect(events, &GameEvents::wordRefused, [verdict](int seat) { verdict(seat, false); });
    }

    // Plays the plan's next word when it is the own turn; false once the
    // frame's plan is played and judged.
    bool act()
    {
        if (awaiting || plan.isEmpty() || !rack.isMyTurn())
            return awaiting || !plan.isEmpty();
        rack.returnWord();
        QString word;
        for (const int tile : plan.takeFirst()) {
            word += rack.tile(tile).hint;
            rack.selectTile(tile);
        }
        played[frame].append(WordRecord{client.myseat(), word, false});
        awaiting = rack.submitWord();
        return true;
    }
};

} // namespace

class TestRecordedGame : public QObject
{
    Q_OBJECT

private slots:
    void recordedGameIsWhatTheHostScored();
};

void TestRecordedGame::recordedGameIsWhatTheHostScored()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Random::setSeed(2024);
    FakePause pause;
    TServer server;
    server.useManualClock();
    server.setPauseSetting(&pause);
    server.Sock1->setPortName(QStringLiteral("0"));
    server.Sock1->setListen(true);

    HistoryDatabase database(dir.filePath(QStringLiteral("history.sqlite")));
    Player ann;
    GameRecorder recorder(&database);
    recorder.follow(ann.client, ann.roster, ann.flow);
    QSignalSpy winners(ann.client.events(), &GameEvents::gameWon);
    QSignalSpy introductions(ann.client.events(), &GameEvents::chatLine);
    ann.client.setMyname(QStringLiteral("Ann"));
    ann.client.setHostaddress(QStringLiteral("127.0.0.1"));
    ann.client.setPort(server.Sock1->localPort());
    QSignalSpy loggedIn(&ann.client, &GameClient::loggedIn);
    ann.client.joinpress();
    QVERIFY(loggedIn.wait(5000));
    QCOMPARE(ann.client.myseat(), 1);

    // Seats 2 and 3; each says what it is as it sits down.
    std::map<int, std::map<int, QStringList>> robotWords;   // seat, frame, words
    std::vector<std::unique_ptr<Robot>> robots;
    const std::map<int, Strength> strengths{{2, Strength::Medium}, {3, Strength::Hard}};
    for (const auto &[seat, strength] : strengths) {
        robots.push_back(std::make_unique<Robot>(strength, defaultRobotName(strength)));
        Robot *robot = robots.back().get();
        robot->setInstant(true);
        robot->setIntroduction(true);
        robot->setSeed(quint32(seat));
        connect(robot, &Robot::wordPlayed, robot, [&robotWords, seat](int frame, const QByteArray &word) {
            robotWords[seat][frame] << QString::fromLatin1(word);
        });
        QSignalSpy seated(robot, &Robot::loggedIn);
        robot->connectTo(QStringLiteral("127.0.0.1"), server.Sock1->localPort());
        QVERIFY(seated.wait(5000));
        QCOMPARE(robot->slot(), seat);
    }
    // The introductions reach the recording copy before the game starts.
    QTRY_COMPARE(introductions.size(), 2);

    ann.flow.startGame(60, false);
    // The host's clock runs out a frame once everybody has heard of it and
    // nobody has anything left to play.
    int quiet = 0;
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (!winners.isEmpty())
                return true;
            const bool busy = ann.act() || ann.turnFrame != server.currentframe || std::any_of(robots.begin(), robots.end(),
                                                       [](const auto &robot) { return robot->isBusy(); });
            quiet = busy ? 0 : quiet + 1;
            if (server.timer1.isActive() && (server.timer1Mode == TServer::TimerMode::Pause || quiet >= 3)) {
                quiet = 0;
                for (int tick = server.countdown; tick > 0 && server.timer1.isActive(); --tick)
                    server.timer1Timer();
            }
            return false;
        },
        60000));

    bool written = false;
    database.whenWritten(this, [&written] { written = true; });
    QTRY_VERIFY(written);
    HistoryStore store(database.path());
    QCOMPARE(store.open(), QString());
    const QList<GameRecord> games = gamePage(store.database(), QString(), 0, 10);
    QCOMPARE(games.size(), 1);
    const GameRecord game = *gameDetail(store.database(), games.first().id);

    QVERIFY(game.finished);
    QCOMPARE(game.ownSlot, 1);
    QCOMPARE(game.winners(), winners.first().first().value<QList<int>>());
    QCOMPARE(game.seats.size(), 3);
    QVERIFY(!game.seats[0].computer);
    QCOMPARE(game.seats[1].computer, std::optional(strengths.at(2)));
    QCOMPARE(game.seats[2].computer, std::optional(strengths.at(3)));
    QCOMPARE(game.frames.size(), kFrames);
    for (const SeatRecord &seat : game.seats) {
        QCOMPARE(seat.name, QString::fromLatin1(server.players[seat.seat].name));
        QCOMPARE(seat.total, server.players[seat.seat].total);
    }
    for (const FrameRecord &frame : game.frames) {
        const QString where = QStringLiteral("frame %1").arg(frame.frame);
        QCOMPARE(int(frame.word.size()), kRackLetters);
        QCOMPARE(frame.seats.size(), 3);
        for (const SeatFrame &s : frame.seats) {
            const TFrameScore &host = server.players[s.seat].frames[frame.frame];
            QVERIFY2(s.played, qPrintable(where));
            QCOMPARE(s.lengths, (std::array{host.first, host.second, host.third}));
            QCOMPARE(s.running, host.running);
        }
        QList<WordRecord> expected = ann.played[frame.frame];
        for (const int seat : {2, 3}) {
            for (const QString &word : robotWords[seat][frame.frame])
                expected << WordRecord{seat, word, true};
        }
        QCOMPARE(frame.words, expected);
    }
    // The refused word and the strike after it.
    QVERIFY(game.frames[0].words.size() >= 2);
    QCOMPARE(game.frames[0].words.first().accepted, false);
    QCOMPARE(game.frames[0].words[1].word, game.frames[0].word);
}

QTEST_MAIN(TestRecordedGame)
#include "test_recordedgame.moc"
