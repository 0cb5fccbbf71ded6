// Whole games as a player sees them, against a real host on a loopback port
// whose clock the test advances; a scripted second seat plays along.
#include "../host/testhost.h"
#include "app/chatform.h"
#include "app/forms.h"
#include "app/session.h"
#include "client/gameevents.h"
#include "clientrig.h"
#include "tally/tallykeeper.h"
#include "ui/controls.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

using Kind = Mark::Kind;

const QStringList kVerdicts{"strike", "goodword", "badword"};

// The sound of the host's answer to the word just sent, or "" when none
// came.
QString awaitVerdict(const FakeSoundOutput &sound, qsizetype heardBefore)
{
    QString verdict;
    until([&] {
        for (qsizetype i = heardBefore; i < sound.played.size(); ++i) {
            if (kVerdicts.contains(sound.played[i]))
                verdict = sound.played[i];
        }
        return !verdict.isEmpty();
    });
    return verdict;
}

// Builds a word of the first letters tiles still on the rack and sends it.
QString play(RackModel &rack, const FakeSoundOutput &sound, int letters)
{
    if (!until([&] { return rack.isMyTurn(); }))
        return QStringLiteral("board closed");
    for (int tile = 1, taken = 0; tile <= RackModel::kTiles && taken < letters; ++tile) {
        if (rack.tile(tile).tag != 0) {
            rack.selectTile(tile);
            ++taken;
        }
    }
    const qsizetype heard = sound.played.size();
    rack.submitWord();
    return awaitVerdict(sound, heard);
}

// The scripted seat 2's frame: two one-letter words.
void bobWords(TestClient &bob)
{
    bob.send("CMD_sendword+2+1");
    bob.send("CMD_sendword+2+2");
}

void bobPlays(TestClient &bob)
{
    QVERIFY(!bob.waitFor("CMD_nextplayer+2+").isEmpty());
    bobWords(bob);
}

// Frame by frame: once the scripted seat and the own card have the frame
// posted, the host pauses, then deals the next frame.
struct Frames
{
    TestHost &host;
    TestClient &bob;
    QSignalSpy posted;
    int frame = 1;

    Frames(TestHost &host, TestClient &bob, ScoreCardModel &score)
        : host(host), bob(bob), posted(&score, &ScoreCardModel::ownWordPosted)
    {
    }

    bool next()
    {
        if (bob.waitFor("CMD_postscores+").isEmpty() || !until([this] { return posted.count() >= frame; }))
            return false;
        ++frame;
        host.tick(host.pause.seconds);
        return true;
    }
};

} // namespace

class TestClientGame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeGameAgainstARealHost();
    void watchingSeatIsNotOfferedTheBoard();
    void winnerTextsAndTheTally_data();
    void winnerTextsAndTheTally();
    void windowFollowsAPerfectGameAndKeepsTheTally();

private:
    QTemporaryDir m_dir;
};

void TestClientGame::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
}

