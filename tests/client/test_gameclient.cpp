// The client's launch, login, roster and sounds against a real host on a
// loopback port.
#include "../host/testhost.h"
#include "base/errordisplay.h"
#include "client/spylistform.h"
#include "clientrig.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTcpServer>

namespace {

const QString kWaiting = QStringLiteral("<Waiting>");

QStringList seatNames(const Roster &roster)
{
    QStringList names;
    for (int seat = 1; seat <= 4; ++seat)
        names << roster.seatName(seat);
    return names;
}

// Records what reaches the general error display while it lives.
struct ErrorRecorder
{
    QStringList errors;
    ErrorSink previous = setErrorSink([this](const QString &message) { errors << message; });
    ~ErrorRecorder() { setErrorSink(previous); }
};

} // namespace

class TestGameClient : public QObject
{
    Q_OBJECT

private slots:
    void launchStepFollowsTheParameters_data();
    void launchStepFollowsTheParameters();
    void connectionFailuresLeaveTheWindowOpen_data();
    void connectionFailuresLeaveTheWindowOpen();
    void fullGameTurnsTheNewcomerAwayWithTheBoxOnly();
    void arrivalsAndDeparturesAreToldInSlotOrder();
    void watchingFollowsTheHostsAnswerOnly();
    void seatMenuOffersItsChoicesToTheHostOnly_data();
    void seatMenuOffersItsChoicesToTheHostOnly();
    void removalAndTheHostsEndAreToldApart();
    void soundOptionsGateTheirOwnKind_data();
    void soundOptionsGateTheirOwnKind();
    void onlyALoggedInSeatSendsChatter();
    void spyListKeepsOneEntryPerSlot();
    void hostileFieldsAreIgnored_data();
    void hostileFieldsAreIgnored();
};

void TestGameClient::launchStepFollowsTheParameters_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("hosts");
    QTest::addColumn<bool>("everyAddress");
    QTest::addColumn<QByteArray>("name");   // as the host knows it; empty: no connection
    QTest::addColumn<bool>("lobby");

    // The host address of the hosting row leads nowhere: only 127.0.0.1 gets in.
    QTest::newRow("none: solo, loopback only") << QStringList() << true << false << QByteArray("You") << false;
    QTest::newRow("true: hosts for everybody") << QStringList{"Ann", "192.0.2.1", "true"} << true << true
                                               << QByteArray("Ann") << true;
    QTest::newRow("True: joins") << QStringList{"Ann", "127.0.0.1", "True"} << false << false << QByteArray("Ann")
                                 << true;
    QTest::newRow("any other text: joins") << QStringList{"Ann", "127.0.0.1", "host"} << false << false
                                           << QByteArray("Ann") << true;
    QTest::newRow("one parameter") << QStringList{"Ann"} << false << false << QByteArray() << false;
    QTest::newRow("two parameters") << QStringList{"Ann", "127.0.0.1"} << false << false << QByteArray() << false;
}

void TestGameClient::launchStepFollowsTheParameters()
{
    QFETCH(QStringList, parameters);
    QFETCH(bool, hosts);
    QFETCH(bool, everyAddress);
    QFETCH(QByteArray, name);
    QFETCH(bool, lobby);

    TestHost host;   // the one a joining copy finds
    ClientRig rig;
    QSignalSpy download(&rig.client, &GameClient::downloadDialogRequested);
    QSignalSpy hosting(&rig.client, &GameClient::hostingChanged);
    rig.client.setPort(host.port);
    rig.client.processparams(parameters);

    QCOMPARE(rig.client.Sock11()->isOpen(), lobby);
    QCOMPARE(download.count(), parameters.isEmpty() ? 1 : 0);
    QCOMPARE(bool(rig.server), hosts);
    QCOMPARE(rig.everyAddress, everyAddress);
    QCOMPARE(rig.client.ishost(), hosts);
    QCOMPARE(hosting.last().at(0).toBool(), hosts);
    const QString loading = parameters.isEmpty() ? QStringLiteral("Loading Solo Game..Please wait.")
                                                 : QStringLiteral("Loading Multi-player Game.. Please Wait.");
    if (name.isEmpty()) {
        QCOMPARE(rig.lines, QStringList{loading});
        QVERIFY(!rig.client.sock()->sock()->isOpen());
        return;
    }
    QVERIFY(rig.waitArrived());
    QCOMPARE(rig.lines.first(), loading);
    QCOMPARE(rig.client.myseat(), 1);
    QCOMPARE((hosts ? *rig.server : host.server).players[1].name, name);
}

