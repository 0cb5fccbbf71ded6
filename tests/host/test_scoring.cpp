// Bowling arithmetic: running scores with strike and spare bonuses, totals,
// the score fields, and the winner.
#include "host/bowlingscorer.h"
#include "host/wordjudge.h"
#include "tablehelpers.h"

#include <QtTest>

using Frames = QList<QList<int>>;   // per frame: first, second, third (missing = -1)

namespace {

FrameRecords framesOf(const Frames &played)
{
    FrameRecords frames{};
    for (qsizetype i = 0; i < played.size(); ++i) {
        const QList<int> &counts = played[i];
        TFrameScore &f = frames[i + 1];
        f.first = counts.value(0, -1);
        f.second = counts.value(1, -1);
        f.third = counts.value(2, -1);
    }
    return frames;
}

// The seats' score fields as a posting of scores carries them.
QByteArray posted(const QList<msg::SeatScore> &seats)
{
    const QByteArray message = msg::encode(msg::PostScores{1, "a", "a", {}, {}, seats});
    return message.mid(QByteArrayView("CMD_postscores+1+a+a").size()).chopped(1);
}

QByteArray posted(const msg::SeatScore &seat)
{
    return posted(QList<msg::SeatScore>{seat});
}

Frames repeat(const QList<int> &frame, int times)
{
    return Frames(times, frame);
}

} // namespace

class TestScoring : public QObject
{
    Q_OBJECT

private slots:
    void runningScoresAndTotal_data();
    void runningScoresAndTotal();
    void scoreFieldsOfAPlayedSeat();
    void unoccupiedSeatScoresZero();
    void timeUpFillsUnplayedWords_data();
    void timeUpFillsUnplayedWords();
    void perfectGameThroughTheJudge();
    void winners_data();
    void winners();
};

void TestScoring::runningScoresAndTotal_data()
{
    QTest::addColumn<Frames>("played");
    QTest::addColumn<QList<int>>("running");
    QTest::addColumn<int>("total");

    QTest::newRow("strike waits") << Frames{{10}} << QList<int>{-1} << 0;
    QTest::newRow("strike, spare") << Frames{{10}, {5, 5}} << QList<int>{20, -1} << 30;
    QTest::newRow("strike, spare, open") << Frames{{10}, {5, 5}, {3, 4}} << QList<int>{20, 33, 40} << 40;
    QTest::newRow("two strikes: second counted raw") << Frames{{10}, {10}} << QList<int>{-1, -1} << 10;
    QTest::newRow("three strikes") << Frames{{10}, {10}, {10}} << QList<int>{30, -1, -1} << 50;
    QTest::newRow("strike, then stream + lie") << Frames{{10}, {6, 3}} << QList<int>{19, 28} << 28;
    QTest::newRow("lone spare leaves frame 1 out") << Frames{{5, 5}} << QList<int>{-1} << 0;
    QTest::newRow("nothing played") << Frames{{0, 0}} << QList<int>{0} << 0;
    QTest::newRow("strike after a gap of zeros") << Frames{{3, 4}, {0, 0}, {10}} << QList<int>{7, 7, -1} << 17;

    QList<int> perfect;
    for (int i = 1; i <= 10; ++i)
        perfect << 30 * i;
    QTest::newRow("perfect game") << repeat({10}, 9) + Frames{{10, 10, 10}} << perfect << 300;

    const auto opens = [](int last) {
        QList<int> running;
        for (int i = 1; i <= 9; ++i)
            running << 7 * i;
        return running << 63 + last;
    };
    QTest::newRow("tenth: strike, 6, 4") << repeat({3, 4}, 9) + Frames{{10, 6, 4}} << opens(20) << 83;
    QTest::newRow("tenth: strike, strike, strike") << repeat({3, 4}, 9) + Frames{{10, 10, 10}} << opens(30) << 93;
    QTest::newRow("tenth: spare 6 + 4, bonus 7") << repeat({3, 4}, 9) + Frames{{6, 4, 7}} << opens(17) << 80;
    QTest::newRow("ninth spare takes the tenth's first word")
        << repeat({3, 4}, 8) + Frames{{5, 5}, {7, 1}} << (QList<int>{7, 14, 21, 28, 35, 42, 49, 56, 73, 81}) << 81;
    QTest::newRow("ninth strike takes the tenth's first two words")
        << repeat({3, 4}, 8) + Frames{{10}, {10, 6, 4}} << (QList<int>{7, 14, 21, 28, 35, 42, 49, 56, 82, 102}) << 102;
}

void TestScoring::runningScoresAndTotal()
{
    QFETCH(Frames, played);
    QFETCH(QList<int>, running);
    QFETCH(int, total);
    FrameRecords frames = framesOf(played);
    const int frame = int(played.size());
    BowlingScorer::computeRunning(frames, frame);
    QList<int> computed;
    for (int i = 1; i <= frame; ++i)
        computed << frames[i].running;
    QCOMPARE(computed, running);
    QCOMPARE(BowlingScorer::totalOf(frames, frame), total);
}

