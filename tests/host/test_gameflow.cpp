// The course of a game over real loopback connections, with the host's
// clock advanced by calling its tick.
#include "testhost.h"

#include <QtTest>

namespace {

// The rack positions of a deal ("CMD_theletters+0+4+b+9+a..."), in the
// order of the word's letters.
QList<int> dealPositions(const QByteArray &deal)
{
    const QList<QByteArray> fields = deal.split('+');
    QList<int> positions;
    for (qsizetype i = 2; i + 1 < fields.size(); i += 2)
        positions << fields[i].toInt();
    return positions;
}

QByteArray dealWord(const QByteArray &deal)
{
    const QList<QByteArray> fields = deal.split('+');
    QByteArray word;
    for (qsizetype i = 3; i < fields.size(); i += 2)
        word += fields[i];
    return word;
}

QByteArray sendword(int seat, const QList<int> &positions)
{
    QByteArray line = "CMD_sendword+" + QByteArray::number(seat);
    for (const int position : positions)
        line += '+' + QByteArray::number(position);
    return line;
}

// A seat's score fields as the host posts them.
QByteArray seatScore(int seat, const QList<int> &star, const QList<QByteArray> &words, const QList<int> &running)
{
    QByteArray text = "+" + QByteArray::number(seat);
    for (const int value : star)
        text += '*' + QByteArray::number(value);
    for (const QByteArray &word : words)
        text += '*' + word;
    text += '+' + QByteArray::number(seat);
    for (int k = 1; k <= 10; ++k)
        text += '#' + QByteArray::number(k) + '#' + QByteArray::number(running.value(k - 1, -1));
    return text;
}

QByteArray emptySeat(int seat, int frame)
{
    return seatScore(seat, {0, 0, 0, 0}, {"", "", ""}, QList<int>(frame, 0));
}

} // namespace

class TestGameFlow : public QObject
{
    Q_OBJECT

private slots:
    void gameStartDealsTheSameRackToEverySlot();
    void timePerTurnIsANumberTheOptionsOffer_data();
    void timePerTurnIsANumberTheOptionsOffer();
    void frameEndsWhenTheClockRunsOut();
    void frameEndsAtOnceWhenEverySeatInPlayFinished();
    void lateWordAfterTimeUpCountsAndRestartsThePause();
    void wholeGameEndsWithTheWinnerAfterTheLastPause();
    void newcomerTakesOverASeatFromTheNextDeal();
    void teamGameWinner();
};

void TestGameFlow::gameStartDealsTheSameRackToEverySlot()
{
    TestHost host;
    QList<TestClient *> clients;
    for (const char *name : {"Ann", "Bob", "Cy", "Dee", "Eve"})
        clients << host.join(name);
    QVERIFY(!clients.contains(nullptr));
    clients[0]->send("CMD_startgame+Ann+60+f+");

    QByteArray deal;
    for (int slot = 1; slot <= 5; ++slot) {
        TestClient *client = clients[slot - 1];
        QCOMPARE(client->waitFor("CMD_startgame+"), QByteArray("CMD_startgame+Ann+60+f+"));
        const QByteArray dealt = client->waitFor("CMD_");
        QVERIFY(dealt.startsWith("CMD_theletters+0+"));
        if (deal.isEmpty())
            deal = dealt;
        QCOMPARE(dealt, deal);
        // the spectator hears that seat 1 plays, as the others hear their own seat
        QCOMPARE(client->waitFor("CMD_"), "CMD_nextplayer+" + QByteArray::number(slot == 5 ? 1 : slot) + "+1+");
    }
    QCOMPARE(dealWord(deal), QByteArray("backstroke"));
    QList<int> positions = dealPositions(deal);
    std::sort(positions.begin(), positions.end());
    QCOMPARE(positions, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    const TServer &server = host.server;
    QCOMPARE(server.bonusword2, QByteArray("streamline"));
    QCOMPARE(server.bonusword3, QByteArray("playground"));
    QCOMPARE(server.countdown, 64);
    QVERIFY(server.timer1.isActive());
    QCOMPARE(server.timer1Mode, TServer::TimerMode::Frame);
    for (int seat = 1; seat <= 4; ++seat) {
        QCOMPARE(server.players[seat].tiles, server.mastertiles);
        QCOMPARE(server.players[seat].balls, 0);
        QCOMPARE(server.players[seat].letterset, 1);
    }
    for (int rack = 1; rack <= 3; ++rack) {
        QByteArray letters(server.mastertiles[rack].data() + 1, 10);
        std::sort(letters.begin(), letters.end());
        QByteArray word = QByteArray(rack == 1 ? "backstroke" : rack == 2 ? "streamline" : "playground");
        std::sort(word.begin(), word.end());
        QCOMPARE(letters, word);
    }
}

void TestGameFlow::timePerTurnIsANumberTheOptionsOffer_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("echoed");
    QTest::addColumn<int>("countdown");
    QTest::addColumn<bool>("team");
    QTest::newRow("60, team") << QByteArray("Ann+60+t+") << QByteArray("CMD_startgame+Ann+60+t+") << 64 << true;
    QTest::newRow("not a number") << QByteArray("Ann+1min+f+") << QByteArray("CMD_startgame+Ann+90+f+") << 94 << false;
    QTest::newRow("empty") << QByteArray("Ann++T+") << QByteArray("CMD_startgame+Ann+90+T+") << 94 << false;
    // A time the game options never offer gets the nearest one they do.
    QTest::newRow("at the integer limit") << QByteArray("Ann+2147483647+f+") << QByteArray("CMD_startgame+Ann+120+f+")
                                          << 124 << false;
    QTest::newRow("a second") << QByteArray("Ann+1+f+") << QByteArray("CMD_startgame+Ann+45+f+") << 49 << false;
}

