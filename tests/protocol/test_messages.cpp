// Every message both ways: the text on the wire, the value it reads as, and
// back to the same bytes; and the malformed forms each side refuses.
#include "base/numbers.h"
#include "net/framing.h"
#include "protocol/messages.h"

#include <QtTest>

Q_DECLARE_METATYPE(msg::ToHost)
Q_DECLARE_METATYPE(msg::ToClient)

namespace {

using namespace msg;

QByteArray framed(const QByteArray &line)
{
    return line + wire::kTerminator;
}

SeatScore seatScore(int seat, int total, std::array<int, 3> counts, std::array<QByteArray, 3> words,
                    std::array<int, 10> running)
{
    return SeatScore{seat, total, counts, words, running};
}

constexpr std::array<int, 10> kUnknown{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

} // namespace

class TestMessages : public QObject
{
    Q_OBJECT

private slots:
    void toHostReadsAndWritesTheSameBytes_data();
    void toHostReadsAndWritesTheSameBytes();
    void toClientReadsAndWritesTheSameBytes_data();
    void toClientReadsAndWritesTheSameBytes();
    void malformedMessagesAreRefused_data();
    void malformedMessagesAreRefused();
    void terminatorInsideATextNeverEndsTheMessage();
};

void TestMessages::toHostReadsAndWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<ToHost>("value");
    QTest::newRow("login, a name with +") << QByteArray("CMD_logininfo+2+1.0.9+Ann+Bob") << ToHost(LoginInfo{2, "1.0.9", "Ann+Bob"});
    QTest::newRow("kick") << QByteArray("CMD_kickhim+1+6+") << ToHost(KickHim{1, 6});
    QTest::newRow("chat") << QByteArray("CMD_chat+3+hi|there|clBlack") << ToHost(Chat{3, "hi|there|clBlack"});
    QTest::newRow("action") << QByteArray("CMD_action+1+waves|$00FF0000") << ToHost(Action{1, "waves|$00FF0000"});
    QTest::newRow("start") << QByteArray("CMD_startgame+Ann+60+t+") << ToHost(StartGame{"Ann", 60, "t"});
    QTest::newRow("watch") << QByteArray("CMD_justwatch+4+1") << ToHost(JustWatch{4, true});
    QTest::newRow("play again") << QByteArray("CMD_justwatch+2+2") << ToHost(JustWatch{2, false});
    QTest::newRow("word") << QByteArray("CMD_sendword+3+10+1+4") << ToHost(SendWord{3, {10, 1, 4}});
    QTest::newRow("empty word") << QByteArray("CMD_sendword+3") << ToHost(SendWord{3, {}});
    QTest::newRow("sound") << QByteArray("CMD_playasound+2+wave20+") << ToHost(PlayASound{2, 20});
    QTest::newRow("probe") << QByteArray("CMD_probe+0123456789abcdef0123456789abcdef")
                           << ToHost(Probe{"0123456789abcdef0123456789abcdef"});
}

void TestMessages::toHostReadsAndWritesTheSameBytes()
{
    QFETCH(QByteArray, line);
    QFETCH(ToHost, value);
    const std::optional<ToHost> read = readToHost(line);
    QVERIFY(read);
    QVERIFY(*read == value);
    QCOMPARE(std::visit([](const auto &m) { return encode(m); }, value), framed(line));
}