void TestGameClient::connectionFailuresLeaveTheWindowOpen_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::newRow("nobody listens where we join") << false;
    QTest::newRow("our host cannot listen") << true;
}

void TestGameClient::connectionFailuresLeaveTheWindowOpen()
{
    QFETCH(bool, hosting);
    QTcpServer busy;
    QVERIFY(busy.listen(QHostAddress::LocalHost));
    const quint16 port = busy.serverPort();
    if (!hosting)
        busy.close();

    ErrorRecorder display;
    ClientRig rig;
    rig.hostPort = port;
    rig.client.setPort(port);
    rig.client.processparams({"Ann", "127.0.0.1", hosting ? "true" : "join"});
    if (hosting) {
        // Stopped at the listen: no connection, no lobby link, no line.
        QCOMPARE(display.errors.size(), 1);
        QVERIFY(!rig.client.ishost());
        QVERIFY(!rig.client.sock()->sock()->isOpen());
        QVERIFY(!rig.client.Sock11()->isOpen());
        QCOMPARE(rig.lines.size(), 1);
    } else {
        QTRY_COMPARE(rig.lines.size(), 2);
        QCOMPARE(rig.lines[1],
                 QStringLiteral("Could not connect to 127.0.0.1 on port %1: the connection was refused.").arg(port));
        QVERIFY(display.errors.isEmpty());
    }
    QCOMPARE(rig.ended, 0);
}

void TestGameClient::fullGameTurnsTheNewcomerAwayWithTheBoxOnly()
{
    TestHost host;
    for (int n = 1; n <= 9; ++n)
        QVERIFY(host.join("P" + QByteArray::number(n)));
    ClientRig late;
    late.client.setHostaddress(QStringLiteral("127.0.0.1"));
    late.client.setPort(host.port);
    late.client.joinpress();
    QTRY_COMPARE(late.full, 1);
    QTRY_VERIFY(late.client.sock()->hasEnded() && late.client.receivedlist()->pending() == 0);
    // The window closes when the box is read, not behind it.
    QCOMPARE(late.ended, 0);
    QVERIFY(!late.client.loggedin());
}

void TestGameClient::arrivalsAndDeparturesAreToldInSlotOrder()
{
    TestHost host;
    TestClient *ann = host.join("Ann");
    TestClient *bob = host.join("Bob");
    TestClient *cy = host.join("Cy");
    QVERIFY(ann && bob && cy);
    bob->close();
    QTRY_VERIFY(!host.server.players[2].connected);

    ClientRig me;
    QVERIFY(me.join(host.port, "Me"));
    QCOMPARE(me.client.myseat(), 2);
    QTRY_COMPARE(me.lines, (QStringList{"You are Connected.", "Ann is Connected.", "Cy is Connected."}));
    QCOMPARE(me.sound.played, QStringList(3, "entered"));
    QCOMPARE(seatNames(me.roster), (QStringList{"Ann", "Me", "Cy", kWaiting}));

    QVERIFY(host.join("Dee"));
    ClientRig eve;
    QVERIFY(eve.join(host.port, "Eve"));
    QCOMPARE(eve.client.myseat(), 5);
    QTRY_COMPARE(eve.lines, (QStringList{"You are Connected.", "You are spying.", "Ann is Connected.",
                                         "Me is Connected.", "Cy is Connected.", "Dee is Connected."}));
    QCOMPARE(eve.roster.spectators(), QStringList{"5: Eve"});
    QTRY_COMPARE(me.lines.mid(3), (QStringList{"Dee is Connected.", "Eve is Connected.", "Eve is spying."}));
    QCOMPARE(me.roster.spectators(), QStringList{"5: Eve"});
    QCOMPARE(me.sound.played.size(), 5);

    eve.leave();
    QVERIFY(me.waitLine("Eve has left."));
    QVERIFY(me.roster.spectators().isEmpty());
    cy->close();
    QVERIFY(me.waitLine("Cy disconnected."));
    QCOMPARE(seatNames(me.roster), (QStringList{"Ann", "Me", kWaiting, "Dee"}));
}

