// The directory's messages: the text on the wire, the value it reads as, and
// back to the same bytes; and the malformed forms, which read as nothing.
#include "base/numbers.h"
#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <QtTest>

Q_DECLARE_METATYPE(msg::ToDirectory)
Q_DECLARE_METATYPE(msg::FromDirectory)

namespace {

using namespace msg;

const QByteArray kChallenge = "00112233445566778899aabbccddeeff";
const QByteArray kAnswer = "ffeeddccbbaa99887766554433221100";

} // namespace

class TestDirectoryMessages : public QObject
{
    Q_OBJECT

private slots:
    void toDirectoryReadsAndWritesTheSameBytes_data();
    void toDirectoryReadsAndWritesTheSameBytes();
    void fromDirectoryReadsAndWritesTheSameBytes_data();
    void fromDirectoryReadsAndWritesTheSameBytes();
    void malformedMessagesReadAsNothing_data();
    void malformedMessagesReadAsNothing();
    void probeReplyIsTheAnswerOrFullAndNothingElse();
    void relayReadsAJoinOrAHelloAndNothingElse();
};

void TestDirectoryMessages::toDirectoryReadsAndWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<ToDirectory>("value");
    QTest::newRow("table, a name with +") << QByteArray("CMD_dirtable+1+7772+2+5+playing+Ann+Bob's table")
                                          << ToDirectory(DirTable{1, 7772, 2, 5, true, "Ann+Bob's table"});
    QTest::newRow("heartbeat") << QByteArray("CMD_dirbeat+") << ToDirectory(DirBeat{});
    QTest::newRow("recheck") << QByteArray("CMD_dirrecheck+") << ToDirectory(DirRecheck{});
    QTest::newRow("ready") << "CMD_dirready+" + kChallenge << ToDirectory(DirReady{kChallenge});
    QTest::newRow("list") << QByteArray("CMD_dirlist+t+2+1+3") << ToDirectory(DirList{true, 2, 1, 3});
    QTest::newRow("list of all") << QByteArray("CMD_dirlist+f+0+0+0") << ToDirectory(DirList{});
    QTest::newRow("resolve") << QByteArray("CMD_dirresolve+KXQ4TP") << ToDirectory(DirResolve{"KXQ4TP"});
}

void TestDirectoryMessages::toDirectoryReadsAndWritesTheSameBytes()
{
    QFETCH(QByteArray, line);
    QFETCH(ToDirectory, value);
    const std::optional<ToDirectory> read = readToDirectory(line);
    QVERIFY(read);
    QVERIFY(*read == value);
    QCOMPARE(std::visit([](const auto &m) { return encode(m); }, value), line + wire::kTerminator);
}

void TestDirectoryMessages::fromDirectoryReadsAndWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<FromDirectory>("value");
    const DirItem item{"KXQ4TP", "2001:db8::7", 7772, 1, 0, false, Reach::Unreachable, 1, "Ann's table"};
    QTest::newRow("code") << QByteArray("CMD_dircode+KXQ4TP+30") << FromDirectory(DirCode{"KXQ4TP", 30});
    QTest::newRow("probe") << "CMD_dirprobe+" + kChallenge + '+' + kAnswer
                           << FromDirectory(DirProbe{kChallenge, kAnswer});
    QTest::newRow("reach") << QByteArray("CMD_dirreach+direct") << FromDirectory(DirReach{Reach::Direct});
    QTest::newRow("refused") << QByteArray("CMD_dirrefused+too many tables from this address")
                             << FromDirectory(DirRefused{"too many tables from this address"});
    QTest::newRow("item on IPv6") << QByteArray("CMD_diritem+KXQ4TP+2001:db8::7+7772+1+0+waiting+unreachable+1+Ann's table")
                                  << FromDirectory(item);
    QTest::newRow("end of a page") << QByteArray("CMD_dirpage+2+50+t") << FromDirectory(DirPage{2, 50, true});
    QTest::newRow("found") << QByteArray("CMD_dirfound+KXQ4TP+2001:db8::7+7772+1+0+waiting+unreachable+1+Ann's table")
                           << FromDirectory(DirFound{item});
    QTest::newRow("not found") << QByteArray("CMD_dirnotfound+KXQ4TQ") << FromDirectory(DirNotFound{"KXQ4TQ"});
    QTest::newRow("relayed item") << QByteArray("CMD_diritem+KXQ4TP+10.0.0.7+7772+0+0+waiting+relayed+1+Ann")
                                  << FromDirectory(DirItem{"KXQ4TP", "10.0.0.7", 7772, 0, 0, false, Reach::Relayed, 1, "Ann"});
    QTest::newRow("relay a client") << "CMD_dirrelay+" + kChallenge + "+2001:db8::9"
                                    << FromDirectory(DirRelay{kChallenge, "2001:db8::9"});
}

void TestDirectoryMessages::fromDirectoryReadsAndWritesTheSameBytes()
{
    QFETCH(QByteArray, line);
    QFETCH(FromDirectory, value);
    const std::optional<FromDirectory> read = readFromDirectory(line);
    QVERIFY(read);
    QVERIFY(*read == value);
    QCOMPARE(std::visit([](const auto &m) { return encode(m); }, value), line + wire::kTerminator);
}