void TestGameFlow::timePerTurnIsANumberTheOptionsOffer()
{
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, echoed);
    QFETCH(int, countdown);
    QFETCH(bool, team);
    TestHost host;
    TestClient *ann = host.join("Ann");
    QVERIFY(ann);
    ann->send("CMD_startgame+" + start);
    QCOMPARE(ann->waitFor("CMD_startgame+"), echoed);
    QVERIFY(!ann->waitFor("CMD_nextplayer+").isEmpty());
    QCOMPARE(host.server.countdown, countdown);
    QCOMPARE(host.server.teamgame, team);
}

void TestGameFlow::frameEndsWhenTheClockRunsOut()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob);
    ann->send("CMD_startgame+Ann+60+f+");
    QVERIFY(!bob->waitFor("CMD_nextplayer+2+1+").isEmpty());

    host.tick(63);
    QCOMPARE(host.server.countdown, 1);
    QCOMPARE(host.server.timer1Mode, TServer::TimerMode::Frame);
    host.tick();
    QCOMPARE(bob->waitFor("CMD_"), QByteArray("CMD_timeisup+"));
    const QByteArray played = seatScore(1, {0, 0, 0, -1}, {"", "", ""}, {0});
    QCOMPARE(bob->waitFor("CMD_"), "CMD_postscores+1+backstroke+backstroke" + played
                                        + seatScore(2, {0, 0, 0, -1}, {"", "", ""}, {0}) + emptySeat(3, 1)
                                        + emptySeat(4, 1));
    QCOMPARE(host.server.timer1Mode, TServer::TimerMode::Pause);
    QCOMPARE(host.server.countdown, 5);

    // a new pause setting waits for the next posting
    host.pause.seconds = 15;
    host.tick(4);
    QCOMPARE(host.server.currentframe, 1);
    host.tick();
    const QByteArray deal = bob->waitFor("CMD_");
    QVERIFY(deal.startsWith("CMD_theletters+0+"));
    QCOMPARE(dealWord(deal), QByteArray("highwaymen"));
    QCOMPARE(bob->waitFor("CMD_"), QByteArray("CMD_nextplayer+2+2+"));
    host.tick(64);
    QVERIFY(!bob->waitFor("CMD_postscores+2+").isEmpty());
    QCOMPARE(host.server.countdown, 15);
}

