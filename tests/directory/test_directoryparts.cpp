// The directory's plain parts, without sockets: codes, per-address limits,
// the order of silence, the registry's listing, the name filter and the
// directory addresses a host is given.
#include "directory/server/addresslimits.h"
#include "directory/server/codeallocator.h"
#include "directory/client/directoryaddress.h"
#include "directory/server/idlequeue.h"
#include "directory/server/registry.h"
#include "words/badwords.h"

#include <QtTest>

Q_DECLARE_METATYPE(msg::DirList)

namespace {

using Limits = AddressLimits;

msg::DirTable table(int seats, bool playing, int version = 1)
{
    return msg::DirTable{version, 7772, seats, 0, playing, "T"};
}

} // namespace

class TestDirectoryParts : public QObject
{
    Q_OBJECT

private slots:
    void codesAreDistinctReadableAndRestAfterRelease();
    void typedCodesAreNormalised_data();
    void typedCodesAreNormalised();
    void limitsCountPerAddressAndReportABreachOnce();
    void addressesShareLimitsByHostOrSlash64_data();
    void addressesShareLimitsByHostOrSlash64();
    void silentConnectionsComeOutOldestFirst();
    void listingFiltersAndPagesNewestFirst_data();
    void listingFiltersAndPagesNewestFirst();
    void codesResolveOnlyWhileTheTableIsRegistered();
    void namesWithARackBadWordAreCaught_data();
    void namesWithARackBadWordAreCaught();
    void directoryAddressesAreRead_data();
    void directoryAddressesAreRead();
    void directoriesInUseFollowTheRunThenTheEnvironmentThenThePlayer_data();
    void directoriesInUseFollowTheRunThenTheEnvironmentThenThePlayer();
};

void TestDirectoryParts::codesAreDistinctReadableAndRestAfterRelease()
{
    // A generator that repeats itself: the allocator must step over codes
    // that are taken, and over released ones until their rest is over.
    quint32 next = 0;
    qint64 now = 0;
    CodeAllocator codes([&next] { return next++ % 24; }, [&now] { return now; });
    const QByteArray first = codes.allocate();
    QCOMPARE(first.size(), joincode::kLength);
    for (const char c : first)
        QVERIFY(QByteArrayView(joincode::kAlphabet).contains(c));
    next = 0;
    const QByteArray second = codes.allocate();
    QVERIFY(second != first);
    codes.release(first);
    next = 0;
    QVERIFY(codes.allocate() != first);
    now += CodeAllocator::kRestMs;
    next = 0;
    QCOMPARE(codes.allocate(), first);

    CodeAllocator many;
    QSet<QByteArray> seen;
    for (int i = 0; i < 20000; ++i)
        seen.insert(many.allocate());
    QCOMPARE(seen.size(), 20000);
}

void TestDirectoryParts::typedCodesAreNormalised_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("code");   // empty: where the address goes, it is an address
    QTest::newRow("as shown") << QByteArray("KXQ4TP") << QByteArray("KXQ4TP");
    QTest::newRow("lower case, blanks and a dash") << QByteArray(" kxq-4tp ") << QByteArray("KXQ4TP");
    QTest::newRow("a look-alike it never hands out") << QByteArray("KXQ4T0") << QByteArray();
    QTest::newRow("too short") << QByteArray("KXQ4T") << QByteArray();
    QTest::newRow("too long") << QByteArray("KXQ4TPP") << QByteArray();
    QTest::newRow("a host name with a vowel") << QByteArray("desk42") << QByteArray();
    QTest::newRow("an address") << QByteArray("10.0.0.7") << QByteArray();
    QTest::newRow("an IPv6 address of code letters") << QByteArray("fd::7") << QByteArray();
}

void TestDirectoryParts::typedCodesAreNormalised()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, code);
    QCOMPARE(joincode::normalised(typed), code);
    QCOMPARE(joincode::isCode(QString::fromLatin1(typed)), !code.isEmpty());
}

void TestDirectoryParts::limitsCountPerAddressAndReportABreachOnce()
{
    Limits limits(Limits::Allowance{2, 1, 60});
    const Limits::Key a = Limits::keyOf(QHostAddress(QStringLiteral("192.0.2.1")));
    const Limits::Key b = Limits::keyOf(QHostAddress(QStringLiteral("192.0.2.2")));
    QVERIFY(limits.openConnection(a));
    QVERIFY(limits.openConnection(a));
    QVERIFY(!limits.openConnection(a));
    QVERIFY(limits.openConnection(b));
    QVERIFY(limits.addTable(a));
    QVERIFY(!limits.addTable(a));
    QVERIFY(limits.addTable(b));

    // Sixty a minute: a burst of sixty, then one a second.
    for (int i = 0; i < 60; ++i)
        QVERIFY(limits.takeMessage(a, 1000));
    QVERIFY(!limits.takeMessage(a, 1000));
    QVERIFY(limits.takeMessage(b, 1000));
    QVERIFY(limits.takeMessage(a, 2000));
    QVERIFY(!limits.takeMessage(a, 2000));

    QVERIFY(limits.breach(a, Limits::Limit::Tables));
    QVERIFY(!limits.breach(a, Limits::Limit::Tables));
    QVERIFY(limits.breach(a, Limits::Limit::Messages));
    // Once the address holds nothing, it starts afresh.
    limits.removeTable(a);
    limits.closeConnection(a);
    limits.closeConnection(a);
    QVERIFY(limits.openConnection(a));
    QVERIFY(limits.breach(a, Limits::Limit::Tables));
}

