// Slots and roster over real loopback connections: who gets which slot,
// what a newcomer hears, relays, removal, watching, and messages that speak
// for somebody else.
#include "base/errordisplay.h"
#include "testhost.h"

#include <QtTest>

class TestRoster : public QObject
{
    Q_OBJECT

private slots:
    void tenthConnectionIsTurnedAwayAndFreedSlotsAreReusedLowestFirst();
    void newcomerHearsLoginMessagesInOrder_data();
    void newcomerHearsLoginMessagesInOrder();
    void chatActionAndSoundAreRelayedToEveryone_data();
    void chatActionAndSoundAreRelayedToEveryone();
    void onlyTheHostingPlayerCanRemoveSomebody();
    void messagesInAnotherPlayersNameAreIgnored_data();
    void messagesInAnotherPlayersNameAreIgnored();
    void watchingIsOnlySetDuringAGame();
    void badNumberIsReportedAndEveryoneElseIsStillServed();
    void floodWithoutTerminatorClosesOnlyThatConnection();
};

void TestRoster::tenthConnectionIsTurnedAwayAndFreedSlotsAreReusedLowestFirst()
{
    TestHost host;
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int slot = 1; slot <= 9; ++slot) {
        clients.push_back(std::make_unique<TestClient>());
        QVERIFY(clients.back()->connectTo(host.port));
        QCOMPARE(clients.back()->received().first(), "CMD_sendlogininfo+" + QByteArray::number(slot));
    }
    TestClient tenth;
    QVERIFY(tenth.connectTo(host.port));
    QCOMPARE(tenth.received().first(), QByteArray("CMD_full+"));
    QVERIFY(tenth.waitClosed());
    QCOMPARE(host.server.slotcount, 9);

    // A connection that never logged in still holds its slot and hears the others leave.
    clients[5]->close();
    clients[3]->close();
    QTRY_VERIFY(!host.server.players[4].connected && !host.server.players[6].connected);
    QVERIFY(!clients[0]->waitFor("CMD_playerdisconnected+4+").isEmpty());
    for (const int expected : {4, 6}) {
        auto newcomer = std::make_unique<TestClient>();
        QVERIFY(newcomer->connectTo(host.port));
        QCOMPARE(newcomer->received().first(), "CMD_sendlogininfo+" + QByteArray::number(expected));
        clients.push_back(std::move(newcomer));
    }
    TestClient full;
    QVERIFY(full.connectTo(host.port));
    QCOMPARE(full.received().first(), QByteArray("CMD_full+"));
    QCOMPARE(host.server.slotcount, 9);
}

void TestRoster::newcomerHearsLoginMessagesInOrder_data()
{
    QTest::addColumn<bool>("gameRunning");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QList<QByteArray>>("tail");   // after the roster messages

    QTest::newRow("same version, no game") << false << QByteArray("1.0.9") << QList<QByteArray>{};
    QTest::newRow("other version, game running")
        << true << QByteArray("1.0.8")
        << QList<QByteArray>{"CMD_wrongversion+", "CMD_loadstats+3+60+f+64+0+0+0+0+"};
}

void TestRoster::newcomerHearsLoginMessagesInOrder()
{
    QFETCH(bool, gameRunning);
    QFETCH(QByteArray, version);
    QFETCH(QList<QByteArray>, tail);
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob);
    if (gameRunning) {
        ann->send("CMD_startgame+Ann+60+f+");
        QVERIFY(!bob->waitFor("CMD_nextplayer+").isEmpty());
    }

    // A name is the last field and may hold '+'.
    TestClient *cy = host.join("Cy+Dee", version);
    QVERIFY(cy);
    const QList<QByteArray> expected = QList<QByteArray>{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cy+Dee",
                                                         "CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bob"}
                                       + tail;
    QTRY_COMPARE(cy->received(), expected);
    QVERIFY(!bob->waitFor("CMD_newplayerinfo+3+Cy+Dee").isEmpty());
    const bool warned = !ann->waitFor("CMD_havewrongversion+Cy+Dee", version == "1.0.9" ? 200 : 5000).isEmpty();
    QCOMPARE(warned, version != "1.0.9");
    QVERIFY(bob->takeUnread().isEmpty());
    QCOMPARE(host.server.players[3].name, QByteArray("Cy+Dee"));
}

