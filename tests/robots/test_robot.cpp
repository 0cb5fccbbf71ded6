// Computer players against a real host over loopback: the real dictionary
// judges their words, the host's clock is advanced by the test.
#include "../host/fakewords.h"
#include "../host/testclient.h"
#include "host/serverform.h"
#include "net/tsock.h"
#include "robots/robot.h"
#include "words/random.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QByteArray sendword(int seat, const QByteArray &deal)
{
    // A deal lists (position, letter) in the word's order: its positions
    // spell the frame's word.
    const QList<QByteArray> fields = deal.split('+');
    QByteArray line = "CMD_sendword+" + QByteArray::number(seat);
    for (qsizetype i = 2; i + 1 < fields.size(); i += 2)
        line += '+' + fields[i];
    return line;
}

struct Table
{
    FakePause pause;
    TServer server;   // with the program's own dictionary
    quint16 port = 0;
    std::vector<std::unique_ptr<Robot>> robots;
    std::vector<std::unique_ptr<TestClient>> people;

    Table()
    {
        Random::setSeed(2024);
        server.useManualClock();
        server.setPauseSetting(&pause);
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        port = server.Sock1->localPort();
    }

    TestClient *person(const QByteArray &name)
    {
        people.push_back(std::make_unique<TestClient>());
        return people.back()->login(port, name) ? people.back().get() : nullptr;
    }

    Robot *robot(Strength strength, quint32 seed)
    {
        robots.push_back(std::make_unique<Robot>(strength, defaultRobotName(strength)));
        Robot *robot = robots.back().get();
        robot->setInstant(true);
        robot->setSeed(seed);
        QSignalSpy seated(robot, &Robot::loggedIn);
        robot->connectTo(QStringLiteral("127.0.0.1"), port);
        return seated.wait(5000) ? robot : nullptr;
    }

    // Runs the host's clock until done() holds: a pause passes at once, and
    // a frame's time runs out once nobody has anything left to play in it
    // (settled() says whether the people have).
    bool playUntil(const std::function<bool()> &done, const std::function<bool()> &settled = [] { return true; })
    {
        int quiet = 0;
        return QTest::qWaitFor(
            [&] {
                if (done())
                    return true;
                if (!server.timer1.isActive())
                    return false;
                const bool idle = settled() && std::none_of(robots.begin(), robots.end(),
                                                            [](const auto &robot) { return robot->isBusy(); });
                quiet = idle ? quiet + 1 : 0;
                if (server.timer1Mode == TServer::TimerMode::Pause || quiet >= 3) {
                    quiet = 0;
                    for (int tick = server.countdown; tick > 0 && server.timer1.isActive(); --tick)
                        server.timer1Timer();
                }
                return false;
            },
            30000);
    }
};

} // namespace

class TestRobot : public QObject
{
    Q_OBJECT

private slots:
    void robotPlaysTenFramesOfWordsTheJudgeAccepts_data();
    void robotPlaysTenFramesOfWordsTheJudgeAccepts();
    void watchingRobotSitsOutUntilItPlaysAgainAndLeavesWhenRemoved();
    void twoRobotsAndAPersonPlayToAWinnerWhileARobotWatches();
    void commandLineRobotJoinsAndEndsWithTheHost_data();
    void commandLineRobotJoinsAndEndsWithTheHost();
};

void TestRobot::robotPlaysTenFramesOfWordsTheJudgeAccepts_data()
{
    QTest::addColumn<Strength>("strength");
    QTest::newRow("easy") << Strength::Easy;
    QTest::newRow("medium") << Strength::Medium;
    QTest::newRow("hard") << Strength::Hard;
}

void TestRobot::robotPlaysTenFramesOfWordsTheJudgeAccepts()
{
    QFETCH(Strength, strength);
    Table table;
    TestClient *host = table.person("Host");
    QVERIFY(host);
    Robot *robot = table.robot(strength, 42);
    QVERIFY(robot);
    QCOMPARE(robot->slot(), 2);
    QCOMPARE(table.server.players[2].name, defaultRobotName(strength).toLatin1());

    QSignalSpy played(robot, &Robot::wordPlayed);
    QSignalSpy refused(robot, &Robot::wordRefused);
    QSignalSpy scored(robot, &Robot::frameScored);
    QSignalSpy over(robot, &Robot::gameOver);
    host->send("CMD_startgame+Host+60+f+");
    host->close();   // only the robot plays
    QVERIFY(table.playUntil([&] { return !over.isEmpty(); }));

    QCOMPARE(scored.size(), 10);
    QVERIFY(played.size() >= 10);
    QCOMPARE(refused.size(), 0);
    for (const QList<QVariant> &word : played) {
        const int level = WordIndex::shared().levelOf(word.at(1).toByteArray());
        QVERIFY2(level >= 1 && level <= int(RobotBrain(strength, WordIndex::shared(), 0).vocabulary()),
                 word.at(1).toByteArray().constData());
    }
    // What it was told of its score is what the host scored.
    QCOMPARE(scored.last().at(1).toInt(), table.server.players[2].total);
}