void TestDirectoryParts::addressesShareLimitsByHostOrSlash64_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("shared");
    QTest::newRow("IPv4 and the same mapped into IPv6") << "192.0.2.1" << "::ffff:192.0.2.1" << true;
    QTest::newRow("two IPv4 neighbours") << "192.0.2.1" << "192.0.2.2" << false;
    QTest::newRow("one IPv6 /64") << "2001:db8:1:2::1" << "2001:db8:1:2:ffff::9" << true;
    QTest::newRow("two IPv6 /64s") << "2001:db8:1:2::1" << "2001:db8:1:3::1" << false;
}

void TestDirectoryParts::addressesShareLimitsByHostOrSlash64()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, shared);
    QCOMPARE(Limits::keyOf(QHostAddress(first)) == Limits::keyOf(QHostAddress(second)), shared);
}

void TestDirectoryParts::silentConnectionsComeOutOldestFirst()
{
    IdleQueue idle;
    idle.touch(1, 0);
    idle.touch(2, 10);
    idle.touch(3, 20);
    idle.touch(1, 30);   // heard again: now the most recent
    QVERIFY(idle.oldest() == 10);
    QCOMPARE(idle.takeSilentSince(25), (QList<quint64>{2, 3}));
    idle.remove(1);
    QCOMPARE(idle.size(), 0);
    QCOMPARE(idle.takeSilentSince(1000), QList<quint64>());
}

void TestDirectoryParts::listingFiltersAndPagesNewestFirst_data()
{
    QTest::addColumn<msg::DirList>("request");
    QTest::addColumn<QList<quint64>>("first");   // the first connections of the page
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("more");
    // Connections 1..120: every third is playing, seats taken 0..3 by turns,
    // connections above 100 speak version 2.
    QTest::newRow("all, first page") << msg::DirList{} << QList<quint64>{120, 119} << 50 << true;
    QTest::newRow("all, last page") << msg::DirList{false, 0, 0, 2} << QList<quint64>{20, 19} << 20 << false;
    QTest::newRow("past the end") << msg::DirList{false, 0, 0, 3} << QList<quint64>{} << 0 << false;
    QTest::newRow("waiting only") << msg::DirList{true, 0, 0, 0} << QList<quint64>{119, 118, 116} << 50 << true;
    QTest::newRow("four seats free") << msg::DirList{false, 4, 0, 0} << QList<quint64>{120, 116, 112} << 30 << false;
    QTest::newRow("version 2") << msg::DirList{false, 0, 2, 0} << QList<quint64>{120, 119} << 20 << false;
    QTest::newRow("waiting, 3 free, version 1") << msg::DirList{true, 3, 1, 0} << QList<quint64>{100, 97, 92} << 34 << false;
}

void TestDirectoryParts::listingFiltersAndPagesNewestFirst()
{
    QFETCH(msg::DirList, request);
    QFETCH(QList<quint64>, first);
    QFETCH(int, count);
    QFETCH(bool, more);
    CodeAllocator codes;
    Registry registry(&codes);
    for (quint64 c = 1; c <= 120; ++c)
        registry.add(c, QHostAddress(QStringLiteral("192.0.2.1")), table(int(c % 4), c % 3 == 0, c > 100 ? 2 : 1));
    const Registry::Page page = registry.page(request);
    QCOMPARE(page.tables.size(), count);
    QCOMPARE(page.more, more);
    for (qsizetype i = 0; i < first.size(); ++i)
        QCOMPARE(page.tables[i]->connection, first[i]);
    for (const Registry::Table *entry : page.tables)
        QVERIFY(Registry::matches(*entry, request));
    // The page as sent: its items, then the end that counts them.
    const QByteArray sent = registry.encodedPage(request);
    QCOMPARE(sent.count("CMD_diritem+"), count);
    QVERIFY(sent.endsWith(msg::encode(msg::DirPage{request.page, count, more})));
}