void TestRoster::chatActionAndSoundAreRelayedToEveryone_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("relayed");
    QTest::newRow("chat") << QByteArray("CMD_chat+2+one + two|clBlack")
                          << QByteArray("CMD_chat+2+Bob chats: one + two|clBlack");
    QTest::newRow("action") << QByteArray("CMD_action+2+waves|$00FF0000")
                            << QByteArray("CMD_action+2+Bob waves|$00FF0000");
    QTest::newRow("sound") << QByteArray("CMD_playasound+2+wave7+") << QByteArray("CMD_playasound+2+wave7+");
}

void TestRoster::chatActionAndSoundAreRelayedToEveryone()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, relayed);
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    TestClient spy;   // connected, never logged in: hears everything
    QVERIFY(ann && bob && spy.connectTo(host.port));
    bob->send(sent);
    for (TestClient *client : {ann, bob, &spy})
        QCOMPARE(client->waitFor(relayed), relayed);
}

void TestRoster::onlyTheHostingPlayerCanRemoveSomebody()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    TestClient *cy = host.join("Cy");
    QVERIFY(ann && bob && cy);
    QVERIFY(!ann->waitFor("CMD_newplayerinfo+3+Cy").isEmpty());
    cy->send("CMD_kickhim+3+2+");   // not the hosting player
    cy->send("CMD_chat+3+done|clBlack");
    bob->send("CMD_kickhim+1+3+");  // claims to be
    bob->send("CMD_chat+2+done|clBlack");
    const QSet<QByteArray> heard{ann->waitFor("CMD_"), ann->waitFor("CMD_")};
    QCOMPARE(heard, (QSet<QByteArray>{"CMD_chat+3+Cy chats: done|clBlack", "CMD_chat+2+Bob chats: done|clBlack"}));
    QVERIFY(!bob->isClosed() && !cy->isClosed());

    ann->send("CMD_kickhim+1+3+");
    // The one removed is told, to tell it from the host's end.
    QCOMPARE(cy->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+3+Cy"));
    QVERIFY(cy->waitClosed());
    QCOMPARE(ann->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+3+Cy"));
    QCOMPARE(bob->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+3+Cy"));
    QVERIFY(!host.server.players[3].connected);
    QVERIFY(host.server.players[3].name.isEmpty());
}

void TestRoster::messagesInAnotherPlayersNameAreIgnored_data()
{
    QTest::addColumn<QByteArray>("forged");   // sent by Bob (slot 2) while a game runs
    QTest::newRow("chat as Ann") << QByteArray("CMD_chat+1+I resign|clBlack");
    QTest::newRow("action as Cy") << QByteArray("CMD_action+3+cheats|clBlack");
    QTest::newRow("sound as Ann") << QByteArray("CMD_playasound+1+wave2+");
    QTest::newRow("login as Ann") << QByteArray("CMD_logininfo+1+1.0.9+Mallory");
    QTest::newRow("login for a free slot") << QByteArray("CMD_logininfo+7+1.0.9+Ghost");
    QTest::newRow("start a game") << QByteArray("CMD_startgame+Bob+5+f+");
    QTest::newRow("set Ann to watching") << QByteArray("CMD_justwatch+1+1");
    QTest::newRow("kick Ann") << QByteArray("CMD_kickhim+1+1+");
    QTest::newRow("play Ann's word") << QByteArray("CMD_sendword+1+1+2+3");
    QTest::newRow("play Cy's word") << QByteArray("CMD_sendword+3+1+2+3");
}

void TestRoster::messagesInAnotherPlayersNameAreIgnored()
{
    QFETCH(QByteArray, forged);
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    TestClient *cy = host.join("Cy");
    QVERIFY(ann && bob && cy);
    ann->send("CMD_startgame+Ann+60+f+");
    for (TestClient *client : {ann, bob, cy})
        QVERIFY(!client->waitFor("CMD_nextplayer+").isEmpty());
    const HostTable before = host.server;

    bob->send(forged);
    bob->send("CMD_chat+2+sentinel|clBlack");
    for (TestClient *client : {ann, bob, cy})
        QCOMPARE(client->waitFor("CMD_"), QByteArray("CMD_chat+2+Bob chats: sentinel|clBlack"));
    QVERIFY(!ann->isClosed());
    for (int slot = 1; slot <= 9; ++slot) {
        QCOMPARE(host.server.players[slot].name, before.players[slot].name);
        QCOMPARE(host.server.players[slot].connected, before.players[slot].connected);
        QCOMPARE(host.server.players[slot].watching, before.players[slot].watching);
        QCOMPARE(host.server.players[slot].balls, before.players[slot].balls);
        QCOMPARE(host.server.players[slot].tiles, before.players[slot].tiles);
    }
    QCOMPARE(host.server.timeperturn, 60);
    QCOMPARE(host.server.countdown, 64);
}

void TestRoster::watchingIsOnlySetDuringAGame()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob && !ann->waitFor("CMD_newplayerinfo+2+").isEmpty());
    bob->send("CMD_justwatch+2+1");   // no game: ignored, nothing sent
    bob->send("CMD_chat+2+x|clBlack");
    QCOMPARE(ann->waitFor("CMD_"), QByteArray("CMD_chat+2+Bob chats: x|clBlack"));
    QVERIFY(!host.server.players[2].watching);

    ann->send("CMD_startgame+Ann+60+f+");
    QVERIFY(!bob->waitFor("CMD_nextplayer+2+1+").isEmpty());
    bob->send("CMD_justwatch+2+1");
    QCOMPARE(ann->waitFor("CMD_justwatching+"), QByteArray("CMD_justwatching+2+1"));
    // the frame in play goes on; the next deal leaves the seat out
    QCOMPARE(host.server.players[2].balls, 0);
    host.tick(64 + host.pause.seconds);
    QCOMPARE(bob->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+2+"));
    QCOMPARE(host.server.players[2].balls, 4);
    QCOMPARE(host.server.players[1].balls, 0);

    // the hosting player may switch any seat back
    ann->send("CMD_justwatch+2+2");
    QCOMPARE(bob->waitFor("CMD_justwatching+"), QByteArray("CMD_justwatching+2+2"));
    QVERIFY(!host.server.players[2].watching);
}

void TestRoster::badNumberIsReportedAndEveryoneElseIsStillServed()
{
    QStringList errors;
    const ErrorSink previous = setErrorSink([&](const QString &message) { errors << message; });
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob);
    ann->send("CMD_startgame+Ann+60+f+");
    QVERIFY(!bob->waitFor("CMD_nextplayer+").isEmpty());
    const Rack rack = host.server.players[2].tiles[1];

    bob->send("CMD_chat+two+hi|clBlack");
    bob->send("CMD_sendword+2+1+2+x+4");   // stops before any tile is touched
    ann->send("CMD_chat+1+still here|clBlack");
    QCOMPARE(bob->waitFor("CMD_chat+"), QByteArray("CMD_chat+1+Ann chats: still here|clBlack"));
    QCOMPARE(errors, (QStringList{QStringLiteral("'two' is not a valid integer value"),
                                  QStringLiteral("'x' is not a valid integer value")}));
    QCOMPARE(host.server.players[2].tiles[1], rack);

    // the next word of that seat uses the tiles as they were
    bob->send("CMD_sendword+2+1+2+3");
    QCOMPARE(bob->waitFor("CMD_goodword+"), QByteArray("CMD_goodword+2+1+0+1+3+"));
    const Rack expected = {0, 0, 0, 0, rack[4], rack[5], rack[6], rack[7], rack[8], rack[9], rack[10]};
    QCOMPARE(host.server.players[2].tiles[1], expected);
    setErrorSink(previous);
}

void TestRoster::floodWithoutTerminatorClosesOnlyThatConnection()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    QVERIFY(ann && bob);
    bob->sendRaw("CMD_chat+2+" + QByteArray(70 * 1024, 'x'));   // no terminator
    QVERIFY(bob->waitClosed());
    QCOMPARE(ann->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Bob"));
    ann->send("CMD_chat+1+hi|clBlack");
    QCOMPARE(ann->waitFor("CMD_chat+"), QByteArray("CMD_chat+1+Ann chats: hi|clBlack"));
}

QTEST_GUILESS_MAIN(TestRoster)
#include "test_roster.moc"