void TestGameClient::watchingFollowsTheHostsAnswerOnly()
{
    TestHost host;
    ClientRig me;
    QVERIFY(me.join(host.port, "Me"));   // slot 1 may start games
    TestClient *bob = host.join("Bob");
    TestClient *cy = host.join("Cy");
    QVERIFY(bob && cy && me.waitLine("Cy is Connected."));
    me.flow.startGame(60, false);
    QVERIFY(me.waitLine("Me has started a game."));

    Roster &roster = me.roster;
    roster.JustWatch1Click();
    QVERIFY(!roster.ownWatching());   // the click alone moves nothing
    QVERIFY(me.waitLine("Me is just watching"));
    QVERIFY(roster.ownWatching() && roster.isWatching(1));
    roster.JustWatch1Click();         // checked: asks to play again
    QVERIFY(me.waitLine("Me is now playing again"));
    QVERIFY(!roster.ownWatching() && !roster.isWatching(1));

    bob->send("CMD_justwatch+2+1");
    cy->send("CMD_justwatch+3+1");
    QVERIFY(me.waitLine("Bob is just watching") && me.waitLine("Cy is just watching"));
    QVERIFY(roster.isWatching(2) && roster.isWatching(3) && !roster.ownWatching());
    cy->close();
    QVERIFY(me.waitLine("Cy disconnected."));
    QVERIFY(!roster.isWatching(3));
    // The host forgets who watched when a game starts, and says nothing.
    me.lines.clear();
    me.flow.startGame(60, false);
    QVERIFY(me.waitLine("Me has started a game."));
    QVERIFY(!roster.isWatching(2));
}

void TestGameClient::seatMenuOffersItsChoicesToTheHostOnly_data()
{
    QTest::addColumn<bool>("hostingCopy");
    QTest::addColumn<int>("seat");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<bool>("watch");
    QTest::newRow("host, taken seat") << true << 2 << true << true;
    QTest::newRow("host, empty seat") << true << 3 << false << true;
    QTest::newRow("joiner, taken seat") << false << 1 << false << false;
    QTest::newRow("joiner, empty seat") << false << 3 << false << false;
}

void TestGameClient::seatMenuOffersItsChoicesToTheHostOnly()
{
    QFETCH(bool, hostingCopy);
    QFETCH(int, seat);
    QFETCH(bool, remove);
    QFETCH(bool, watch);
    ClientRig hostCopy;
    QVERIFY(hostCopy.host("Ann"));
    ClientRig joiner;
    QVERIFY(joiner.join(hostCopy.client.port(), "Bob"));
    QVERIFY(hostCopy.waitLine("Bob is Connected."));

    Roster &roster = (hostingCopy ? hostCopy : joiner).roster;
    const Roster::SeatMenu menu = roster.label_playername1ContextPopup(seat);
    QCOMPARE(menu.remove, remove);
    QCOMPARE(menu.setWatch, watch);
    QCOMPARE(menu.unsetWatch, watch);
    QCOMPARE(roster.popupseat(), seat);
}

