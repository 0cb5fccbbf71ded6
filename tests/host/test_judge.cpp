// The judge of submitted words: rack checks, the dictionary, and the way a
// seat moves through a frame (bonus racks in the tenth).
#include "host/wordjudge.h"
#include "tablehelpers.h"

#include <QtTest>

using Outcome = WordJudge::Outcome;

class TestJudge : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void oneLetterWordsAIAreValidWithoutLookup_data();
    void oneLetterWordsAIAreValidWithoutLookup();
    void refusedWordLeavesRackAndFrameExactlyAsBefore_data();
    void refusedWordLeavesRackAndFrameExactlyAsBefore();
    void wordOfFinishedOrAbsentSeatIsIgnored_data();
    void wordOfFinishedOrAbsentSeatIsIgnored();
    void seatMovesThroughFrame_data();
    void seatMovesThroughFrame();
    void frameIsOverWhenEveryConnectedSeatFinished_data();
    void frameIsOverWhenEveryConnectedSeatFinished();

private:
    HostTable m_table;
    QSet<QString> m_dictionary;
    int m_lookups = 0;
    bool m_acceptAll = true;
    std::unique_ptr<WordJudge> m_judge;
};

void TestJudge::init()
{
    m_table = HostTable();
    m_dictionary.clear();
    m_lookups = 0;
    m_acceptAll = true;
    m_judge = std::make_unique<WordJudge>(m_table, [this](QStringView word) {
        ++m_lookups;
        return m_acceptAll || m_dictionary.contains(word.toString());
    });
}

void TestJudge::oneLetterWordsAIAreValidWithoutLookup_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("lookups");
    // rack: a i o k s t r e b c
    QTest::newRow("a") << 1 << true << 0;
    QTest::newRow("i") << 2 << true << 0;
    QTest::newRow("o is looked up and not found") << 3 << false << 1;
}

void TestJudge::oneLetterWordsAIAreValidWithoutLookup()
{
    QFETCH(int, position);
    QFETCH(bool, accepted);
    QFETCH(int, lookups);
    m_acceptAll = false;
    dealFrame(m_table, 1, "aioksstreb");
    const int word[] = {position};
    QCOMPARE(m_judge->judge(1, word).outcome, accepted ? Outcome::Accepted : Outcome::Refused);
    QCOMPARE(m_lookups, lookups);
}

void TestJudge::refusedWordLeavesRackAndFrameExactlyAsBefore_data()
{
    QTest::addColumn<QList<int>>("earlier");   // an accepted word first
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<bool>("inDictionary");

    QTest::newRow("reuses a tile of the first word") << QList<int>{1, 2, 3} << QList<int>{4, 3, 5} << true;
    QTest::newRow("same position twice") << QList<int>{} << QList<int>{4, 5, 4} << true;
    QTest::newRow("position 0") << QList<int>{} << QList<int>{1, 0} << true;
    QTest::newRow("position 11") << QList<int>{1, 2} << QList<int>{3, 11} << true;
    QTest::newRow("negative position") << QList<int>{} << QList<int>{2, -3} << true;
    QTest::newRow("huge position") << QList<int>{} << QList<int>{5, 2147483647} << true;
    QTest::newRow("no positions") << QList<int>{} << QList<int>{} << true;
    QTest::newRow("not a word") << QList<int>{9} << QList<int>{1, 2, 3, 4, 5} << false;
}

void TestJudge::refusedWordLeavesRackAndFrameExactlyAsBefore()
{
    QFETCH(QList<int>, earlier);
    QFETCH(QList<int>, positions);
    QFETCH(bool, inDictionary);
    dealFrame(m_table, 3);
    if (!earlier.isEmpty())
        QCOMPARE(m_judge->judge(1, earlier).outcome, Outcome::Accepted);
    m_acceptAll = inDictionary;
    const TPlayerSlot before = m_table.players[1];

    QCOMPARE(m_judge->judge(1, positions).outcome, Outcome::Refused);
    const TPlayerSlot &after = m_table.players[1];
    QCOMPARE(after.tiles, before.tiles);
    QCOMPARE(after.balls, before.balls);
    QCOMPARE(after.letterset, before.letterset);
    QCOMPARE(after.words, before.words);
    QCOMPARE(after.frames[3].first, before.frames[3].first);
    QCOMPARE(after.frames[3].second, before.frames[3].second);
    // and the seat may try again
    QVERIFY(m_judge->canPlay(1));
}

void TestJudge::wordOfFinishedOrAbsentSeatIsIgnored_data()
{
    QTest::addColumn<int>("seat");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("balls");
    QTest::addColumn<int>("letterset");

    QTest::newRow("seat 0") << 0 << 1 << 0 << 1;
    QTest::newRow("spectator slot 5") << 5 << 1 << 0 << 1;
    QTest::newRow("finished seat") << 1 << 2 << 4 << 0;
    QTest::newRow("seat not in play this frame") << 1 << 2 << 4 << 1;
    QTest::newRow("no rack") << 1 << 2 << 1 << 0;
    QTest::newRow("before the first deal") << 1 << 0 << 0 << 1;
    QTest::newRow("after the last frame") << 1 << 11 << 1 << 1;
}

void TestJudge::wordOfFinishedOrAbsentSeatIsIgnored()
{
    QFETCH(int, seat);
    QFETCH(int, frame);
    QFETCH(int, balls);
    QFETCH(int, letterset);
    dealFrame(m_table, 1);
    m_table.currentframe = frame;
    m_table.players[1].balls = balls;
    m_table.players[1].letterset = letterset;
    const HostTable before = m_table;

    const int word[] = {1, 2, 3};
    QCOMPARE(m_judge->judge(seat, word).outcome, Outcome::Ignored);
    QCOMPARE(m_table.players[1].tiles, before.players[1].tiles);
    QCOMPARE(m_table.players[1].balls, balls);
    QCOMPARE(m_lookups, 0);
}

