#include "finder/tableinfo.h"

#include <QtTest>

class TableInfoTest : public QObject
{
    Q_OBJECT

private slots:
    void replyIsDecodedOrRefused_data();
    void replyIsDecodedOrRefused();
    void txtIsDecodedOrRefused_data();
    void txtIsDecodedOrRefused();
    void namesAreCutToPrintableCharacters_data();
    void namesAreCutToPrintableCharacters();
    void longestReplyFitsInTheQuery();
    void defaultNameKeepsItsSuffix();
};

namespace {

const QHostAddress kSender(QStringLiteral("10.0.0.7"));

TableInfo sample()
{
    TableInfo table;
    table.name = QStringLiteral("Ann's table");
    table.port = 7790;
    table.seatsTaken = 3;
    table.spectators = 5;
    table.state = TableInfo::State::Playing;
    table.tableId = 0xfedcba9876543210ULL;
    return table;
}

// A reply of sample() with one field line replaced (or added when absent).
QByteArray replyWith(const QByteArray &key, const QByteArray &line)
{
    QList<QByteArray> lines = sample().toFallbackReply().split('\n');
    bool replaced = false;
    for (QByteArray &l : lines) {
        if (l.startsWith(key + '=')) {
            l = line;
            replaced = true;
        }
    }
    if (!replaced)
        lines.insert(1, line);
    return lines.join('\n');
}

} // namespace

void TableInfoTest::replyIsDecodedOrRefused_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("seats");

    QTest::newRow("as sent") << sample().toFallbackReply() << true << 3;
    QTest::newRow("port 0") << replyWith("port", "port=0") << false << 0;
    QTest::newRow("port 65536") << replyWith("port", "port=65536") << false << 0;
    QTest::newRow("port 700000") << replyWith("port", "port=700000") << false << 0;
    QTest::newRow("port negative") << replyWith("port", "port=-1") << false << 0;
    QTest::newRow("port with a sign") << replyWith("port", "port=+80") << false << 0;
    QTest::newRow("port with trailing text") << replyWith("port", "port=80x") << false << 0;
    QTest::newRow("no port") << replyWith("port", "") << false << 0;
    QTest::newRow("five seats") << replyWith("seats", "seats=5") << false << 0;
    QTest::newRow("six spectators") << replyWith("spectators", "spectators=6") << false << 0;
    QTest::newRow("huge number") << replyWith("seats", "seats=99999999999999999999") << false << 0;
    QTest::newRow("unknown state") << replyWith("state", "state=paused") << false << 0;
    QTest::newRow("no state") << replyWith("state", "") << false << 0;
    QTest::newRow("version 0") << replyWith("v", "v=0") << false << 0;
    QTest::newRow("no version") << replyWith("v", "") << false << 0;
    QTest::newRow("id 0") << replyWith("id", "id=0") << false << 0;
    QTest::newRow("id too long") << replyWith("id", "id=11112222333344445") << false << 0;
    QTest::newRow("id not hex") << replyWith("id", "id=12g4") << false << 0;
    QTest::newRow("no id is fine") << replyWith("id", "") << true << 3;
    QTest::newRow("empty name") << replyWith("name", "name=") << false << 0;
    QTest::newRow("blank name") << replyWith("name", "name=   ") << false << 0;
    QTest::newRow("unknown key ignored") << replyWith("colour", "colour=blue") << true << 3;
    QTest::newRow("upper-case key") << replyWith("seats", "SEATS=2") << true << 2;
    QTest::newRow("first of two keys counts") << replyWith("seats", "seats=2\nseats=9") << true << 2;
    QTest::newRow("cut off before its end") << sample().toFallbackReply().chopped(3) << false << 0;
    QTest::newRow("longer than any reply") << replyWith("name", "name=" + QByteArray(300, 'x')) << false << 0;
    QTest::newRow("a query") << TableInfo::fallbackQuery() << false << 0;
    QTest::newRow("another format version") << QByteArray(sample().toFallbackReply()).replace("FIND 1", "FIND 2")
                                             << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
}

void TableInfoTest::replyIsDecodedOrRefused()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, accepted);
    QFETCH(int, seats);
    const auto table = TableInfo::fromFallbackReply(datagram, kSender);
    QCOMPARE(table.has_value(), accepted);
    if (!accepted)
        return;
    QCOMPARE(table->seatsTaken, seats);
    // The address is whoever answered, whatever the reply says.
    QCOMPARE(table->address, kSender);
    QCOMPARE(table->port, sample().port);
    QCOMPARE(table->name, sample().name);
    QCOMPARE(table->source, TableInfo::Source::Udp);
}