// The window once vanished without a word on either: a player could not
// tell a removal, or the host's end, from a crash.
void TestGameClient::removalAndTheHostsEndAreToldApart()
{
    ClientRig hostCopy;
    QVERIFY(hostCopy.host("Ann"));
    const quint16 port = hostCopy.client.port();
    ClientRig bob;
    QVERIFY(bob.join(port, "Bob"));
    TestClient cy, dee, eve;
    QVERIFY(cy.login(port, "Cy") && dee.login(port, "Dee") && eve.login(port, "Eve"));
    QCOMPARE(eve.slot(), 5);
    QVERIFY(hostCopy.waitLine("Eve is spying.") && bob.waitLine("Eve is spying."));
    const QStringList bobSaw = bob.lines;

    Roster &roster = hostCopy.roster;
    roster.label_playername1ContextPopup(2);
    roster.RemoveFromGame1Click();
    QTRY_COMPARE(bob.ended, 1);
    QCOMPARE(bob.ending, GameClient::Ending::Removed);
    QVERIFY(hostCopy.waitLine("Bob disconnected."));
    QCOMPARE(bob.lines, bobSaw);
    roster.kicking(roster.spectatorList().value(0).slot);
    QVERIFY(eve.waitClosed());
    QVERIFY(hostCopy.waitLine("Eve has left."));

    const QStringList hostSaw = hostCopy.lines;
    hostCopy.server.reset();   // the hosting copy's host goes with it
    QTRY_COMPARE(hostCopy.ended, 1);
    QCOMPARE(hostCopy.ending, GameClient::Ending::HostEnded);
    QVERIFY(cy.waitClosed() && dee.waitClosed());
    QCOMPARE(hostCopy.lines, hostSaw);
}

void TestGameClient::soundOptionsGateTheirOwnKind_data()
{
    QTest::addColumn<bool>("playSounds");
    QTest::addColumn<bool>("chatterSounds");
    QTest::addColumn<QStringList>("played");
    QTest::addColumn<QStringList>("lines");
    const QStringList arrivals(2, "entered");
    const QStringList named{"P2: <Chatter Sound> Snoring"};
    QTest::newRow("both on") << true << true << arrivals + QStringList{"wave6"} << QStringList();
    QTest::newRow("game sounds off") << false << true << QStringList{"wave6"} << QStringList();
    QTest::newRow("chatter sounds off") << true << false << arrivals << named;
    QTest::newRow("both off") << false << false << QStringList() << named;
}

void TestGameClient::soundOptionsGateTheirOwnKind()
{
    QFETCH(bool, playSounds);
    QFETCH(bool, chatterSounds);
    QFETCH(QStringList, played);
    QFETCH(QStringList, lines);
    TestHost host;
    ClientRig me;
    me.client.setPlaySounds(playSounds);
    me.client.setChatterSounds(chatterSounds);
    QVERIFY(me.join(host.port, "Me"));
    ClientRig p2;
    QVERIFY(p2.join(host.port, "P2"));
    QVERIFY(me.waitLine("P2 is Connected."));
    me.lines.clear();

    p2.client.wave20Click(6);
    QTRY_COMPARE(me.sound.played, played);
    QTRY_COMPARE(me.lines, lines);
    QCOMPARE(me.sound.played, played);
}

void TestGameClient::onlyALoggedInSeatSendsChatter()
{
    TestHost host;
    ClientRig me;
    QVERIFY(me.join(host.port, "Me"));
    TestClient *p2 = host.join("P2");
    QVERIFY(p2 && host.join("P3") && host.join("P4"));
    ClientRig spy;
    QVERIFY(spy.join(host.port, "Spy"));
    QCOMPARE(spy.client.myseat(), 5);

    ErrorRecorder display;
    ClientRig idle;   // never connected
    idle.client.wave20Click(3);
    QVERIFY(display.errors.isEmpty());
    // Whatever the spectator sent is relayed before its chat line that follows.
    spy.client.wave20Click(3);
    spy.client.send(msg::Chat{5, "done|clBlack"});
    me.client.wave20Click(4);
    QVERIFY(!p2->waitFor("CMD_chat+5+").isEmpty());
    QVERIFY(until([&] { return p2->received().contains("CMD_playasound+1+wave4+"); }));
    for (const QByteArray &message : p2->received())
        QVERIFY2(!message.startsWith("CMD_playasound+5+"), message.constData());
}

