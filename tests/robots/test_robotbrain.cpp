// The computer players' word finding and judgement, without a connection.
#include "robots/chattergate.h"
#include "robots/robotbrain.h"
#include "robots/wordindex.h"
#include "words/letterwords.h"
#include "words/random.h"

#include <QtTest>

namespace {

letterwords::Rack shuffled(const QByteArray &word)
{
    letterwords::Rack rack{};
    letterwords::shuffleOntoRack(QString::fromLatin1(word), rack, {});
    return rack;
}

} // namespace

class TestRobotBrain : public QObject
{
    Q_OBJECT

private slots:
    void candidatesAreTheWordsTheLettersSpell_data();
    void candidatesAreTheWordsTheLettersSpell();
    void carriedIndexKnowsEveryRackWord();
    void movesSpellTheirWordFromFreeTilesInTime_data();
    void movesSpellTheirWordFromFreeTilesInTime();
    void strongerRobotsPlayLongerWordsAndLongWordsTakeLonger();
    void refusedWordIsNotTriedAgainOnTheRack();
    void chatterIsRareAndNeverOverPeople_data();
    void chatterIsRareAndNeverOverPeople();
};

void TestRobotBrain::candidatesAreTheWordsTheLettersSpell_data()
{
    QTest::addColumn<QByteArray>("letters");
    QTest::addColumn<int>("within");
    QTest::addColumn<bool>("levelsFit");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("common only") << QByteArray("ten") << 1 << true << QStringList{"ten"};
    QTest::newRow("familiar adds its level") << QByteArray("ten") << 2 << true << QStringList{"net", "ten"};
    QTest::newRow("a letter only as often as given") << QByteArray("net") << 3 << true << QStringList{"net", "ten"};
    QTest::newRow("twice given, twice used") << QByteArray("tent") << 3 << true
                                             << QStringList{"net", "ten", "tent"};
    // Only ten letters count; "a" and "i" are common words of their own.
    QTest::newRow("a rack of ten") << QByteArray("streamlines") << 1 << true
                                   << QStringList{"a", "eel", "i", "streamline", "ten"};
    QTest::newRow("not letters") << QByteArray("T3N+*") << 3 << true << QStringList{};
    // Levels of another dictionary would give words the wrong vocabulary.
    QTest::newRow("levels that do not fit") << QByteArray("tent") << 1 << false << QStringList{};
}

void TestRobotBrain::candidatesAreTheWordsTheLettersSpell()
{
    QFETCH(QByteArray, letters);
    QFETCH(int, within);
    QFETCH(bool, levelsFit);
    QFETCH(QStringList, expected);
    QByteArray records;
    QByteArray levels = levelsFit ? "" : "1";
    for (const auto &[word, level] : {std::pair{"eel", '1'}, {"lee", '3'}, {"net", '2'}, {"streamline", '1'},
                                      {"streamlines", '1'}, {"ten", '1'}, {"tent", '3'}}) {
        records += '\x1e' + QByteArray(word).toUpper().leftJustified(14, ' ');
        levels += level;
    }
    const WordIndex index(records, levels);
    QStringList found;
    for (const QByteArrayView word : index.candidates(letters, Vocabulary(within)))
        found << QString::fromLatin1(word);
    found.sort();
    QCOMPARE(found, expected);
    QCOMPARE(index.levelOf("streamlines"), 0);   // longer than any rack
}

void TestRobotBrain::carriedIndexKnowsEveryRackWord()
{
    // Every rack can be struck from the whole dictionary, and the levels
    // line up with the carried records.
    const WordIndex &index = WordIndex::shared();
    for (int id = 0; id < letterwords::count(); ++id)
        QVERIFY2(index.levelOf(letterwords::GetString(id).toLatin1()) > 0, qPrintable(letterwords::GetString(id)));
    QCOMPARE(index.levelOf("the"), int(Vocabulary::Common));
    QCOMPARE(index.levelOf("aahing"), int(Vocabulary::Whole));
}

void TestRobotBrain::movesSpellTheirWordFromFreeTilesInTime_data()
{
    QTest::addColumn<Strength>("strength");
    QTest::newRow("easy") << Strength::Easy;
    QTest::newRow("medium") << Strength::Medium;
    QTest::newRow("hard") << Strength::Hard;
}