void TestClientGame::wholeGameAgainstARealHost()
{
    TestHost host;
    ClientRig me;
    me.client.setTurnSound(1);
    me.rack.setClearWords(true);
    me.rack.setShowBadWord(true);
    QVERIFY(me.join(host.port, "Me"));
    TestClient *bob = host.join("Bob");
    QVERIFY(bob && me.waitLine("Bob is Connected."));
    TallyKeeper tally(m_dir.filePath(QStringLiteral("whole.tld")));
    tally.follow(me.client, me.roster);
    QVERIFY(tally.addOpponent(QStringLiteral("Bob")));
    const auto own = [&tally](int column) { return tally.table().cell(column, 0); };
    RackModel &rack = me.rack;
    const auto card = [&](int frame) { return me.score.marks(1, frame); };

    Frames frames(host, *bob, me.score);
    me.flow.startGame(45, false);
    QVERIFY(me.waitLine("Me has started a game."));

    // 1: a strike closes the board.
    QCOMPARE(play(rack, me.sound, 10), QStringLiteral("strike"));
    QVERIFY(me.sound.played.contains("turnnew"));
    QCOMPARE(me.status, QStringLiteral("You got a Strike!"));
    QCOMPARE(own(TallyTable::kStrikes), QStringLiteral("1"));
    QVERIFY(!rack.isMyTurn() && !rack.commandsVisible());
    bobPlays(*bob);
    QVERIFY(frames.next());

    // 2: six pins reopen the board for the rest; the rest is a spare.
    QCOMPARE(play(rack, me.sound, 6), QStringLiteral("goodword"));
    QCOMPARE(me.status, QStringLiteral("You knocked down 6 pins."));
    QVERIFY(rack.isMyTurn() && rack.commandsVisible());
    QCOMPARE(play(rack, me.sound, 4), QStringLiteral("goodword"));
    QCOMPARE(me.status, QStringLiteral("You got a Spare!"));
    bobPlays(*bob);
    QVERIFY(frames.next());

    // 3: an open frame; two words and the board stays closed.
    QCOMPARE(play(rack, me.sound, 3), QStringLiteral("goodword"));
    QCOMPARE(play(rack, me.sound, 4), QStringLiteral("goodword"));
    QCOMPARE(me.status, QStringLiteral("You knocked down 4 pins."));
    QVERIFY(!rack.isMyTurn());
    bobPlays(*bob);
    QVERIFY(frames.next());
    // The host's count replaces the own marks, and the card's total is the host's.
    QCOMPARE(card(3), (ScoreCardModel::Marks{Mark::count(3), Mark::count(4), Mark{}}));
    QCOMPARE(me.score.scores(1, 3).running, host.server.players[1].frames[3].running);

    // 4: a refused word, cleared at once, with the panel.
    host.words->acceptAll = false;
    QCOMPARE(play(rack, me.sound, 3), QStringLiteral("badword"));
    QCOMPARE(me.status, QStringLiteral("Invalid Word"));
    QVERIFY(rack.badWordPanelVisible() && rack.isMyTurn());
    QCOMPARE(rack.wordlen(), 0);
    for (int tile = 1; tile <= RackModel::kTiles; ++tile)
        QCOMPARE(rack.tile(tile).tag, tile);
    rack.dismissRefusedWord();
    QVERIFY(!rack.badWordPanelVisible());
    QCOMPARE(me.status, QStringLiteral("Create a word."));
    host.words->acceptAll = true;
    QCOMPARE(play(rack, me.sound, 10), QStringLiteral("strike"));
    bobPlays(*bob);
    QVERIFY(frames.next());

    // 5: a refused word left in the row, without the panel; sent again.
    rack.setClearWords(false);
    rack.setShowBadWord(false);
    host.words->acceptAll = false;
    QCOMPARE(play(rack, me.sound, 3), QStringLiteral("badword"));
    QVERIFY(!rack.badWordPanelVisible() && rack.isMyTurn());
    QCOMPARE(rack.wordlen(), 3);
    host.words->acceptAll = true;
    const qsizetype heard = me.sound.played.size();
    rack.submitWord();
    QCOMPARE(awaitVerdict(me.sound, heard), QStringLiteral("goodword"));
    QCOMPARE(me.status, QStringLiteral("You knocked down 3 pins."));
    QCOMPARE(play(rack, me.sound, 7), QStringLiteral("goodword"));
    bobPlays(*bob);
    QVERIFY(frames.next());

    // 6: the own clock runs out and closes the board; the host's ends the frame.
    bobPlays(*bob);
    QVERIFY(until([&] { return rack.isMyTurn(); }));
    for (int second = 0; second < 60 && rack.isMyTurn(); ++second)
        me.clock.tick();
    QCOMPARE(me.status, QStringLiteral("Time is Up"));
    QVERIFY(!rack.commandsVisible());
    host.tick(host.server.countdown);
    QVERIFY(until([&] { return me.sound.played.contains("timeup"); }));
    QVERIFY(!me.clock.isRunning());
    QCOMPARE(me.clock.text(), QStringLiteral("Time: 0:00"));
    QVERIFY(frames.next());

    for (int frame = 7; frame <= 9; ++frame) {
        QCOMPARE(play(rack, me.sound, 10), QStringLiteral("strike"));
        bobPlays(*bob);
        QVERIFY(frames.next());
    }

    // 10: a strike brings a fresh rack; four pins leave six for a spare.
    QCOMPARE(play(rack, me.sound, 10), QStringLiteral("strike"));
    QCOMPARE(play(rack, me.sound, 4), QStringLiteral("goodword"));
    QVERIFY(rack.isMyTurn());
    QCOMPARE(play(rack, me.sound, 6), QStringLiteral("goodword"));
    QCOMPARE(me.status, QStringLiteral("You got a Spare!"));
    QCOMPARE(card(10), (ScoreCardModel::Marks{Mark{Kind::Strike}, Mark::count(4), Mark{Kind::Spare}}));
    bobPlays(*bob);
    QVERIFY(frames.next());

    QVERIFY(me.waitLine("You have Won the Game!"));
    QCOMPARE(me.status, QStringLiteral("You have Won the Game!"));
    QVERIFY(me.flow.winnerShown(1) && !me.flow.winnerShown(2));
    QVERIFY(!rack.commandsVisible());
    QCOMPARE(me.sound.played.last(), QStringLiteral("gameover"));
    QCOMPARE(own(TallyTable::kStrikes), QStringLiteral("6"));
    QCOMPARE(own(TallyTable::kGames), QStringLiteral("1"));
    QCOMPARE(own(TallyTable::kPoints), QString::number(host.server.players[1].total));
    QCOMPARE(own(TallyTable::kWins), QStringLiteral("1"));
    QCOMPARE(tally.table().cell(TallyTable::kMyWins, tally.table().opponentRow(QStringLiteral("Bob"))),
             QStringLiteral("1"));
}

