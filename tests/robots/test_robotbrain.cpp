// The computer players' word finding and judgement, without a connection.
#include "robots/chattergate.h"
#include "robots/robotbrain.h"
#include "robots/wordindex.h"
#include "words/letterwords.h"
#include "words/random.h"

#include <QtTest>

#include <algorithm>

namespace {

// Dictionary records as the program stores them, and their levels.
struct SmallDictionary
{
    QByteArray records;
    QByteArray levels;

    void add(const char *word, char level)
    {
        records += '\x1e' + QByteArray(word).toUpper().leftJustified(14, ' ');
        levels += level;
    }
};

SmallDictionary smallDictionary()
{
    SmallDictionary dictionary;
    dictionary.add("eel", '1');
    dictionary.add("lee", '3');
    dictionary.add("net", '2');
    dictionary.add("streamline", '1');
    dictionary.add("streamlines", '1');
    dictionary.add("ten", '1');
    dictionary.add("tent", '3');
    return dictionary;
}

QStringList sorted(const QList<QByteArrayView> &words)
{
    QStringList list;
    for (const QByteArrayView word : words)
        list << QString::fromLatin1(word);
    list.sort();
    return list;
}

letterwords::Rack rackOf(const QByteArray &word)
{
    letterwords::Rack rack{};
    letterwords::shuffleOntoRack(QString::fromLatin1(word), rack, {});
    return rack;
}

QByteArray spelled(const letterwords::Rack &rack, const QList<int> &tiles)
{
    QByteArray word;
    for (const int tile : tiles)
        word += tile >= 1 && tile <= 10 ? rack[tile] : '?';
    return word;
}

} // namespace

class TestRobotBrain : public QObject
{
    Q_OBJECT

private slots:
    void candidatesAreTheWordsTheLettersSpell_data();
    void candidatesAreTheWordsTheLettersSpell();
    void levelsOfAnotherDictionaryAreIgnored();
    void carriedIndexKnowsEveryRackWord();
    void movesSpellTheirWordFromFreeTilesInTime_data();
    void movesSpellTheirWordFromFreeTilesInTime();
    void strongerRobotsPlayLongerWords();
    void refusedWordIsNotTriedAgainOnTheRack();
    void chatterIsRareAndNeverOverPeople_data();
    void chatterIsRareAndNeverOverPeople();
};

void TestRobotBrain::candidatesAreTheWordsTheLettersSpell_data()
{
    QTest::addColumn<QByteArray>("letters");
    QTest::addColumn<int>("within");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("common only") << QByteArray("ten") << 1 << QStringList{"ten"};
    QTest::newRow("familiar adds its level") << QByteArray("ten") << 2 << QStringList{"net", "ten"};
    QTest::newRow("a letter only as often as given") << QByteArray("net") << 3 << QStringList{"net", "ten"};
    QTest::newRow("twice given, twice used") << QByteArray("tent") << 3 << QStringList{"net", "ten", "tent"};
    // Only ten letters count; "a" and "i" are common words of their own.
    QTest::newRow("a rack of ten") << QByteArray("streamlines") << 1
                                   << QStringList{"a", "eel", "i", "streamline", "ten"};
    QTest::newRow("whole dictionary") << QByteArray("streamline") << 3
                                      << QStringList{"a", "eel", "i", "lee", "net", "streamline", "ten"};
    QTest::newRow("not letters") << QByteArray("T3N+*") << 3 << QStringList{};
}

void TestRobotBrain::candidatesAreTheWordsTheLettersSpell()
{
    QFETCH(QByteArray, letters);
    QFETCH(int, within);
    QFETCH(QStringList, expected);
    const SmallDictionary dictionary = smallDictionary();
    const WordIndex index(dictionary.records, dictionary.levels);
    QCOMPARE(sorted(index.candidates(letters, Vocabulary(within))), expected);
    QCOMPARE(index.levelOf("streamlines"), 0);   // longer than any rack
}