void TestDirectoryMessages::malformedMessagesReadAsNothing_data()
{
    QTest::addColumn<bool>("toDirectory");
    QTest::addColumn<QByteArray>("line");
    const auto to = [](const char *name, const QByteArray &line) { QTest::newRow(name) << true << line; };
    const auto from = [](const char *name, const QByteArray &line) { QTest::newRow(name) << false << line; };
    to("five seats taken", "CMD_dirtable+1+7772+5+0+waiting+Ann");
    to("six spectators", "CMD_dirtable+1+7772+0+6+waiting+Ann");
    to("port 0", "CMD_dirtable+1+0+0+0+waiting+Ann");
    to("port 65536", "CMD_dirtable+1+65536+0+0+waiting+Ann");
    to("version 0", "CMD_dirtable+0+7772+0+0+waiting+Ann");
    to("a state of its own", "CMD_dirtable+1+7772+0+0+idle+Ann");
    to("no name field", "CMD_dirtable+1+7772+0+0+waiting");
    to("ready with a short challenge", "CMD_dirready+00112233");
    to("ready with capital hex", "CMD_dirready+" + kChallenge.toUpper());
    to("list flag not t or f", "CMD_dirlist+x+0+0+0");
    to("list of five free seats", "CMD_dirlist+f+5+0+0");
    to("list of a page below 0", "CMD_dirlist+f+0+0+-1");
    to("resolve a code with a dot", "CMD_dirresolve+KXQ.TP");
    to("resolve nothing", "CMD_dirresolve+");
    to("a directory's message to the directory", "CMD_dircode+KXQ4TP+30");
    from("item with a name for an address", "CMD_diritem+KXQ4TP+example.org+7772+1+0+waiting+direct+1+Ann");
    from("item with a reach of its own", "CMD_diritem+KXQ4TP+10.0.0.1+7772+1+0+waiting+maybe+1+Ann");
    from("item without a name field", "CMD_diritem+KXQ4TP+10.0.0.1+7772+1+0+waiting+direct+1");
    from("probe without its answer", "CMD_dirprobe+" + kChallenge);
    from("reach of its own", "CMD_dirreach+sometimes");
    from("code without its heartbeat", "CMD_dircode+KXQ4TP");
    from("heartbeat of 0 seconds", "CMD_dircode+KXQ4TP+0");
    from("page flag not t or f", "CMD_dirpage+0+1+yes");
    from("a client's message from the directory", "CMD_dirlist+f+0+0+0");
    from("relay with a short session", "CMD_dirrelay+00112233+10.0.0.9");
    from("relay to a name", "CMD_dirrelay+" + kChallenge + "+example.org");
    // A directory without a relay must not take a relay's message for its own.
    to("a join, to a directory", "CMD_dirjoin+KXQ4TP");
}

void TestDirectoryMessages::malformedMessagesReadAsNothing()
{
    QFETCH(bool, toDirectory);
    QFETCH(QByteArray, line);
    bool read = false;
    try {
        read = toDirectory ? readToDirectory(line).has_value() : readFromDirectory(line).has_value();
    } catch (const EConvertError &) {
        // a missing number, as the game's messages report it
    }
    QVERIFY2(!read, "a malformed message was read");
}

void TestDirectoryMessages::probeReplyIsTheAnswerOrFullAndNothingElse()
{
    const std::optional<ProbeReply> answer = readProbeReply("CMD_probeok+" + kAnswer);
    QVERIFY(answer && std::get<ProbeOk>(*answer).answer == kAnswer);
    QCOMPARE(encode(ProbeOk{kAnswer}), "CMD_probeok+" + kAnswer + wire::kTerminator);
    QVERIFY(readProbeReply("CMD_full+") && std::holds_alternative<Full>(*readProbeReply("CMD_full+")));
    // What a host says to every newcomer, and a forged answer that is no token.
    QVERIFY(!readProbeReply("CMD_sendlogininfo+2"));
    QVERIFY(!readProbeReply("CMD_probeok+CMD_probe+" + kChallenge));
}

void TestDirectoryMessages::relayReadsAJoinOrAHelloAndNothingElse()
{
    const std::optional<ToRelay> join = readToRelay("CMD_dirjoin+KXQ4TP");
    QVERIFY(join && std::get<DirJoin>(*join).code == "KXQ4TP");
    QCOMPARE(encode(DirJoin{"KXQ4TP"}), QByteArray("CMD_dirjoin+KXQ4TP") + wire::kTerminator);
    const std::optional<ToRelay> hello = readToRelay("CMD_dirrelayhello+" + kChallenge);
    QVERIFY(hello && std::get<DirRelayHello>(*hello).session == kChallenge);
    QCOMPARE(encode(DirRelayHello{kChallenge}), "CMD_dirrelayhello+" + kChallenge + wire::kTerminator);
    QVERIFY(!readToRelay("CMD_dirrelayhello+00112233"));
    QVERIFY(!readToRelay("CMD_dirjoin+KXQ.TP"));
    QVERIFY(!readToRelay("CMD_dirresolve+KXQ4TP"));
}

QTEST_GUILESS_MAIN(TestDirectoryMessages)
#include "test_directorymessages.moc"