void TestMessages::toClientReadsAndWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<ToClient>("value");
    QTest::newRow("slot") << QByteArray("CMD_sendlogininfo+5") << ToClient(SendLoginInfo{5});
    QTest::newRow("chat") << QByteArray("CMD_chat+2+Ann chats: hi|clBlack") << ToClient(Chat{2, "Ann chats: hi|clBlack"});
    QTest::newRow("host's notice") << QByteArray("CMD_chat+0+slow down|clBlue") << ToClient(Chat{0, "slow down|clBlue"});
    QTest::newRow("action") << QByteArray("CMD_action+2+Ann waves|clBlack") << ToClient(Action{2, "Ann waves|clBlack"});
    QTest::newRow("arrival") << QByteArray("CMD_newplayerinfo+3+A+B") << ToClient(NewPlayerInfo{3, "A+B"});
    QTest::newRow("other version") << QByteArray("CMD_havewrongversion+Bob") << ToClient(HaveWrongVersion{"Bob"});
    QTest::newRow("own version") << QByteArray("CMD_wrongversion+") << ToClient(WrongVersion{});
    QTest::newRow("present") << QByteArray("CMD_existingplayers+7+Eve") << ToClient(ExistingPlayers{7, "Eve"});
    QTest::newRow("left unnamed") << QByteArray("CMD_playerdisconnected+4+") << ToClient(PlayerDisconnected{4, ""});
    QTest::newRow("start") << QByteArray("CMD_startgame+Ann+45+f+") << ToClient(StartGame{"Ann", 45, "f"});
    QTest::newRow("turn") << QByteArray("CMD_nextplayer+1+10+") << ToClient(NextPlayer{1, 10});
    QTest::newRow("team win") << QByteArray("CMD_winner+1+3+") << ToClient(Winner{{1, 3}});
    QTest::newRow("one winner") << QByteArray("CMD_winner+4+") << ToClient(Winner{{4}});
    QTest::newRow("full") << QByteArray("CMD_full+") << ToClient(Full{});
    QTest::newRow("watching") << QByteArray("CMD_justwatching+3+1") << ToClient(JustWatching{3, true});
    QTest::newRow("refused") << QByteArray("CMD_worderror+2+") << ToClient(WordError{2});
    QTest::newRow("accepted") << QByteArray("CMD_goodword+2+7+123+2+4+") << ToClient(GoodWord{2, 7, 123, 2, 4});
    QTest::newRow("time") << QByteArray("CMD_timeisup+") << ToClient(TimeIsUp{});
    QTest::newRow("late join") << QByteArray("CMD_loadstats+6+60+t+37+10+0+300+9+")
                               << ToClient(LoadStats{6, 60, "t", 37, {"10", "0", "300", "9"}});
    QTest::newRow("sound") << QByteArray("CMD_playasound+1+wave1+") << ToClient(PlayASound{1, 1});

    // "backstroke": b went to 4, a to 9 and so on; pairs in the word's order.
    QTest::newRow("deal")
        << QByteArray("CMD_theletters+0+4+b+9+a+1+c+10+k+2+s+3+t+5+r+6+o+7+k+8+e")
        << ToClient(TheLetters{0, {{4, 'b'}, {9, 'a'}, {1, 'c'}, {10, 'k'}, {2, 's'}, {3, 't'}, {5, 'r'}, {6, 'o'}, {7, 'k'}, {8, 'e'}}});
    QTest::newRow("bonus rack, a tile gone")
        << QByteArray("CMD_theletters+2+1+q+2+u+3+i+4+c+5+k+6+s+7+a+8+n+9+d+10+")
        << ToClient(TheLetters{2, {{1, 'q'}, {2, 'u'}, {3, 'i'}, {4, 'c'}, {5, 'k'}, {6, 's'}, {7, 'a'}, {8, 'n'}, {9, 'd'}, {10, 0}}});

    // Seat 1 after frame 2: a strike, then "stream" and "lie" on "streamline".
    PostScores frame2{2, "streamline", "streamline", {}, {}, {}};
    frame2.seats << seatScore(1, 28, {6, 3, -1}, {"stream", "lie", ""}, {19, 28, -1, -1, -1, -1, -1, -1, -1, -1});
    for (int seat = 2; seat <= 4; ++seat)
        frame2.seats << seatScore(seat, 0, {0, 0, -1}, {"", "", ""}, {0, 0, -1, -1, -1, -1, -1, -1, -1, -1});
    QTest::newRow("scores")
        << QByteArray("CMD_postscores+2+streamline+streamline"
                      "+1*28*6*3*-1*stream*lie*+1#1#19#2#28#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
                      "+2*0*0*0*-1***+2#1#0#2#0#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
                      "+3*0*0*0*-1***+3#1#0#2#0#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
                      "+4*0*0*0*-1***+4#1#0#2#0#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1")
        << ToClient(frame2);
    PostScores frame10{10, "quicksand", "backstroke", "quicksands", "pineapples", {}};
    frame10.seats << seatScore(3, 300, {10, 10, 10}, {"backstroke", "quicksands", "pineapples"},
                               {30, 60, 90, 120, 150, 180, 210, 240, 270, 300});
    QTest::newRow("last frame, bonus words")
        << QByteArray("CMD_postscores+10+quicksand+backstroke+quicksands+pineapples"
                      "+3*300*10*10*10*backstroke*quicksands*pineapples"
                      "+3#1#30#2#60#3#90#4#120#5#150#6#180#7#210#8#240#9#270#10#300")
        << ToClient(frame10);
}

void TestMessages::toClientReadsAndWritesTheSameBytes()
{
    QFETCH(QByteArray, line);
    QFETCH(ToClient, value);
    const std::optional<ToClient> read = readToClient(line);
    QVERIFY(read);
    QVERIFY(*read == value);
    QCOMPARE(std::visit([](const auto &m) { return encode(m); }, value), framed(line));
}