void TestDirectoryParts::codesResolveOnlyWhileTheTableIsRegistered()
{
    CodeAllocator codes;
    Registry registry(&codes);
    const QByteArray code = registry.add(7, QHostAddress(QStringLiteral("::ffff:192.0.2.9")), table(1, false)).code;
    const Registry::Table *found = registry.findCode(code);
    QVERIFY(found);
    // Listed under the address players connect to.
    QCOMPARE(found->address, QHostAddress(QStringLiteral("192.0.2.9")));
    QVERIFY(registry.update(7, table(2, false)));
    QVERIFY(!registry.update(7, table(2, false)));
    QCOMPARE(registry.findCode(code)->info.seats, 2);
    QVERIFY(registry.remove(7));
    QVERIFY(!registry.findCode(code));
    QVERIFY(!codes.isInUse(code));
}

void TestDirectoryParts::namesWithARackBadWordAreCaught_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bad");
    QTest::newRow("plain") << "Ann's table" << false;
    QTest::newRow("a listed word") << "Bastard Bowlers" << true;
    QTest::newRow("a word kept out of the racks") << "the Whorehouse" << true;
    QTest::newRow("a listed phrase, spaced out") << "2   Girls__1.cup fans" << true;
    QTest::newRow("a listed word inside a longer one") << "Bass Club" << false;
    QTest::newRow("a listed word after a dot") << "club.anal" << true;
}

void TestDirectoryParts::namesWithARackBadWordAreCaught()
{
    QFETCH(QString, name);
    QFETCH(bool, bad);
    QCOMPARE(badwords::contains(name), bad);
}

void TestDirectoryParts::directoryAddressesAreRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read");   // as toString() shows it, empty when refused
    QTest::newRow("a name") << "dir.example.org" << "dir.example.org:7773";
    QTest::newRow("a name and a port") << "dir.example.org:8000" << "dir.example.org:8000";
    QTest::newRow("IPv6 in brackets") << "[2001:db8::1]:8000" << "[2001:db8::1]:8000";
    QTest::newRow("bare IPv6") << "2001:db8::1" << "[2001:db8::1]:7773";
    QTest::newRow("port 0") << "dir.example.org:0" << "";
    QTest::newRow("an empty port") << "dir.example.org:" << "";
    QTest::newRow("an option") << "--port" << "";
    QTest::newRow("a space inside") << "dir example" << "";
}

void TestDirectoryParts::directoryAddressesAreRead()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    const std::optional<DirectoryAddress> address = DirectoryAddress::parse(text);
    QCOMPARE(address ? address->toString() : QString(), read);
}

void TestDirectoryParts::directoriesInUseFollowTheRunThenTheEnvironmentThenThePlayer_data()
{
    QTest::addColumn<QString>("given");        // on the command line
    QTest::addColumn<QString>("environment");  // PINLEX_DIRECTORY; "-": not set
    QTest::addColumn<QString>("saved");        // the player's list; "-": never chosen
    QTest::addColumn<QString>("used");
    QTest::newRow("the command line first") << "a.example" << "b.example" << "c.example" << "a.example:7773";
    QTest::newRow("then the environment") << "" << "b.example:1, b2.example" << "c.example"
                                           << "b.example:1 b2.example:7773";
    QTest::newRow("an empty environment: none") << "" << "" << "c.example" << "";
    QTest::newRow("then the player's list") << "" << "-" << "c.example" << "c.example:7773";
    QTest::newRow("the player chose none") << "" << "-" << "" << "";
    QTest::newRow("else the build's own") << "" << "-" << "-" << DirectoryAddress::builtIn();
}

void TestDirectoryParts::directoriesInUseFollowTheRunThenTheEnvironmentThenThePlayer()
{
    QFETCH(QString, given);
    QFETCH(QString, environment);
    QFETCH(QString, saved);
    QFETCH(QString, used);
    const QByteArray before = qgetenv("PINLEX_DIRECTORY");
    const bool wasSet = qEnvironmentVariableIsSet("PINLEX_DIRECTORY");
    if (environment == QLatin1String("-"))
        qunsetenv("PINLEX_DIRECTORY");
    else
        qputenv("PINLEX_DIRECTORY", environment.toUtf8());
    const std::optional<QString> player = saved == QLatin1String("-") ? std::nullopt : std::optional<QString>(saved);
    QStringList shown;
    for (const DirectoryAddress &address : DirectoryAddress::inUse(DirectoryAddress::parseList(given), player))
        shown << address.toString();
    if (wasSet)
        qputenv("PINLEX_DIRECTORY", before);
    else
        qunsetenv("PINLEX_DIRECTORY");
    QCOMPARE(shown.join(QLatin1Char(' ')), used);
}

QTEST_GUILESS_MAIN(TestDirectoryParts)
#include "test_directoryparts.moc"