void TestClientGame::watchingSeatIsNotOfferedTheBoard()
{
    TestHost host;
    ClientRig me;
    QVERIFY(me.join(host.port, "Me"));
    TestClient *bob = host.join("Bob");
    QVERIFY(bob && me.waitLine("Bob is Connected."));
    Frames frames(host, *bob, me.score);
    me.flow.startGame(45, false);
    me.roster.JustWatch1Click();
    QVERIFY(me.waitLine("Me is just watching"));
    QCOMPARE(play(me.rack, me.sound, 10), QStringLiteral("strike"));   // still in this frame
    bobPlays(*bob);
    QVERIFY(frames.next());

    // Left out of this deal: no board, no turn sound; the picture says so.
    const qsizetype heard = me.sound.played.size();
    QVERIFY(until([&] { return me.clock.isRunning(); }));
    QVERIFY(!me.rack.isMyTurn() && !me.rack.commandsVisible());
    QVERIFY(me.flow.noPlayShown());
    QVERIFY(!me.sound.played.mid(heard).contains("turn"));
    me.roster.JustWatch1Click();
    QVERIFY(me.waitLine("Me is now playing again"));
    bobPlays(*bob);
    QVERIFY(frames.next());
    QVERIFY(until([&] { return me.rack.isMyTurn(); }));
    QVERIFY(!me.flow.noPlayShown());
}

void TestClientGame::winnerTextsAndTheTally_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<QByteArray>("winners");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("recorded");   // "you", a name, "none" for a tie, or "" for no tally at all
    QTest::newRow("you alone") << 1 << QByteArray("1+") << "You have Won the Game!" << "you";
    QTest::newRow("another alone") << 1 << QByteArray("2+") << "Bob has Won the Game!" << "Bob";
    QTest::newRow("your team") << 1 << QByteArray("1+3+") << "You and Cy have Won the Game!" << "none";
    QTest::newRow("your partner first") << 3 << QByteArray("1+3+") << "Ann and You have Won the Game!"
                                        << "none";
    QTest::newRow("the other team") << 1 << QByteArray("2+4+") << "Bob and Dee have Won the Game!" << "none";
    QTest::newRow("a spectator") << 5 << QByteArray("2+") << "Bob has Won the Game!" << "";
}