void TestMessages::malformedMessagesAreRefused_data()
{
    QTest::addColumn<bool>("toHost");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("notANumber");
    const auto host = [](const char *name, const char *line, bool notANumber = false) {
        QTest::newRow(name) << true << QByteArray(line) << notANumber;
    };
    const auto client = [](const char *name, const char *line, bool notANumber = false) {
        QTest::newRow(name) << false << QByteArray(line) << notANumber;
    };
    client("no plus", "CMD_full");
    client("empty line", "");
    client("a prefix of a name", "CMD_ful+");
    client("unknown command", "CMD_fulll+");
    client("command name case", "cmd_full+");
    client("empty command", "+5");
    client("a client's message to a client", "CMD_sendword+1+2");
    host("a host's message to the host", "CMD_sendlogininfo+1");

    host("login from slot 10", "CMD_logininfo+10+1.0.9+Ann");
    host("login slot not a number", "CMD_logininfo+x1+1.0.9+Ann", true);
    host("kick slot 0", "CMD_kickhim+1+0+");
    host("chat from slot 0", "CMD_chat+0+hi|clBlack");
    host("watch from a spectator", "CMD_justwatch+5+1");
    host("watch request 3", "CMD_justwatch+2+3");
    host("word from seat 5", "CMD_sendword+5+1");
    host("position 0", "CMD_sendword+1+0+2");
    host("position 11", "CMD_sendword+1+11");
    host("eleven positions", "CMD_sendword+1+1+2+3+4+5+6+7+8+9+10+1");
    host("position not a number", "CMD_sendword+1+2+two", true);
    host("trailing + after positions", "CMD_sendword+1+2+", true);
    host("a marker among positions", "CMD_sendword+1+@+2", true);
    host("sound 21", "CMD_playasound+1+wave21+");
    host("sound 0", "CMD_playasound+1+wave0+");
    host("sound not a wave", "CMD_playasound+1+../../x+");
    host("probe too short to be unguessable", "CMD_probe+0123456789abcde");
    host("probe not hex", "CMD_probe+0123456789abcdefghij");

    client("slot 10", "CMD_sendlogininfo+10");
    client("arrival slot 0", "CMD_newplayerinfo+0+Ann");
    client("turn of seat 5", "CMD_nextplayer+5+1+");
    client("turn in frame 11", "CMD_nextplayer+1+11+");
    client("nobody won", "CMD_winner+");
    client("winner seat 9", "CMD_winner+1+9+");
    client("winner not a number", "CMD_winner+x+", true);
    client("deal to slot 5", "CMD_theletters+5+1+a");
    client("tile 11", "CMD_theletters+0+11+a");
    client("two letters on a tile", "CMD_theletters+0+1+ab");
    client("capital letter", "CMD_theletters+0+1+A");
    client("a position without its letter", "CMD_theletters+0+1+a+2");
    client("eleven tiles", "CMD_theletters+0+1+a+2+b+3+c+4+d+5+e+6+f+7+g+8+h+9+i+10+j+1+k");
    client("tile not a number", "CMD_theletters+0+1+q+two+q", true);
    client("verdict for seat 0", "CMD_worderror+0+");
    client("ball 4", "CMD_goodword+1+3+10+4+5+");
    client("eleven letters", "CMD_goodword+1+3+10+1+11+");
    client("total above a perfect game", "CMD_goodword+1+3+301+1+5+");
    client("late join countdown below 0", "CMD_loadstats+5+60+f+-1+0+0+0+0+");
    client("scores of frame 0", "CMD_postscores+0+a+b");
    client("scores of frame 11", "CMD_postscores+11+a+b");
    client("scores of seat 5", "CMD_postscores+1+a+b+5*0*0*0*-1***+5#1#0");
    client("the same seat twice", "CMD_postscores+1+a+b+1*0*0*0*-1***+1#1#0+1*0*0*0*-1***+1#1#0");
    client("a starfield without its hashfield", "CMD_postscores+1+a+b+1*0*0*0*-1***");
    client("a starfield short of a word", "CMD_postscores+1+a+b+1*0*0*0*-1**+1#1#0");
    client("a hashfield of another seat", "CMD_postscores+1+a+b+1*0*0*0*-1***+2#1#0");
    client("a running total above 300", "CMD_postscores+1+a+b+1*0*0*0*-1***+1#1#301");
    client("frame 11 in a hashfield", "CMD_postscores+1+a+b+1*0*0*0*-1***+1#11#0");
    client("eleven letters counted", "CMD_postscores+1+a+b+1*0*11*0*-1***+1#1#0");
    client("a word longer than a rack", "CMD_postscores+1+a+b+1*0*0*0*-1*abcdefghijk**+1#1#0");
    client("a frame word longer than a rack", "CMD_postscores+1+a+abcdefghijk");
    client("five blocks", "CMD_postscores+1+a+b+1*0*0*0*-1***+1#1#0+2*0*0*0*-1***+2#1#0+3*0*0*0*-1***+3#1#0"
                          "+4*0*0*0*-1***+4#1#0+4*0*0*0*-1***+4#1#0");
    client("total not a number", "CMD_postscores+1+a+b+1*x*0*0*-1***+1#1#0", true);
}

void TestMessages::malformedMessagesAreRefused()
{
    QFETCH(bool, toHost);
    QFETCH(QByteArray, line);
    QFETCH(bool, notANumber);
    try {
        const bool read = toHost ? readToHost(line).has_value() : readToClient(line).has_value();
        QVERIFY2(!read, "a malformed message was read");
        QVERIFY(!notANumber);
    } catch (const EConvertError &) {
        QVERIFY(notANumber);
    }
}

void TestMessages::terminatorInsideATextNeverEndsTheMessage()
{
    const QByteArray message = encode(Chat{1, QByteArray("a") + wire::kTerminator + "b|clBlack"});
    QCOMPARE(message.count(wire::kTerminator), 1);
    QVERIFY(message.endsWith(wire::kTerminator));
}

QTEST_GUILESS_MAIN(TestMessages)
#include "test_messages.moc"