void TestJudge::seatMovesThroughFrame_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<QList<int>>("lengths");     // accepted words, in order
    QTest::addColumn<QList<int>>("racksSent");   // fresh rack after each word, 0 for none
    QTest::addColumn<int>("balls");
    QTest::addColumn<int>("letterset");
    QTest::addColumn<QList<int>>("counts");      // first, second, third
    QTest::addColumn<int>("lastRack");           // the rack the last word came from

    QTest::newRow("strike ends the frame") << 4 << QList<int>{10} << QList<int>{0} << 4 << 0 << QList<int>{10, -1, -1} << 1;
    QTest::newRow("one word, a second may follow") << 4 << QList<int>{6} << QList<int>{0} << 1 << 1
                                                   << QList<int>{6, -1, -1} << 1;
    QTest::newRow("two words end the frame") << 4 << QList<int>{3, 4} << QList<int>{0, 0} << 4 << 0
                                             << QList<int>{3, 4, -1} << 1;
    QTest::newRow("spare ends the frame") << 9 << QList<int>{6, 4} << QList<int>{0, 0} << 4 << 0
                                          << QList<int>{6, 4, -1} << 1;
    QTest::newRow("tenth: strike, strike, strike") << 10 << QList<int>{10, 10, 10} << QList<int>{2, 3, 0} << 4 << 0
                                                   << QList<int>{10, 10, 10} << 3;
    QTest::newRow("tenth: strike, 6, 4 from rack 2") << 10 << QList<int>{10, 6, 4} << QList<int>{2, 0, 0} << 4 << 0
                                                     << QList<int>{10, 6, 4} << 2;
    QTest::newRow("tenth: strike, 6 waits for a third word")
        << 10 << QList<int>{10, 6} << QList<int>{2, 0} << 2 << 2 << QList<int>{10, 6, -1} << 2;
    QTest::newRow("tenth: spare 6 + 4, then rack 3") << 10 << QList<int>{6, 4, 7} << QList<int>{0, 3, 0} << 4 << 0
                                                     << QList<int>{6, 4, 7} << 3;
    QTest::newRow("tenth: open frame ends after two") << 10 << QList<int>{3, 4} << QList<int>{0, 0} << 4 << 0
                                                      << QList<int>{3, 4, -1} << 1;
}

void TestJudge::seatMovesThroughFrame()
{
    QFETCH(int, frame);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, racksSent);
    QFETCH(int, balls);
    QFETCH(int, letterset);
    QFETCH(QList<int>, counts);
    QFETCH(int, lastRack);
    dealFrame(m_table, frame);
    m_table.frameword = "backstroke";
    m_table.bonusword2 = "streamline";
    m_table.bonusword3 = "playground";
    const TPlayerSlot &seat = m_table.players[1];

    for (qsizetype w = 0; w < lengths.size(); ++w) {
        const WordJudge::Verdict verdict = m_judge->judge(1, unusedTiles(seat, lengths[w]));
        QCOMPARE(verdict.outcome, Outcome::Accepted);
        QCOMPARE(verdict.balls, int(w) + 1);
        QCOMPARE(verdict.letters, lengths[w]);
        QCOMPARE(verdict.sendRack, racksSent[w]);
    }
    QCOMPARE(seat.balls, balls);
    QCOMPARE(seat.letterset, letterset);
    QCOMPARE((QList<int>{seat.frames[frame].first, seat.frames[frame].second, seat.frames[frame].third}), counts);
    const QByteArray rackWords[] = {"", "backstroke", "streamline", "playground"};
    QCOMPARE(seat.letterword, rackWords[lastRack]);
}

void TestJudge::frameIsOverWhenEveryConnectedSeatFinished_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("thirdOfAbsentSeat");
    QTest::newRow("frame 4") << 4 << -1;
    QTest::newRow("frame 10") << 10 << 0;
}

void TestJudge::frameIsOverWhenEveryConnectedSeatFinished()
{
    QFETCH(int, frame);
    QFETCH(int, thirdOfAbsentSeat);
    dealFrame(m_table, frame, "backstroke", {1, 2});
    m_table.players[3].connected = true;   // connected but watching: not in play
    m_table.players[3].balls = 4;

    QVERIFY(!m_judge->judge(1, unusedTiles(m_table.players[1], 3)).frameOver);
    QVERIFY(!m_judge->judge(2, unusedTiles(m_table.players[2], 4)).frameOver);
    QVERIFY(!m_judge->judge(2, unusedTiles(m_table.players[2], 5)).frameOver); // seat 1 still plays
    const WordJudge::Verdict last = m_judge->judge(1, unusedTiles(m_table.players[1], 5));
    QCOMPARE(last.balls, 2);
    QVERIFY(last.frameOver);

    // seats that played nothing get zeros, so they score like everyone else
    for (const int absent : {3, 4}) {
        const TFrameScore &score = m_table.players[absent].frames[frame];
        QCOMPARE(score.first, 0);
        QCOMPARE(score.second, 0);
        QCOMPARE(score.third, thirdOfAbsentSeat);
    }
    QCOMPARE(m_table.players[1].frames[frame].second, 5);
}

QTEST_GUILESS_MAIN(TestJudge)
#include "test_judge.moc"