void TableInfoTest::txtIsDecodedOrRefused_data()
{
    QTest::addColumn<QList<QByteArray>>("txt");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("joinable");

    const QList<QByteArray> good = sample().toTxt();
    QTest::newRow("as sent") << good << 7790 << true << true;
    QTest::newRow("SRV port 0") << good << 0 << false << false;
    QTest::newRow("SRV port 65536") << good << 65536 << false << false;
    QTest::newRow("a port string does not count") << (QList<QByteArray>{"port=1"} + good) << 7790 << true << true;
    QTest::newRow("attribute without value") << (QList<QByteArray>{"flag"} + good) << 7790 << true << true;
    QTest::newRow("another version") << (QList<QByteArray>{"v=2"} + good) << 7790 << true << false;
    QTest::newRow("seats out of range") << (QList<QByteArray>{"seats=7"} + good) << 7790 << false << false;
    QTest::newRow("binary junk value") << (QList<QByteArray>{QByteArray("state=\0\xff", 8)} + good) << 7790 << false
                                       << false;
    QTest::newRow("nothing") << QList<QByteArray>() << 7790 << false << false;
}

void TableInfoTest::txtIsDecodedOrRefused()
{
    QFETCH(QList<QByteArray>, txt);
    QFETCH(int, port);
    QFETCH(bool, accepted);
    QFETCH(bool, joinable);
    const auto table = TableInfo::fromTxt(u"Ann's table", txt, kSender, port);
    QCOMPARE(table.has_value(), accepted);
    if (!accepted)
        return;
    QCOMPARE(table->isJoinable(), joinable);
    QCOMPARE(table->port, quint16(port));
    QCOMPARE(table->tableId, sample().tableId);
    QCOMPARE(table->seatsTaken, sample().seatsTaken);
    QCOMPARE(table->spectators, sample().spectators);
    QCOMPARE(table->state, sample().state);
    QCOMPARE(table->source, TableInfo::Source::Lan);
}

void TableInfoTest::namesAreCutToPrintableCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("short") << QStringLiteral("Ann") << QStringLiteral("Ann");
    QTest::newRow("blanks trimmed") << QStringLiteral("  Ann  ") << QStringLiteral("Ann");
    QTest::newRow("long") << QString(40, QLatin1Char('a')) << QString(TableInfo::kMaxNameChars, QLatin1Char('a'));
    QTest::newRow("escape and tab") << QStringLiteral("A\x1b[2J\tB") << QStringLiteral("A?[2J?B");
    QTest::newRow("right-to-left override") << QStringLiteral("A\u202eB") << QStringLiteral("A?B");
    // Three bytes each: the DNS label's 63 bytes end it first.
    QTest::newRow("wide characters") << QString(30, QChar(0x4e2d)) << QString(21, QChar(0x4e2d));
    // A surrogate pair is one character and never split.
    const QString clef = QStringLiteral("\U0001D11E");
    QTest::newRow("pairs") << clef.repeated(30) << clef.repeated(15);
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + QStringLiteral("x") << QStringLiteral("?x");
}

void TableInfoTest::namesAreCutToPrintableCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(TableInfo::cleanName(name), expected);
    // Whatever a host sends, a finder sees the same.
    TableInfo table = sample();
    table.name = name;
    const auto decoded = TableInfo::fromFallbackReply(table.toFallbackReply(), kSender);
    QVERIFY(decoded);
    QCOMPARE(decoded->name, expected);
}

void TableInfoTest::longestReplyFitsInTheQuery()
{
    // A responder never answers a smaller query: the biggest table must fit.
    TableInfo table = sample();
    table.name = QString(TableInfo::kMaxNameChars, QChar(0x4e2d));
    table.port = 65535;
    table.protocolVersion = 65535;
    table.tableId = ~0ULL;
    const QByteArray reply = table.toFallbackReply();
    QVERIFY2(reply.size() <= TableInfo::fallbackQuery().size(), reply.constData());
    QVERIFY(TableInfo::fromFallbackReply(reply, kSender));
    QVERIFY(TableInfo::isFallbackQuery(TableInfo::fallbackQuery()));
    QVERIFY(!TableInfo::isFallbackQuery(reply));
}

void TableInfoTest::defaultNameKeepsItsSuffix()
{
    QCOMPARE(TableInfo::defaultName(u"Ann"), QStringLiteral("Ann's table"));
    const QString name = TableInfo::defaultName(QString(40, QLatin1Char('b')));
    QVERIFY(name.endsWith(QStringLiteral("'s table")));
    QCOMPARE(name, TableInfo::cleanName(name));
}

QTEST_GUILESS_MAIN(TableInfoTest)
#include "test_tableinfo.moc"