// A spectator logging in again and again, a hostile host's huge names and a
// departure under another name once left ghosts that later removed
// whoever held the slot next.
void TestGameClient::spyListKeepsOneEntryPerSlot()
{
    ClientRig me;
    me.seat(1);
    Tspylist list;
    list.follow(&me.roster);
    const auto hear = [&](const QByteArray &line) {
        me.client.receivedlist()->enqueue(line);
        QTRY_COMPARE(me.client.receivedlist()->pending(), 0);
    };
    hear("CMD_newplayerinfo+6+Eve");
    for (int i = 0; i < 100; ++i)
        hear("CMD_newplayerinfo+5+Spy" + QByteArray::number(i));
    hear("CMD_newplayerinfo+5+" + QByteArray(60000, 'n'));
    const QString cut = QStringLiteral("5: ") + QString(24, u'n');
    QCOMPARE(me.roster.spectators(), (QStringList{"6: Eve", cut}));
    QCOMPARE(list.listbox_spys->count(), 2);
    QCOMPARE(list.listbox_spys->item(1)->text(), cut);

    QSignalSpy removal(&list, &Tspylist::removeRequested);
    list.listbox_spysMouseMove(list.listbox_spys->visualItemRect(list.listbox_spys->item(1)).center());
    list.popup_kickhimClick();
    QCOMPARE(removal.count(), 1);
    QCOMPARE(removal.at(0).at(0).toInt(), 5);

    hear("CMD_playerdisconnected+5+Other");
    QCOMPARE(me.roster.spectators(), QStringList{"6: Eve"});
    QCOMPARE(list.listbox_spys->count(), 1);
    QCOMPARE(list.listbox_spys->item(0)->text(), QStringLiteral("6: Eve"));
}

void TestGameClient::hostileFieldsAreIgnored_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("notANumber");   // the error display tells, nothing else does
    QTest::newRow("login to slot 10") << QByteArray("CMD_sendlogininfo+10") << false;
    QTest::newRow("arrival in slot 10") << QByteArray("CMD_existingplayers+10+Mallory") << false;
    QTest::newRow("departure of slot 12") << QByteArray("CMD_playerdisconnected+12+Ann") << false;
    QTest::newRow("chatter from a spectator's slot") << QByteArray("CMD_playasound+5+wave1+") << false;
    QTest::newRow("chatter beyond the menu") << QByteArray("CMD_playasound+2+wave21+") << false;
    QTest::newRow("a game sound as chatter") << QByteArray("CMD_playasound+2+strike+") << false;
    QTest::newRow("seat 5 watching") << QByteArray("CMD_justwatching+5+1") << false;
    QTest::newRow("watching seat not a number") << QByteArray("CMD_justwatching+x+1") << true;
    QTest::newRow("turn of seat 9") << QByteArray("CMD_nextplayer+9+1+") << false;
    QTest::newRow("another seat's refused word") << QByteArray("CMD_worderror+3+") << false;
    QTest::newRow("winner naming no seat") << QByteArray("CMD_winner+0+7+") << false;
    QTest::newRow("late join of another slot") << QByteArray("CMD_loadstats+3+60+f+30+1+2+3+4+") << false;
}

void TestGameClient::hostileFieldsAreIgnored()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, notANumber);
    ClientRig me;
    me.seat(2);
    me.roster.newplayerinfo(1, "Ann");
    me.roster.newplayerinfo(2, "Me");
    me.roster.newplayerinfo(5, "Spy");
    me.lines.clear();
    me.sound.played.clear();

    ErrorRecorder display;
    me.client.receivedlist()->enqueue(message);
    QTRY_COMPARE(me.client.receivedlist()->pending(), 0);
    QCOMPARE(display.errors.size(), notANumber ? 1 : 0);
    QCOMPARE(me.lines, QStringList());
    QCOMPARE(me.sound.played, QStringList());
    QCOMPARE(me.status, QString());
    QCOMPARE(me.client.myseat(), 2);
    QCOMPARE(seatNames(me.roster), (QStringList{"Ann", "Me", kWaiting, kWaiting}));
    QCOMPARE(me.roster.spectators(), QStringList{"5: Spy"});
    for (int seat = 1; seat <= 4; ++seat)
        QVERIFY(!me.roster.isWatching(seat) && !me.flow.winnerShown(seat));
    QVERIFY(!me.clock.isRunning());
}

QTEST_MAIN(TestGameClient)
#include "test_gameclient.moc"