void TestRobot::watchingRobotSitsOutUntilItPlaysAgainAndLeavesWhenRemoved()
{
    Table table;
    TestClient *host = table.person("Host");
    QVERIFY(host);
    Robot *robot = table.robot(Strength::Hard, 3);
    QVERIFY(robot);
    QSignalSpy played(robot, &Robot::wordPlayed);
    const auto playedIn = [&](int frame) {
        return std::count_if(played.begin(), played.end(),
                             [frame](const QList<QVariant> &word) { return word.at(0).toInt() == frame; });
    };
    host->send("CMD_startgame+Host+60+f+");
    QVERIFY(host->waitFor("CMD_nextplayer+1+1+").size());
    host->send("CMD_justwatch+2+1");   // from the next deal on
    const auto frameDone = [&](int frame) {
        return [&, frame] { return table.server.currentframe > frame || !table.server.gamestarted; };
    };
    QVERIFY(table.playUntil(frameDone(1)));
    QVERIFY(table.playUntil(frameDone(2)));
    QVERIFY(playedIn(1) > 0);
    QCOMPARE(playedIn(2), 0);
    QCOMPARE(table.server.players[2].frames[2].first, 0);

    host->send("CMD_justwatch+2+2");
    QVERIFY(table.playUntil(frameDone(4)));
    QVERIFY(playedIn(4) > 0);

    QSignalSpy left(robot, &Robot::left);
    host->send("CMD_kickhim+1+2+");
    QVERIFY(left.wait(5000));
}

void TestRobot::twoRobotsAndAPersonPlayToAWinnerWhileARobotWatches()
{
    Table table;
    TestClient *person = table.person("Ann");
    QVERIFY(person);
    Robot *medium = table.robot(Strength::Medium, 11);
    Robot *hard = table.robot(Strength::Hard, 12);
    QVERIFY(medium && hard);
    QSignalSpy mediumRefused(medium, &Robot::wordRefused);
    QSignalSpy hardRefused(hard, &Robot::wordRefused);
    QVERIFY(table.person("Away"));   // seat 4, who never plays
    Robot *spectator = table.robot(Strength::Hard, 13);
    QVERIFY(spectator);
    QCOMPARE(spectator->slot(), 5);
    QSignalSpy spectatorPlayed(spectator, &Robot::wordPlayed);
    QSignalSpy spectatorSaw(spectator, &Robot::gameOver);

    // Ann strikes every rack she is dealt and leaves the bonus racks alone.
    int struck = 0;
    bool won = false;
    const auto annPlays = [&] {
        for (const QByteArray &message : person->takeUnread()) {
            if (message.startsWith("CMD_theletters+0+")) {
                person->send(sendword(1, message));
                ++struck;
            }
            won = won || message.startsWith("CMD_winner+");
        }
        return won;
    };
    const auto annDone = [&] {
        const int frame = table.server.currentframe;
        return frame >= 1 && frame <= 10 && table.server.players[1].frames[frame].first == 10;
    };
    person->send("CMD_startgame+Ann+60+f+");
    QVERIFY(table.playUntil(annPlays, annDone));

    const auto &players = table.server.players;
    const int best = std::max({players[1].total, players[2].total, players[3].total, players[4].total});
    QCOMPARE(struck, 10);
    QVERIFY(players[2].total > 0 && players[3].total > 0);
    QCOMPARE(players[4].total, 0);
    QCOMPARE(mediumRefused.size() + hardRefused.size(), 0);
    QVERIFY(!spectatorSaw.isEmpty() || spectatorSaw.wait(5000));
    for (const int seat : spectatorSaw.first().at(0).value<QList<int>>())
        QCOMPARE(players[seat].total, best);
    QCOMPARE(spectatorPlayed.size(), 0);
    QVERIFY(!spectator->isBusy());
}

void TestRobot::commandLineRobotJoinsAndEndsWithTheHost_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("name");   // empty: it cannot join
    QTest::addColumn<int>("status");

    QTest::newRow("defaults") << QStringList() << QByteArray("Robot (Medium)") << 0;
    QTest::newRow("level and name") << QStringList{"--level", "EASY", "--name", "Tin+Can"} << QByteArray("Tin+Can")
                                    << 0;
    QTest::newRow("no host there") << QStringList{"--level", "hard"} << QByteArray() << 1;
}

void TestRobot::commandLineRobotJoinsAndEndsWithTheHost()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, name);
    QFETCH(int, status);

    auto table = std::make_unique<Table>();
    quint16 port = table->port;
    if (name.isEmpty()) {
        table.reset();   // nobody listens there any more
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    QProcess process;   // with no display at all
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(variable));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PINLEX_BINARY),
                  QStringList{"--robot", "127.0.0.1", "--port", QString::number(port)} + arguments);
    QVERIFY(process.waitForStarted());
    if (table) {
        QVERIFY(QTest::qWaitFor([&] { return table->server.players[1].name == name; }, 10000));
        table.reset();   // the host goes away
    }
    QVERIFY(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
}

QTEST_MAIN(TestRobot)
#include "test_robot.moc"