void TestClientGame::winnerTextsAndTheTally()
{
    QFETCH(int, myseat);
    QFETCH(QByteArray, winners);
    QFETCH(QString, status);
    QFETCH(QString, recorded);
    ClientRig me;
    me.seat(myseat);
    for (const auto &[slot, name] : {std::pair{1, "Ann"}, std::pair{2, "Bob"}, std::pair{3, "Cy"},
                                     std::pair{4, "Dee"}, std::pair{5, "Spy"}})
        me.roster.newplayerinfo(slot, name);
    TallyKeeper tally(m_dir.filePath(QStringLiteral("winner.tld")));
    QFile::remove(m_dir.filePath(QStringLiteral("winner.tld")));
    tally.follow(me.client, me.roster);
    for (const char *name : {"Ann", "Bob", "Cy", "Dee"})
        tally.addOpponent(QLatin1String(name));
    QSignalSpy counted(&tally, &TallyKeeper::changed);
    me.client.events()->received("CMD_winner+" + winners);

    QCOMPARE(me.status, status);
    QCOMPARE(me.lines.last(), status);
    for (int seat = 1; seat <= 4; ++seat)
        QCOMPARE(me.flow.winnerShown(seat), winners.contains(QByteArray::number(seat)));
    QCOMPARE(counted.count(), recorded.isEmpty() ? 0 : 1);
    if (recorded.isEmpty())
        return;
    const TallyTable &table = tally.table();
    QString winner = QStringLiteral("none");
    if (table.cell(TallyTable::kWins, 0) == QLatin1String("1"))
        winner = QStringLiteral("you");
    for (const QString &name : table.opponents()) {
        if (table.cell(TallyTable::kTheirWins, table.opponentRow(name)) == QLatin1String("1"))
            winner = name;
    }
    QCOMPARE(winner, recorded);
    QCOMPARE(table.cell(TallyTable::kGames, 0), QLatin1String(recorded == QLatin1String("none") ? "0" : "1"));
}

void TestClientGame::windowFollowsAPerfectGameAndKeepsTheTally()
{
    // The tally starts empty; never the player's own file.
    const QString tallyFile = qEnvironmentVariable("PINLEX_TALLY_FILE");
    if (tallyFile.isEmpty())
        QSKIP("run through ctest, which gives the test a tally file of its own");
    QFile::remove(tallyFile);

    TestHost host;
    Forms forms;
    Tchat &chat = *forms.chat();
    Session &session = chat.session();
    session.options.setFileName(m_dir.filePath(QStringLiteral("game.ini")));
    const auto label = [&chat](const QString &name) { return chat.findChild<QLabel *>(name); };
    FakeSoundOutput sound;
    session.client.setSoundOutput(&sound);
    chat.setPort(host.port);
    chat.setLaunchParameters({"Me", "127.0.0.1", "join"});
    chat.show();
    QVERIFY(until([&] { return session.client.loggedin() && label("label_playername1")->text() == "Me"; }));
    session.client.setPlaySounds(true);
    TestClient *bob = host.join("Bob");
    QVERIFY(bob && until([&] { return label("label_playername2")->text() == "Bob"; }));

    Frames frames(host, *bob, session.score);
    session.flow.startGame(45, false);
    QVERIFY(!bob->waitFor("CMD_nextplayer+2+").isEmpty());
    bob->send("CMD_justwatch+2+1");
    QVERIFY(until([&] { return label("image_eyes2")->isVisible(); }));
    bobWords(*bob);   // the first frame still counts Bob in
    for (int frame = 1; frame <= 10; ++frame) {
        for (int ball = 1; ball <= (frame == 10 ? 3 : 1); ++ball)
            QCOMPARE(play(session.rack, sound, 10), QStringLiteral("strike"));
        QVERIFY(frames.next());
        QCOMPARE(label("label_score1")->text(), QString::number(host.server.players[1].total));
    }
    QVERIFY(until([&] { return label("image_winner1")->isVisible(); }));
    QCOMPARE(label("label_status")->text(), QStringLiteral("You have Won the Game!"));
    QCOMPARE(label("label_score1")->text(), QStringLiteral("300"));

    const TallyTable &tally = forms.chat()->session().tally.table();
    QCOMPARE(tally.cell(TallyTable::kGames, 0), QStringLiteral("1"));
    QCOMPARE(tally.cell(TallyTable::kWins, 0), QStringLiteral("1"));
    QCOMPARE(tally.cell(TallyTable::kPerfectGames, 0), QStringLiteral("1"));
    QCOMPARE(tally.cell(TallyTable::kStrikes, 0), QStringLiteral("12"));
    QCOMPARE(tally.cell(TallyTable::kAverage, 0), QStringLiteral("300"));

    // A new game: nobody watches, nobody has won, every score is 0.
    QVERIFY(label("image_eyes2")->isVisible());
    session.flow.startGame(45, false);
    QVERIFY(until([&] { return !label("image_eyes2")->isVisible(); }));
    QVERIFY(!label("image_winner1")->isVisible());
    QVERIFY(!chat.findChild<QAction *>(QStringLiteral("JustWatch1"))->isChecked());
    QCOMPARE(label("label_score1")->text(), QStringLiteral("0"));
}

QTEST_MAIN(TestClientGame)
#include "test_clientgame.moc"