void TestRobotBrain::movesSpellTheirWordFromFreeTilesInTime()
{
    QFETCH(Strength, strength);
    const WordIndex &index = WordIndex::shared();
    RobotBrain brain(strength, index, 1);
    Random::setSeed(7);
    int played = 0;
    for (int frame = 0; frame < 300; ++frame) {
        brain.newRack(shuffled(letterwords::draw().toLatin1()), 2);
        qint64 msLeft = 5000 + Random::random(60000);
        while (const std::optional<RobotBrain::Move> move = brain.think(msLeft)) {
            ++played;
            QByteArray spelled;
            for (const int tile : move->positions)
                spelled += brain.rack()[tile];
            QCOMPARE(spelled, move->word);
            const int level = index.levelOf(move->word);
            QVERIFY2(level >= 1 && level <= int(brain.vocabulary()), move->word.constData());
            // A first word leaves time for a second one.
            const bool secondFollows = brain.wordsLeft() == 2 && move->word.size() < 10;
            QVERIFY(move->thinkMs >= RobotBrain::kMinThinkMs);
            QVERIFY(move->thinkMs <= msLeft - (secondFollows ? RobotBrain::kMinThinkMs : 0));
            msLeft -= move->thinkMs;
            brain.accepted();
            QVERIFY(brain.wordsLeft() >= 0);   // two words are all a rack takes
        }
    }
    QVERIFY(played > 300);
    QVERIFY(!brain.think(RobotBrain::kMinThinkMs - 1));
}

void TestRobotBrain::strongerRobotsPlayLongerWordsAndLongWordsTakeLonger()
{
    QList<double> meanLength;
    for (const Strength strength : {Strength::Easy, Strength::Medium, Strength::Hard}) {
        RobotBrain brain(strength, WordIndex::shared(), 3);
        Random::setSeed(11);
        double letters = 0;
        double msPerWord[2] = {0, 0};   // up to five letters, longer
        int words[2] = {0, 0};
        for (int frame = 0; frame < 200; ++frame) {
            brain.newRack(shuffled(letterwords::draw().toLatin1()), 1);
            if (const std::optional<RobotBrain::Move> move = brain.think(1'000'000)) {
                letters += double(move->word.size());
                msPerWord[move->word.size() > 5] += move->thinkMs;
                ++words[move->word.size() > 5];
            }
        }
        meanLength << letters / 200;
        if (strength == Strength::Medium)
            QVERIFY(msPerWord[1] / words[1] > msPerWord[0] / words[0]);
    }
    QVERIFY(meanLength[0] < meanLength[1]);
    QVERIFY(meanLength[1] < meanLength[2]);
}

void TestRobotBrain::refusedWordIsNotTriedAgainOnTheRack()
{
    RobotBrain brain(Strength::Hard, WordIndex::shared(), 5);
    brain.newRack(shuffled("streamline"), 2);
    const QByteArray first = brain.think(60000)->word;
    brain.refused();
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::optional<RobotBrain::Move> next = brain.think(60000);
        QVERIFY(next && next->word != first);
    }
    QCOMPARE(brain.wordsLeft(), 2);   // nothing was used up
}

void TestRobotBrain::chatterIsRareAndNeverOverPeople_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<qint64>("othersSpokeAgo");   // -1: nobody spoke
    QTest::addColumn<int>("spokeInFrame");        // 0: not yet
    QTest::addColumn<bool>("newGame");
    QTest::addColumn<bool>("mayChatter");

    const qint64 quiet = ChatterGate::kQuietAfterOthersMs;
    QTest::newRow("quiet table") << true << qint64(-1) << 0 << false << true;
    QTest::newRow("during a typing burst") << true << quiet - 1 << 0 << false << false;
    QTest::newRow("after the burst") << true << quiet << 0 << false << true;
    QTest::newRow("once per frame") << true << qint64(-1) << 4 << false << false;
    QTest::newRow("again next frame") << true << qint64(-1) << 3 << false << true;
    QTest::newRow("a new game's frame 4") << true << qint64(-1) << 4 << true << true;
    QTest::newRow("switched off") << false << qint64(-1) << 0 << false << false;
}

void TestRobotBrain::chatterIsRareAndNeverOverPeople()
{
    QFETCH(bool, enabled);
    QFETCH(qint64, othersSpokeAgo);
    QFETCH(int, spokeInFrame);
    QFETCH(bool, newGame);
    QFETCH(bool, mayChatter);
    const qint64 now = 100000;
    ChatterGate gate;
    gate.setEnabled(enabled);
    if (othersSpokeAgo >= 0)
        gate.otherPlayerSpoke(now - othersSpokeAgo);
    if (spokeInFrame)
        gate.chattered(spokeInFrame);
    if (newGame)
        gate.newGame();
    QCOMPARE(gate.mayChatter(4, now), mayChatter);
}

QTEST_GUILESS_MAIN(TestRobotBrain)
#include "test_robotbrain.moc"
