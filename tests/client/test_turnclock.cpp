// The turn clock's arithmetic, one tick at a time.
#include "client/turnclock.h"
#include "client/turnclockview.h"

#include <QSignalSpy>
#include <QtTest>

class TestTurnClock : public QObject
{
    Q_OBJECT

private slots:
    void barTextAndColourFollowTheSecondsLeft_data();
    void barTextAndColourFollowTheSecondsLeft();
    void timeSoundsAt20And15AndTheLastTen();
    void runningOutClosesTheTurnOnce_data();
    void runningOutClosesTheTurnOnce();
    void lateJoinCountsOnlyWithMoreThanFourSecondsLeft();
};

void TestTurnClock::barTextAndColourFollowTheSecondsLeft_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");

    QTest::newRow("60: one pixel a second") << 60 << 1 << 59 << "Time: 0:59" << false;
    QTest::newRow("45: two pixels a second") << 45 << 1 << 88 << "Time: 0:44" << false;
    QTest::newRow("120: held full") << 120 << 1 << 97 << "Time: 1:59" << false;
    QTest::newRow("120: shrinks below 97 left") << 120 << 24 << 96 << "Time: 1:36" << false;
    QTest::newRow("minutes without, seconds with a leading zero") << 66 << 1 << 65 << "Time: 1:05" << false;
    QTest::newRow("20 left is still pale") << 21 << 1 << 80 << "Time: 0:20" << false;
    QTest::newRow("19 left is red") << 20 << 1 << 76 << "Time: 0:19" << true;
    QTest::newRow("a huge turn") << 2000000000 << 1 << 97 << "Time: 33333333:19" << false;
}

void TestTurnClock::barTextAndColourFollowTheSecondsLeft()
{
    QFETCH(int, limit);
    QFETCH(int, ticks);
    QFETCH(int, bar);
    QFETCH(QString, text);
    QFETCH(bool, red);

    TurnClock clock;
    clock.setTurnlimit(limit);
    clock.start();
    for (int i = 0; i < ticks; ++i)
        clock.tick();
    QCOMPARE(turnclockview::barWidth(clock), bar);
    QCOMPARE(clock.text(), text);
    QCOMPARE(turnclockview::textColour(clock) == turnclockview::kRed, red);
    QVERIFY(clock.isRunning());
}

void TestTurnClock::timeSoundsAt20And15AndTheLastTen()
{
    TurnClock clock;
    clock.setTurnlimit(30);
    clock.start();
    QList<int> beeps;
    connect(&clock, &TurnClock::sound, this, [&](const QString &name) {
        QCOMPARE(name, QStringLiteral("time"));
        beeps << clock.turnleft();
    });
    for (int i = 0; i < 30; ++i)
        clock.tick();
    QCOMPARE(beeps, (QList<int>{20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

void TestTurnClock::runningOutClosesTheTurnOnce_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("ticks");
    QTest::newRow("a full turn") << 45 << 45;
    QTest::newRow("no time per turn yet") << 0 << 1;
    QTest::newRow("a negative time per turn") << -5 << 1;
}

void TestTurnClock::runningOutClosesTheTurnOnce()
{
    QFETCH(int, limit);
    QFETCH(int, ticks);

    TurnClock clock;
    clock.setTurnlimit(limit);
    QVERIFY(turnclockview::barstep(limit) >= 0);
    QSignalSpy ranOut(&clock, &TurnClock::ranOut);
    clock.start();
    for (int i = 0; i < ticks - 1; ++i)
        clock.tick();
    QCOMPARE(ranOut.count(), 0);
    clock.tick();
    QCOMPARE(ranOut.count(), 1);
    QVERIFY(!clock.isRunning());
    QCOMPARE(clock.turnleft(), 0);
    QCOMPARE(turnclockview::barWidth(clock), 0);
    QCOMPARE(clock.text(), TurnClock::clockText(0));
}

void TestTurnClock::lateJoinCountsOnlyWithMoreThanFourSecondsLeft()
{
    TurnClock clock;
    clock.setTurnlimit(60);
    clock.resume(4);
    QVERIFY(!clock.isRunning());
    clock.resume(5);
    QVERIFY(clock.isRunning());
    clock.tick();
    QCOMPARE(clock.turnleft(), 4);
    QCOMPARE(turnclockview::barWidth(clock), 4);
    clock.showZero();
    QVERIFY(!clock.isRunning());
    QCOMPARE(clock.text(), TurnClock::clockText(0));
}

QTEST_GUILESS_MAIN(TestTurnClock)
#include "test_turnclock.moc"