void TestRobotBrain::levelsOfAnotherDictionaryAreIgnored()
{
    // Levels that do not match the records record by record would give
    // words the wrong vocabulary: every word is then the whole dictionary's.
    const SmallDictionary dictionary = smallDictionary();
    const WordIndex index(dictionary.records, dictionary.levels.chopped(1));
    QCOMPARE(sorted(index.candidates("tent", Vocabulary::Common)), QStringList());
    QCOMPARE(sorted(index.candidates("tent", Vocabulary::Whole)), (QStringList{"net", "ten", "tent"}));
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
        const letterwords::Rack rack = rackOf(letterwords::draw().toLatin1());
        brain.newRack(rack, 2);
        qint64 msLeft = 5000 + Random::random(60000);
        for (int ball = 1; ball <= 2; ++ball) {
            const std::optional<RobotBrain::Move> move = brain.think(msLeft);
            if (!move)
                break;
            ++played;
            QCOMPARE(spelled(brain.rack(), move->positions), move->word);
            const int level = index.levelOf(move->word);
            QVERIFY2(level >= 1 && level <= int(brain.vocabulary()), move->word.constData());
            QVERIFY(move->thinkMs >= RobotBrain::kMinThinkMs);
            // The first word leaves time for a second one.
            const bool secondFollows = ball == 1 && move->word.size() < 10;
            QVERIFY(move->thinkMs <= msLeft - (secondFollows ? RobotBrain::kMinThinkMs : 0));
            msLeft -= move->thinkMs;
            brain.accepted();
            for (const int tile : move->positions)
                QCOMPARE(brain.rack()[tile], '\0');
        }
        if (brain.wordsLeft() == 0)
            QVERIFY(!brain.think(60000));   // two words are all a rack takes
    }
    QVERIFY(played > 300);

    brain.newRack(rackOf("streamline"), 2);
    QVERIFY(!brain.think(RobotBrain::kMinThinkMs - 1));
}

void TestRobotBrain::strongerRobotsPlayLongerWords()
{
    const auto firstWords = [](Strength strength, int *longThinking, int *shortThinking) {
        RobotBrain brain(strength, WordIndex::shared(), 3);
        Random::setSeed(11);
        qint64 letters = 0;
        qint64 longMs = 0, shortMs = 0, longs = 0, shorts = 0;
        for (int frame = 0; frame < 200; ++frame) {
            brain.newRack(rackOf(letterwords::draw().toLatin1()), 1);
            if (const std::optional<RobotBrain::Move> move = brain.think(1'000'000)) {
                letters += move->word.size();
                (move->word.size() >= 6 ? longMs : shortMs) += move->thinkMs;
                (move->word.size() >= 6 ? longs : shorts) += 1;
            }
        }
        *longThinking = longs ? int(longMs / longs) : 0;
        *shortThinking = shorts ? int(shortMs / shorts) : 0;
        return letters;
    };
    int longMs = 0, shortMs = 0;
    const qint64 easy = firstWords(Strength::Easy, &longMs, &shortMs);
    const qint64 medium = firstWords(Strength::Medium, &longMs, &shortMs);
    QVERIFY2(longMs > shortMs, "a long word takes longer to find");
    const qint64 hard = firstWords(Strength::Hard, &longMs, &shortMs);
    QVERIFY(easy < medium);
    QVERIFY(medium < hard);
}

void TestRobotBrain::refusedWordIsNotTriedAgainOnTheRack()
{
    RobotBrain brain(Strength::Hard, WordIndex::shared(), 5);
    brain.newRack(rackOf("streamline"), 2);
    const std::optional<RobotBrain::Move> first = brain.think(60000);
    QVERIFY(first);
    brain.refused();
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::optional<RobotBrain::Move> next = brain.think(60000);
        QVERIFY(next);
        QVERIFY(next->word != first->word);
        QCOMPARE(brain.wordsLeft(), 2);   // nothing was used up
    }
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
