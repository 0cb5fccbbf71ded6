// The program's generator, the draw of a rack word and its shuffle onto a rack.
#include "words/letterwords.h"
#include "words/random.h"

#include <QtTest>

class TestLetterWords : public QObject
{
    Q_OBJECT

private slots:
    void generatorFollowsItsSequence_data();
    void generatorFollowsItsSequence();
    void drawSkipsEmptyIdentifiersAndStopsAtAWord();
    void shuffleDealsTheKnownOrder_data();
    void shuffleDealsTheKnownOrder();
    void shuffleFillsEveryPositionOnceInEveryCopy();
};

void TestLetterWords::generatorFollowsItsSequence_data()
{
    // Worked out separately: seed' = seed * 134775813 + 1 mod 2^32 and
    // random(n) = (seed' * n) >> 32, calls with n = 10, 13086, 1000000, 2^31-1.
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<quint32>>("seeds");
    QTest::newRow("zero") << 0u << QList<int>{0, 410, 861048, 435039309}
                          << QList<quint32>{1u, 134775814u, 3698175007u, 870078620u};
    QTest::newRow("12345") << 12345u << QList<int>{3, 3786, 79735, 1188868577}
                           << QList<quint32>{1655067934u, 1242767767u, 342459380u, 2377737157u};
    QTest::newRow("all ones") << 0xFFFFFFFFu << QList<int>{9, 2639, 519515, 283984661}
                              << QList<quint32>{4160191484u, 866343917u, 2231304098u, 567969323u};
    QTest::newRow("last millisecond of a day") << 86399999u << QList<int>{7, 13022, 338041, 497062165}
                                               << QList<quint32>{3106359292u, 4274149357u, 1451879330u, 994124331u};
}

void TestLetterWords::generatorFollowsItsSequence()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, values);
    QFETCH(QList<quint32>, seeds);
    const int ranges[] = {10, 13086, 1000000, 2147483647};
    Random::setSeed(seed);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(Random::random(ranges[i]), values[i]);
        QCOMPARE(Random::seed(), seeds[i]);
    }
}

void TestLetterWords::drawSkipsEmptyIdentifiersAndStopsAtAWord()
{
    // Find a seed whose first identifier is one of the empty ones: the draw
    // must go on to the next identifier, and no further.
    QVERIFY(letterwords::count() > 0);
    const int range = letterwords::count() + letterwords::kEmptyIdentifiers;
    quint32 seed = 0;
    for (;; ++seed) {
        Random::setSeed(seed);
        if (Random::random(range) >= letterwords::count() && Random::random(range) < letterwords::count())
            break;
    }
    Random::setSeed(seed);
    Random::random(range);
    const QString expected = letterwords::GetString(Random::random(range));
    const quint32 after = Random::seed();

    Random::setSeed(seed);
    QCOMPARE(letterwords::draw(), expected);
    QCOMPARE(Random::seed(), after);
}

void TestLetterWords::shuffleDealsTheKnownOrder_data()
{
    // Worked out separately, including the redraws of taken positions.
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QList<int>>("deal");
    QTest::addColumn<QByteArray>("rack");
    QTest::newRow("backstroke") << 12345u << QStringLiteral("backstroke")
                                << QList<int>{4, 3, 1, 6, 7, 5, 10, 8, 9, 2} << QByteArray("ceabtksokr");
    QTest::newRow("repeated letters") << 0u << QStringLiteral("bookkeeper")
                                      << QList<int>{1, 9, 3, 7, 4, 2, 5, 10, 8, 6} << QByteArray("beokerkeop");
}

void TestLetterWords::shuffleDealsTheKnownOrder()
{
    QFETCH(quint32, seed);
    QFETCH(QString, word);
    QFETCH(QList<int>, deal);
    QFETCH(QByteArray, rack);
    letterwords::Rack master;
    master.fill('x'); // left from the frame before
    Random::setSeed(seed);
    QCOMPARE(letterwords::shuffleOntoRack(word, master, {}), deal);
    QCOMPARE(QByteArray(master.data() + 1, 10), rack);
}

void TestLetterWords::shuffleFillsEveryPositionOnceInEveryCopy()
{
    for (quint32 seed = 1; seed <= 50; ++seed) {
        Random::setSeed(seed * 7919);
        const QString word = letterwords::draw();
        letterwords::Rack master;
        std::array<letterwords::Rack, 4> seats;
        master.fill(0);
        for (letterwords::Rack &seat : seats)
            seat.fill('*'); // a half-played rack
        const std::array<letterwords::Rack *, 4> copies{&seats[0], &seats[1], &seats[2], &seats[3]};

        const QList<int> deal = letterwords::shuffleOntoRack(word, master, copies);
        QCOMPARE(deal.size(), 10);
        QSet<int> positions;
        for (int i = 0; i < 10; ++i) {
            const int position = deal[i];   // in the word's letter order
            QVERIFY(position >= 1 && position <= 10);
            positions.insert(position);
            QCOMPARE(master[position], word[i].toLatin1());
        }
        QCOMPARE(positions.size(), 10);
        for (const letterwords::Rack &seat : seats)
            QVERIFY(std::equal(seat.begin() + 1, seat.end(), master.begin() + 1));
    }
}

QTEST_GUILESS_MAIN(TestLetterWords)
#include "test_letterwords.moc"
