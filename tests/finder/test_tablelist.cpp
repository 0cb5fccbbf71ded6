#include "finder/tablelist.h"

#include <QSignalSpy>
#include <QtTest>

class TableListTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void silentTableGreysOutThenGoes();
    void resultsMerge_data();
    void resultsMerge();
    void directoryCodeStaysWithTheRowAndItsRowsAgeSlower();
    void withdrawnTableGoesAtOnce();
    void floodStaysBoundedAndRealTablesGetIn();
    void otherVersionIsShownButNotJoinable();

private:
    qint64 m_now = 0;
    std::unique_ptr<TableList> m_list;
};

namespace {

TableInfo table(quint64 id, const char *address = "10.0.0.2", quint16 port = 7772)
{
    TableInfo t;
    t.name = QStringLiteral("Table %1").arg(id);
    t.address = QHostAddress(QString::fromLatin1(address));
    t.port = port;
    t.tableId = id;
    return t;
}

} // namespace

void TableListTest::init()
{
    m_now = 0;
    m_list = std::make_unique<TableList>();
    m_list->setClock([this] { return m_now; });
}

void TableListTest::silentTableGreysOutThenGoes()
{
    m_list->add(table(1));
    QSignalSpy changed(m_list.get(), &TableList::dataChanged);

    m_now = TableList::kStaleAfterMs - 1;
    m_list->expire();
    QVERIFY(!m_list->isStale(0));
    QVERIFY(!m_list->index(0, 0).data(TableList::DimmedRole).toBool());

    m_now = TableList::kStaleAfterMs;
    m_list->expire();
    QVERIFY(m_list->isStale(0));
    QCOMPARE(changed.count(), 1);
    QVERIFY(m_list->index(0, 0).data(TableList::DimmedRole).toBool());
    QVERIFY(m_list->index(0, 0).data(Qt::AccessibleTextRole).toString().contains(QLatin1String("not answering")));

    // An answer brings it back and starts its time again.
    m_list->add(table(1));
    QVERIFY(!m_list->isStale(0));
    m_now += TableList::kDropAfterMs - 1;
    m_list->expire();
    QCOMPARE(m_list->count(), 1);
    m_now += 1;
    m_list->expire();
    QCOMPARE(m_list->count(), 0);
}

void TableListTest::resultsMerge_data()
{
    QTest::addColumn<TableInfo>("second");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("seats");

    TableInfo seated = table(1);
    seated.seatsTaken = 2;
    QTest::newRow("same id, same address: updated") << seated << 1 << QStringLiteral("10.0.0.2") << 2;
    TableInfo elsewhere = table(1, "10.0.0.66", 7790);
    elsewhere.seatsTaken = 2;
    QTest::newRow("same id, other address: ignored") << elsewhere << 1 << QStringLiteral("10.0.0.2") << 0;
    QTest::newRow("other id, same address") << table(2) << 2 << QStringLiteral("10.0.0.2") << 0;
}

void TableListTest::resultsMerge()
{
    QFETCH(TableInfo, second);
    QFETCH(int, rows);
    QFETCH(QString, address);
    QFETCH(int, seats);
    m_list->add(table(1));
    m_list->add(second);
    QCOMPARE(m_list->count(), rows);
    QCOMPARE(m_list->table(0).address.toString(), address);
    QCOMPARE(m_list->table(0).seatsTaken, seats);
    QCOMPARE(m_list->index(0, TableList::SeatsColumn).data().toString(), QStringLiteral("%1/4").arg(seats));
}

// A table the local network answers for as well as a directory: the local
// network's answers, which know no code, must not take the code away (nor
// is a table the local network reaches called unreachable); a directory's
// rows, asked for every five seconds, must not grey out between
// two pages.
void TableListTest::directoryCodeStaysWithTheRowAndItsRowsAgeSlower()
{
    TableInfo local = table(0, "10.0.0.2", 7790);
    TableInfo listed = local;
    listed.source = TableInfo::Source::Directory;
    listed.code = QStringLiteral("KXQ4TP");
    listed.reach = TableInfo::Reach::Unreachable;
    m_list->add(local);
    m_list->add(listed);
    local.seatsTaken = 1;
    m_list->add(local);
    QCOMPARE(m_list->count(), 1);
    QCOMPARE(m_list->table(0).seatsTaken, 1);
    QCOMPARE(m_list->index(0, TableList::SourceColumn).data().toString(),
             QStringLiteral("local network, code KXQ4TP"));

    m_list->clear();
    m_list->add(listed);
    m_now = TableList::kStaleAfterMs * 2;
    m_list->expire();
    QVERIFY(!m_list->isStale(0));
    m_now = TableList::kStaleAfterMs * TableList::kDirectorySlowness;
    m_list->expire();
    QVERIFY(m_list->isStale(0));
}

void TableListTest::withdrawnTableGoesAtOnce()
{
    m_list->add(table(1));
    m_list->add(table(2));
    // Nobody else can withdraw it: only a loss from its own address counts.
    m_list->remove(table(1, "10.0.0.66"));
    QCOMPARE(m_list->count(), 2);
    m_list->remove(table(1));
    QCOMPARE(m_list->count(), 1);
    QCOMPARE(m_list->table(0).tableId, 2u);
}

void TableListTest::floodStaysBoundedAndRealTablesGetIn()
{
    for (quint64 id = 1; id <= 10000; ++id)
        m_list->add(table(id, "10.0.0.66"));
    QCOMPARE(m_list->count(), TableList::kMaxPerAddress);
    m_list->add(table(20000, "10.0.0.2"));
    QCOMPARE(m_list->count(), TableList::kMaxPerAddress + 1);

    for (quint32 a = 1; a <= 1000; ++a)
        m_list->add(table(30000 + a, QHostAddress(0x0a010000 + a).toString().toLatin1().constData()));
    QCOMPARE(m_list->count(), TableList::kMaxTables);
}

void TableListTest::otherVersionIsShownButNotJoinable()
{
    TableInfo other = table(1);
    other.protocolVersion = kProtocolVersion + 1;
    m_list->add(other);
    m_list->add(table(2));
    QVERIFY(!m_list->isJoinable(0));
    QVERIFY(m_list->isJoinable(1));
    QVERIFY(!m_list->index(0, 0).data(TableList::JoinableRole).toBool());
    QVERIFY(m_list->index(0, 0).data(TableList::DimmedRole).toBool());
    const QString state = m_list->index(0, TableList::StateColumn).data().toString();
    QVERIFY2(state.contains(QString::number(other.protocolVersion)), qPrintable(state));
    QVERIFY(m_list->index(0, 0).data(Qt::AccessibleTextRole).toString().contains(QLatin1String("cannot join")));
}

QTEST_MAIN(TableListTest)
#include "test_tablelist.moc"