void TestScoring::scoreFieldsOfAPlayedSeat()
{
    HostTable table;
    dealFrame(table, 2, "streamline");
    TPlayerSlot &seat = table.players[1];
    seat.frames = framesOf({{10}, {6, 3}});
    seat.words = {"", "stream", "lie", ""};
    BowlingScorer scorer(table);
    QCOMPARE(posted(scorer.scoreSeat(1)), QByteArray("+1*28*6*3*-1*stream*lie*"
                                                     "+1#1#19#2#28#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"));
    QCOMPARE(seat.total, 28);
}

void TestScoring::unoccupiedSeatScoresZero()
{
    HostTable table;
    dealFrame(table, 1, "backstroke", {1});
    BowlingScorer scorer(table);
    scorer.timeUp();
    const QByteArray all = posted(scorer.scoreAll());
    QVERIFY(all.contains("+2*0*0*0*0***+2#1#0#2#-1#3#-1"));
    QVERIFY(all.endsWith("+4*0*0*0*0***+4#1#0#2#-1#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"));
    // a connected seat that played nothing keeps its unplayed third word unknown
    QVERIFY(all.startsWith("+1*0*0*0*-1***+1#1#0#"));
    for (int seat = 1; seat <= 4; ++seat)
        QCOMPARE(table.players[seat].total, 0);
}

void TestScoring::timeUpFillsUnplayedWords_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QList<int>>("after");
    QTest::newRow("nothing played") << 5 << QList<int>{-1, -1, -1} << QList<int>{0, 0, -1};
    QTest::newRow("one word") << 5 << QList<int>{6, -1, -1} << QList<int>{6, 0, -1};
    QTest::newRow("strike keeps its second unplayed") << 5 << QList<int>{10, -1, -1} << QList<int>{10, -1, -1};
    QTest::newRow("tenth, nothing played") << 10 << QList<int>{-1, -1, -1} << QList<int>{0, 0, 0};
    QTest::newRow("tenth, strike then time") << 10 << QList<int>{10, -1, -1} << QList<int>{10, 0, 0};
}

void TestScoring::timeUpFillsUnplayedWords()
{
    QFETCH(int, frame);
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    TFrameScore score{before[0], before[1], before[2], -1};
    BowlingScorer::fillTimeUp(score, frame);
    QCOMPARE((QList<int>{score.first, score.second, score.third}), after);
}

// The whole game through the judge, scored after every frame as the host does.
void TestScoring::perfectGameThroughTheJudge()
{
    HostTable table;
    WordJudge judge(table, [](QStringView) { return true; });
    BowlingScorer scorer(table);
    TPlayerSlot &seat = table.players[1];
    QList<int> totals;
    for (int frame = 1; frame <= 10; ++frame) {
        dealFrame(table, frame);
        WordJudge::Verdict verdict;
        for (int word = 1; word <= (frame == 10 ? 3 : 1); ++word) {
            verdict = judge.judge(1, unusedTiles(seat, 10));
            QCOMPARE(verdict.outcome, WordJudge::Outcome::Accepted);
            QCOMPARE(verdict.sendRack, frame == 10 && word < 3 ? word + 1 : 0);
        }
        QVERIFY(verdict.frameOver);
        scorer.scoreAll();
        totals << seat.total;
    }
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(seat.frames[i].running, 30 * i);
    QCOMPARE(totals, (QList<int>{0, 10, 50, 80, 110, 140, 170, 200, 230, 300}));
}

void TestScoring::winners_data()
{
    QTest::addColumn<bool>("team");
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<QList<int>>("winners");

    QTest::newRow("one best seat") << false << QList<int>{80, 40, 120, 7} << QList<int>{3};
    QTest::newRow("tie names both, lowest first") << false << QList<int>{120, 150, 150, 0} << QList<int>{2, 3};
    QTest::newRow("tie with seat 1") << false << QList<int>{90, 10, 90, 90} << QList<int>{1, 3, 4};
    QTest::newRow("nobody played") << false << QList<int>{0, 0, 0, 0} << QList<int>{1, 2, 3, 4};
    QTest::newRow("team 2 + 4 ahead") << true << QList<int>{100, 90, 50, 70} << QList<int>{2, 4};
    QTest::newRow("team 1 + 3 ahead") << true << QList<int>{100, 90, 70, 50} << QList<int>{1, 3};
    QTest::newRow("teams level") << true << QList<int>{100, 90, 60, 70} << QList<int>{1, 3, 2, 4};
}

void TestScoring::winners()
{
    QFETCH(bool, team);
    QFETCH(QList<int>, totals);
    QFETCH(QList<int>, winners);
    HostTable table;
    table.teamgame = team;
    for (int seat = 1; seat <= 4; ++seat)
        table.players[seat].total = totals[seat - 1];
    QCOMPARE(BowlingScorer(table).winners(), winners);
}

QTEST_GUILESS_MAIN(TestScoring)
#include "test_scoring.moc"