void TestGameFlow::frameEndsAtOnceWhenEverySeatInPlayFinished()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    TestClient *eve = nullptr;
    QVERIFY(ann && bob && host.join("Cy") && host.join("Dee") && (eve = host.join("Eve")));
    host.clients[2]->close();   // seats 3 and 4 empty: nobody waits for them
    host.clients[3]->close();
    QTRY_VERIFY(!host.server.players[3].connected && !host.server.players[4].connected);
    ann->send("CMD_startgame+Ann+60+f+");
    const QByteArray deal = bob->waitFor("CMD_theletters+0+");
    const QList<int> word = dealPositions(deal);

    ann->send(sendword(1, word));
    QCOMPARE(ann->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+1+1+0+1+10+"));
    host.words->acceptAll = false;
    bob->send(sendword(2, word.mid(0, 4)));
    QCOMPARE(bob->waitFor("CMD_worderror+"), QByteArray("CMD_worderror+2+"));
    host.words->acceptAll = true;
    bob->send(sendword(2, word.mid(0, 4)));
    QCOMPARE(bob->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+2+1+0+1+4+"));
    QCOMPARE(host.server.timer1Mode, TServer::TimerMode::Frame);
    bob->send(sendword(2, word.mid(4, 3)));
    QCOMPARE(bob->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+2+1+0+2+3+"));

    const QByteArray scores = seatScore(1, {0, 10, -1, -1}, {"backstroke", "", ""}, {-1})
                              + seatScore(2, {7, 4, 3, -1}, {"back", "str", ""}, {7}) + emptySeat(3, 1)
                              + emptySeat(4, 1);
    for (TestClient *client : {ann, bob, eve})
        QCOMPARE(client->waitFor("CMD_postscores+"), "CMD_postscores+1+backstroke+backstroke" + scores);
    QCOMPARE(host.server.timer1Mode, TServer::TimerMode::Pause);
    QCOMPARE(host.server.countdown, 5);

    // finished seats are not heard again this frame
    ann->send(sendword(1, {1}));
    ann->send("CMD_chat+1+ok|clBlack");
    QCOMPARE(ann->waitFor("CMD_"), QByteArray("CMD_chat+1+Ann chats: ok|clBlack"));

    // the next frame's word reports the total as last posted
    host.tick(5);
    const QList<int> next = dealPositions(bob->waitFor("CMD_theletters+0+"));
    bob->send(sendword(2, next.mid(0, 2)));
    QCOMPARE(bob->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+2+2+7+1+2+"));
}

void TestGameFlow::lateWordAfterTimeUpCountsAndRestartsThePause()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    QVERIFY(ann);
    ann->send("CMD_startgame+Ann+60+f+");
    const QList<int> word = dealPositions(ann->waitFor("CMD_theletters+0+"));
    ann->send(sendword(1, word.mid(0, 4)));
    QCOMPARE(ann->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+1+1+0+1+4+"));

    host.tick(64);
    QCOMPARE(ann->waitFor("CMD_postscores+"), "CMD_postscores+1+backstroke+backstroke"
                                                  + seatScore(1, {4, 4, 0, -1}, {"back", "", ""}, {4})
                                                  + emptySeat(2, 1) + emptySeat(3, 1) + emptySeat(4, 1));
    host.tick(3);
    QCOMPARE(host.server.countdown, 2);

    ann->send(sendword(1, word.mid(4, 3)));
    QCOMPARE(ann->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+1+1+4+2+3+"));
    QCOMPARE(ann->waitFor("CMD_postscores+"), "CMD_postscores+1+backstroke+backstroke"
                                                  + seatScore(1, {7, 4, 3, -1}, {"back", "str", ""}, {7})
                                                  + emptySeat(2, 1) + emptySeat(3, 1) + emptySeat(4, 1));
    QCOMPARE(host.server.countdown, 5);
    QCOMPARE(host.server.timer1Mode, TServer::TimerMode::Pause);
    QCOMPARE(host.server.currentframe, 1);
}

void TestGameFlow::wholeGameEndsWithTheWinnerAfterTheLastPause()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob);
    ann->send("CMD_startgame+Ann+60+f+");
    for (int frame = 1; frame <= 10; ++frame) {
        const QByteArray deal = ann->waitFor("CMD_theletters+0+");
        QCOMPARE(bob->waitFor("CMD_theletters+0+"), deal);
        const QList<int> word = dealPositions(deal);
        ann->send(sendword(1, word));
        QVERIFY(!ann->waitFor("CMD_goodword+1+" + QByteArray::number(frame) + '+').isEmpty());
        if (frame == 10) {
            // the bonus racks go to the seat alone, positions in order
            for (const int rack : {2, 3}) {
                const QByteArray fresh = ann->waitFor("CMD_theletters+1+");
                QByteArray expected = "CMD_theletters+1";
                for (int position = 1; position <= 10; ++position)
                    expected += '+' + QByteArray::number(position) + '+' + host.server.mastertiles[rack][position];
                QCOMPARE(fresh, expected);
                ann->send(sendword(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
                QVERIFY(!ann->waitFor("CMD_goodword+1+10+").isEmpty());
            }
        }
        bob->send(sendword(2, word.mid(0, 5)));
        bob->send(sendword(2, word.mid(5, 4)));
        const QByteArray posted = bob->waitFor("CMD_postscores+" + QByteArray::number(frame) + '+');
        QVERIFY(!posted.isEmpty());
        if (frame == 10) {
            QCOMPARE(host.server.frameword, QByteArray("nightshade"));
            QVERIFY(posted.startsWith("CMD_postscores+10+nightshade+nightshade+streamline+playground"
                                      "+1*300*10*10*10*"));
            // the seat's own word is the one behind the rack it played last
            QVERIFY(ann->waitFor("CMD_postscores+10+").startsWith("CMD_postscores+10+playground+nightshade+"));
        }
        host.tick(host.pause.seconds - 1);
        QVERIFY(host.server.gamestarted);
        host.tick();
    }
    QVERIFY(std::none_of(bob->received().begin(), bob->received().end(),
                         [](const QByteArray &message) { return message.startsWith("CMD_theletters+1+"); }));
    QCOMPARE(ann->waitFor("CMD_winner+"), QByteArray("CMD_winner+1+"));
    QCOMPARE(bob->waitFor("CMD_winner+"), QByteArray("CMD_winner+1+"));
    QCOMPARE(host.server.players[1].total, 300);
    QCOMPARE(host.server.players[2].total, 90);
    QVERIFY(!host.server.gamestarted);
    QCOMPARE(host.server.currentframe, 11);
    QVERIFY(!host.server.timer1.isActive());
}

void TestGameFlow::newcomerTakesOverASeatFromTheNextDeal()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob);
    ann->send("CMD_startgame+Ann+60+f+");
    const QList<int> word = dealPositions(bob->waitFor("CMD_theletters+0+"));
    bob->send(sendword(2, word.mid(0, 3)));
    QVERIFY(!bob->waitFor("CMD_goodword+").isEmpty());
    host.tick(64 + 2);   // frame 1 over, into the pause
    bob->close();
    QCOMPARE(ann->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Bob"));

    TestClient *cy = host.join("Cy");
    QVERIFY(cy);
    QCOMPARE(cy->waitFor("CMD_loadstats+"), QByteArray("CMD_loadstats+2+60+f+3+0+3+0+0+"));
    host.tick(3);
    const QList<int> next = dealPositions(cy->waitFor("CMD_theletters+0+"));
    QCOMPARE(cy->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+2+"));
    cy->send(sendword(2, next.mid(0, 2)));
    // the seat carries on with its predecessor's score
    QCOMPARE(cy->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+2+2+3+1+2+"));
}

void TestGameFlow::teamGameWinner()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    QVERIFY(ann);
    ann->send("CMD_startgame+Ann+60+t+");
    QVERIFY(!ann->waitFor("CMD_nextplayer+").isEmpty());
    const int totals[] = {100, 90, 50, 70};
    for (int seat = 1; seat <= 4; ++seat)
        host.server.players[seat].total = totals[seat - 1];
    host.server.checkforwin();
    QCOMPARE(ann->waitFor("CMD_winner+"), QByteArray("CMD_winner+2+4+"));
    QVERIFY(!host.server.gamestarted);
}

QTEST_GUILESS_MAIN(TestGameFlow)
#include "test_gameflow.moc"
