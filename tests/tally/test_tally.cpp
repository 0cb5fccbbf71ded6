#include "base/errordisplay.h"
#include "base/numbers.h"
#include "tally/lzrw1.h"
#include "tally/tallyfile.h"
#include "tally/tallykeeper.h"
#include "tally/tallylistform.h"
#include "tally/tallytable.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/resource.h>

namespace {

const TallyWinner kMine = TallyWinner::player();

TallyWinner won(const char *name)
{
    return TallyWinner::opponent(QString::fromUtf8(name));
}

QStringList rowOf(const TallyTable &table, int row)
{
    QStringList cells;
    for (int column = 0; column < TallyTable::kColumns; ++column)
        cells.append(table.cell(column, row));
    return cells;
}

QStringList cells(const char *spaced)
{
    return QString::fromLatin1(spaced).split(QLatin1Char(' '));
}

QByteArray lines(const QStringList &items)
{
    QByteArray text;
    for (const QString &item : items)
        text += item.toUtf8() + "\r\n";
    return text;
}

QByteArray decompressedFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return Tlzrw1().decompressData(file.readAll(), path);
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// Records what reaches the general error display while it lives.
class ErrorRecorder
{
public:
    ErrorRecorder()
        : m_previous(setErrorSink([this](const QString &message) { messages.append(message); }))
    {
    }
    ~ErrorRecorder() { setErrorSink(m_previous); }
    QStringList messages;

private:
    ErrorSink m_previous;
};

} // namespace

class TestTally : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void bobExampleWritesItsLines();
    void addgameCountsEachOutcome_data();
    void addgameCountsEachOutcome();
    void tieCountsStrikesPerfectGameAndPoints();
    void averageIsTruncatedAndWaitsForAGame_data();
    void averageIsTruncatedAndWaitsForAGame();
    void cellsThatAreNotNumbers();
    void checklistAddsOnlyNewOpponents();
    void removingTheSecondOfThreeKeepsListAndRows_data();
    void removingTheSecondOfThreeKeepsListAndRows();
    void resetLeavesOneRow_data();
    void resetLeavesOneRow();
    void loadingStartsANewSession();
    void damagedFileStartsEmpty_data();
    void damagedFileStartsEmpty();
    void eachDamagedFileIsKept();
    void unusedTallyWritesNoFile();
    void textLimits_data();
    void textLimits();
    void bombIsRefusedWithinAMemoryCap_data();
    void bombIsRefusedWithinAMemoryCap();
    void textLayoutReadsWhatItWrites_data();
    void textLayoutReadsWhatItWrites();
    void saveReplacesTheWholeFile();
    void defaultPathIsBesideTheProgram();
    void commandLinePrintsTheTally();

private:
    QString tallyPath() const { return m_dir->filePath(TallyFile::kFileName); }
    // The contents of the copies kept of damaged files.
    QList<QByteArray> damagedCopies() const
    {
        QList<QByteArray> contents;
        const QDir dir(m_dir->path());
        for (const QString &name : dir.entryList({QStringLiteral("*.damaged")}, QDir::Files)) {
            QFile copy(dir.filePath(name));
            contents.append(copy.open(QIODevice::ReadOnly) ? copy.readAll() : QByteArray());
        }
        return contents;
    }
    // The tally of the test's file, with its dialog answering every
    // question with `answer`.
    struct Opened
    {
        TallyKeeper keeper;
        Ttallylist view{keeper};
        Opened(const QString &path, bool answer) : keeper(path)
        {
            view.setQuestionAsker([answer](const QString &) { return answer; });
        }
    };
    std::unique_ptr<Opened> openDialog(bool answer = true)
    {
        return std::make_unique<Opened>(tallyPath(), answer);
    }
    // Tallies the names by clicking them in "Players In Current Game".
    static void tally(Ttallylist &dialog, const QStringList &names)
    {
        dialog.loadchecklist(names);
        for (int i = 0; i < dialog.checklist->count(); ++i)
            dialog.checklist->item(i)->setCheckState(Qt::Checked);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTally::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTally::bobExampleWritesItsLines()
{
    {
        auto dialog = openDialog();
        tally(dialog->view, {QStringLiteral("Bob")});
        dialog->keeper.gameEnded(QStringLiteral("120"), won("Bob"), {QStringLiteral("Bob")});
        // Saved after the game, before the program ends.
        QCOMPARE(decompressedFile(tallyPath()),
                 lines(cells("9 2 0 Bob 1 1 0 1 0 0 0 0 120 1 120 1 0 0 0 0")));
        QCOMPARE(dialog->view.mylabel_[1]->text(), QStringLiteral("1"));
        QCOMPARE(dialog->view.mylabel_[5]->text(), QStringLiteral("120"));
    }
    QCOMPARE(decompressedFile(tallyPath()), lines(cells("9 2 0 Bob 1 1 0 1 0 0 0 0 120 1 120 1 0 0 0 0")));
}

void TestTally::addgameCountsEachOutcome_data()
{
    QTest::addColumn<bool>("playerWon");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<QString>("tallied");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("own");
    QTest::addColumn<QStringList>("row");
    const QString bob = QStringLiteral("Bob");
    const QStringList bobAndAnn = {QStringLiteral("Ann"), bob};
    QTest::newRow("player won alone") << true << QString() << bob << bobAndAnn << cells("0 1 1 0 0 0 0 0 0")
                                      << cells("Bob 1 0 1 0 1 0 1 0");
    QTest::newRow("Bob won") << false << bob << bob << bobAndAnn << cells("0 1 0 0 0 0 0 0 0")
                             << cells("Bob 1 1 0 0 1 1 0 0");
    QTest::newRow("an untallied opponent won") << false << QStringLiteral("Ann") << bob << bobAndAnn
                                               << cells("0 1 0 0 0 0 0 0 0") << cells("Bob 1 0 0 1 1 0 0 1");
    QTest::newRow("Bob not at the table") << true << QString() << bob << QStringList{QStringLiteral("Ann")}
                                          << cells("0 1 1 0 0 0 0 0 0") << cells("Bob 0 0 0 0 0 0 0 0");
    // A name is only a name: this opponent's win is not the player's.
    const QString addtomine = QStringLiteral("addtomine");
    QTest::newRow("an opponent called addtomine won")
        << false << addtomine << addtomine << QStringList{addtomine} << cells("0 1 0 0 0 0 0 0 0")
        << cells("addtomine 1 1 0 0 1 1 0 0");
}

void TestTally::addgameCountsEachOutcome()
{
    QFETCH(bool, playerWon);
    QFETCH(QString, winner);
    QFETCH(QString, tallied);
    QFETCH(QStringList, present);
    QFETCH(QStringList, own);
    QFETCH(QStringList, row);
    TallyTable table;
    QVERIFY(table.addOpponent(tallied));
    table.addgame(playerWon ? TallyWinner::player() : TallyWinner::opponent(winner), present);
    QCOMPARE(rowOf(table, 0), own);
    QCOMPARE(rowOf(table, 1), row);
    QCOMPARE(table.rowCount(), 2);
}

void TestTally::tieCountsStrikesPerfectGameAndPoints()
{
    {
        auto dialog = openDialog();
        tally(dialog->view, {QStringLiteral("Bob")});
        dialog->keeper.addtomineincrease(TallyTable::kStrikes);
        dialog->keeper.addtomineincrease(TallyTable::kStrikes);
        dialog->keeper.gameEnded(QStringLiteral("300"), std::nullopt, {QStringLiteral("Bob")});
        QCOMPARE(rowOf(dialog->keeper.table(), 0), cells("0 0 0 1 2 0 300 0 0"));
        QCOMPARE(rowOf(dialog->keeper.table(), 1), cells("Bob 0 0 0 0 0 0 0 0"));
        QCOMPARE(dialog->view.mylabel_[3]->text(), QStringLiteral("1"));
        QCOMPARE(dialog->view.mylabel_[4]->text(), QStringLiteral("2"));
    }
    auto reopened = openDialog();
    QCOMPARE(rowOf(reopened->keeper.table(), 0), cells("0 0 0 1 2 0 300 0 0"));
}

void TestTally::averageIsTruncatedAndWaitsForAGame_data()
{
    QTest::addColumn<QString>("games");
    QTest::addColumn<QString>("points");
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("sum");
    QTest::newRow("truncated") << QStringLiteral("3") << QStringLiteral("280") << 120 << QStringLiteral("133")
                               << QStringLiteral("400");
    QTest::newRow("no game counted yet") << QStringLiteral("0") << QStringLiteral("0") << 90 << QStringLiteral("7")
                                         << QStringLiteral("90");
    QTest::newRow("empty cells count as 0") << QString() << QString() << 90 << QStringLiteral("7")
                                            << QStringLiteral("90");
    QTest::newRow("a damaged sum is left alone") << QStringLiteral("3") << QStringLiteral("x") << 90
                                                 << QStringLiteral("7") << QStringLiteral("x");
}

void TestTally::averageIsTruncatedAndWaitsForAGame()
{
    QFETCH(QString, games);
    QFETCH(QString, points);
    QFETCH(int, score);
    QFETCH(QString, average);
    QFETCH(QString, sum);
    TallyTable table;
    table.setCell(TallyTable::kGames, 0, games);
    table.setCell(TallyTable::kPoints, 0, points);
    table.setCell(TallyTable::kAverage, 0, QStringLiteral("7"));
    table.figureave(score);
    QCOMPARE(table.cell(TallyTable::kAverage, 0), average);
    QCOMPARE(table.cell(TallyTable::kPoints, 0), sum);
}

void TestTally::cellsThatAreNotNumbers()
{
    TallyTable table;
    table.setCell(TallyTable::kStrikes, 0, QStringLiteral("many"));
    QCOMPARE(table.addtomineincrease(TallyTable::kStrikes), QStringLiteral("1"));

    QVERIFY(table.addOpponent(QStringLiteral("Bob")));
    table.setCell(TallyTable::kTogether, 1, QStringLiteral("x"));
    try {
        table.addit(TallyTable::kTogether, 1);
        QFAIL("a cell that is not a number was increased");
    } catch (const EConvertError &error) {
        QCOMPARE(error.message(), QStringLiteral("'x' is not a valid integer value"));
    }

    // At the end of a game the error reaches the display; nothing crashes
    // and what was counted is saved.
    QVERIFY(TallyFile(tallyPath()).save(table));
    ErrorRecorder errors;
    auto dialog = openDialog();
    dialog->keeper.gameEnded(QStringLiteral("100"), kMine, {QStringLiteral("Bob")});
    QCOMPARE(errors.messages, QStringList{QStringLiteral("'x' is not a valid integer value")});
    QCOMPARE(TallyFile(tallyPath()).load().cell(TallyTable::kGames, 0), QStringLiteral("1"));
}

void TestTally::checklistAddsOnlyNewOpponents()
{
    auto dialog = openDialog();
    tally(dialog->view, {QStringLiteral("Ann"), QStringLiteral("Bob")});
    dialog->view.loadchecklist({QStringLiteral("Bob"), QStringLiteral("Cid")});
    QCOMPARE(dialog->view.checklist->item(0)->checkState(), Qt::Checked);
    QCOMPARE(dialog->view.checklist->item(1)->checkState(), Qt::Unchecked);

    // Unchecking a tallied player here does not stop the tally.
    dialog->view.checklist->item(0)->setCheckState(Qt::Unchecked);
    dialog->view.checklist->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(dialog->keeper.table().opponents(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    QCOMPARE(dialog->view.listbox_tally->count(), 2);
    QCOMPARE(dialog->view.listbox_tally->item(1)->checkState(), Qt::Checked);
}

void TestTally::removingTheSecondOfThreeKeepsListAndRows_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("Yes") << true << QStringList{QStringLiteral("Ann"), QStringLiteral("Cid")};
    QTest::newRow("No") << false << QStringList{QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")};
}

void TestTally::removingTheSecondOfThreeKeepsListAndRows()
{
    QFETCH(bool, answer);
    QFETCH(QStringList, remaining);
    auto dialog = openDialog(answer);
    QString asked;
    dialog->view.setQuestionAsker([&asked, answer](const QString &question) {
        asked = question;
        return answer;
    });
    const QStringList three = {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")};
    tally(dialog->view, three);
    dialog->keeper.gameEnded(QStringLiteral("50"), won("Cid"), three);

    dialog->view.listbox_tally->item(1)->setCheckState(Qt::Unchecked);
    QCOMPARE(asked, QStringLiteral("This will delete Bob's Tally, Are you want to delete it?"));
    QCOMPARE(dialog->keeper.table().opponents(), remaining);
    QCOMPARE(dialog->view.listbox_tally->count(), remaining.size());
    for (int i = 0; i < remaining.size(); ++i) {
        QCOMPARE(dialog->view.listbox_tally->item(i)->text(), remaining[i]);
        QCOMPARE(dialog->view.listbox_tally->item(i)->checkState(), Qt::Checked);
    }

    // Selecting the last entry shows Cid's row, wherever it now is.
    dialog->view.listbox_tally->setCurrentRow(remaining.size() - 1);
    QCOMPARE(dialog->view.label_hisnametop->text(), QStringLiteral("Cid's Tally"));
    QCOMPARE(dialog->view.label_hisname->text(), QStringLiteral("Cid Wins:"));
    QCOMPARE(dialog->view.label_[TallyTable::kTheirWins]->text(), QStringLiteral("1"));
    QCOMPARE(dialog->view.label_[TallyTable::kTheirWins + TallyTable::kSession]->text(), QStringLiteral("1"));
    QCOMPARE(TallyFile(tallyPath()).load().opponents(), remaining);
}

void TestTally::resetLeavesOneRow_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestTally::resetLeavesOneRow()
{
    QFETCH(bool, answer);
    auto dialog = openDialog(answer);
    tally(dialog->view, {QStringLiteral("Bob")});
    dialog->keeper.gameEnded(QStringLiteral("150"), kMine, {QStringLiteral("Bob")});
    dialog->view.listbox_tally->setCurrentRow(0);
    const QByteArray before = decompressedFile(tallyPath());

    dialog->view.button_resetClick();
    if (!answer) {
        QCOMPARE(decompressedFile(tallyPath()), before);
        QCOMPARE(dialog->view.listbox_tally->count(), 1);
        return;
    }
    QCOMPARE(dialog->view.listbox_tally->count(), 0);
    QCOMPARE(dialog->keeper.table().rowCount(), 1);
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(dialog->view.mylabel_[k]->text(), QStringLiteral("0"));
    for (int k = 1; k <= 8; ++k)
        QCOMPARE(dialog->view.label_[k]->text(), QStringLiteral("0"));
    QCOMPARE(decompressedFile(tallyPath()), lines(QStringList{QStringLiteral("9"), QStringLiteral("1")}
                                                  + QStringList(TallyTable::kColumns, QString())));
}

void TestTally::loadingStartsANewSession()
{
    TallyTable saved;
    saved.setCell(TallyTable::kGames, 0, QString());
    saved.setCell(TallyTable::kStrikes, 0, QStringLiteral("12"));
    saved.addOpponent(QStringLiteral("Bob"));
    saved.addOpponent(QStringLiteral("Ann"));
    saved.addgame(won("Bob"), {QStringLiteral("Bob"), QStringLiteral("Ann")});
    QVERIFY(TallyFile(tallyPath()).save(saved));

    auto dialog = openDialog();
    QCOMPARE(rowOf(dialog->keeper.table(), 1), cells("Bob 1 1 0 0 0 0 0 0"));
    QCOMPARE(rowOf(dialog->keeper.table(), 2), cells("Ann 1 0 0 1 0 0 0 0"));
    QCOMPARE(dialog->view.mylabel_[TallyTable::kStrikes]->text(), QStringLiteral("12"));
    QCOMPARE(dialog->view.mylabel_[TallyTable::kGames]->text(), QStringLiteral("1"));
    QCOMPARE(dialog->view.listbox_tally->count(), 2);
    QCOMPARE(dialog->view.listbox_tally->item(1)->text(), QStringLiteral("Ann"));
}

void TestTally::damagedFileStartsEmpty_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QString damaged = QStringLiteral("%1 : the tally table is damaged");
    Tlzrw1 component;
    QTest::newRow("not compressed") << QByteArray("9\r\n1\r\n") << QStringLiteral("%1 : Lzrw1 decompression : this file has no valid header !");
    QTest::newRow("cut short") << component.compressData(lines(cells("9 1 0 1 2 3 4 5 6 7 8"))).chopped(3)
                               << QStringLiteral("Lzrw1 : Error reading from input file : %1");
    QTest::newRow("not a table") << component.compressData("hello") << damaged;
    QTest::newRow("rows missing") << component.compressData(lines(cells("9 3 0 1 2 3 4 5 6 7 8"))) << damaged;
    QTest::newRow("wrong column count") << component.compressData(lines(cells("5 1 0 1 2 3 4"))) << damaged;
    QTest::newRow("negative row count") << component.compressData(lines(cells("9 -1"))) << damaged;
    QTest::newRow("claims an enormous size") << QByteArray::fromHex("575a5a4c ffffffff 0100 80") << damaged;
}

void TestTally::damagedFileStartsEmpty()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    writeFile(tallyPath(), file);
    ErrorRecorder errors;
    auto dialog = openDialog();
    QCOMPARE(errors.messages, QStringList{message.arg(tallyPath())});
    QCOMPARE(dialog->keeper.table().rowCount(), 1);
    QCOMPARE(dialog->view.listbox_tally->count(), 0);
    QCOMPARE(dialog->view.mylabel_[1]->text(), QStringLiteral("0"));

    // The damaged file is kept aside before the empty tally replaces it.
    QCOMPARE(damagedCopies(), QList<QByteArray>{file});
    dialog.reset();
    QCOMPARE(TallyFile(tallyPath()).load().rowCount(), 1);
}

void TestTally::eachDamagedFileIsKept()
{
    const QList<QByteArray> files = {"the first damaged file", "the second damaged file"};
    for (const QByteArray &file : files) {
        writeFile(tallyPath(), file);
        ErrorRecorder errors;
        openDialog(); // keeps a copy, then saves an empty tally over the file
        QCOMPARE(errors.messages.size(), 1);
    }
    QList<QByteArray> kept = damagedCopies();
    std::sort(kept.begin(), kept.end());
    QCOMPARE(kept, files);
}

// A copy whose player never played nor looked at the tally leaves no file.
void TestTally::unusedTallyWritesNoFile()
{
    delete new TallyKeeper(tallyPath());
    QVERIFY(!QFile::exists(tallyPath()));
}

void TestTally::textLimits_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("nameBytes");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("10,000 rows") << 10000 << 3 << true;
    QTest::newRow("10,001 rows") << 10001 << 3 << false;
    QTest::newRow("a line of 4,096 bytes") << 2 << 4096 << true;
    QTest::newRow("a line of 4,097 bytes") << 2 << 4097 << false;
}

void TestTally::textLimits()
{
    QFETCH(int, rows);
    QFETCH(int, nameBytes);
    QFETCH(bool, accepted);
    QStringList items = {QStringLiteral("9"), QString::number(rows), QStringLiteral("0")};
    items += QStringList(rows - 1, QString(nameBytes, QLatin1Char('n')));
    items += QStringList(8 * rows, QStringLiteral("1"));
    try {
        QCOMPARE(TallyTable::fromText(lines(items)).rowCount(), rows);
        QVERIFY(accepted);
    } catch (const ETallyFormat &) {
        QVERIFY(!accepted);
    }

    // A table never grows into one that its file could not hold: built by
    // adding the same opponents, its last one is refused exactly when the
    // text is.
    TallyTable table;
    for (int row = 2; row < rows; ++row)
        table.addOpponent(QString::number(row));
    QCOMPARE(table.addOpponent(QString(nameBytes, QLatin1Char('n'))), accepted);
}

void TestTally::bombIsRefusedWithinAMemoryCap_data()
{
    QTest::addColumn<QByteArray>("file");
    // One block of 32,768 line breaks, repeated: 82 KB that expand to 64 MiB.
    const QByteArray chunk = Tlzrw1().compressData(QByteArray(32768, '\n'));
    const QByteArray block = chunk.mid(8, 2 + qFromLittleEndian<quint16>(chunk.constData() + 8));
    QTest::newRow("64 MiB of line breaks")
        << QByteArray::fromHex("57525a4c 00000004") + block.repeated(2048) + QByteArray::fromHex("0100 80");
    QTest::newRow("4 million rows declared")
        << Tlzrw1().compressData("9\r\n4000000\r\n" + QByteArray(36000000, '\n'));
}

// Either file took gigabytes to be found damaged: it must be refused within
// a cap of the memory the program may use, as a damaged file, not a crash.
void TestTally::bombIsRefusedWithinAMemoryCap()
{
    QFETCH(QByteArray, file);
    writeFile(tallyPath(), file);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PINLEX_TALLY_FILE"), tallyPath());
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] {
        constexpr rlim_t kCap = 128 * 1024 * 1024;
        const rlimit limit = {kCap, kCap};
        setrlimit(RLIMIT_DATA, &limit);
    });
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--tally")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().contains("the tally table is damaged"));
}

void TestTally::textLayoutReadsWhatItWrites_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("opponent");
    QTest::newRow("CR LF") << lines(cells("9 2 0 Bob 1 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9")) << cells("Bob 2 3 4 5 6 7 8 9");
    QTest::newRow("LF only") << QByteArray("9\n2\n0\nBob\n1\n2\n0\n3\n0\n4\n0\n5\n0\n6\n0\n7\n0\n8\n0\n9\n")
                             << cells("Bob 2 3 4 5 6 7 8 9");
    QTest::newRow("single-byte name") << QByteArray("9\r\n2\r\n0\r\nJos\xe9\r\n") + lines(QStringList(16, QString()))
                                      << QStringList{QStringLiteral("Jos\u00e9")} + QStringList(8, QString());
}

void TestTally::textLayoutReadsWhatItWrites()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, opponent);
    const TallyTable table = TallyTable::fromText(text);
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(rowOf(table, 1), opponent);
    QCOMPARE(rowOf(TallyTable::fromText(table.toText()), 1), opponent);
}

void TestTally::saveReplacesTheWholeFile()
{
    TallyTable table;
    table.addOpponent(QStringLiteral("Zoë"));
    table.addOpponent(QStringLiteral("Line\r\nBreak"));
    TallyFile file(tallyPath());
    QVERIFY(file.save(table));
    table.removeOpponent(1);
    QVERIFY(file.save(table));
    const TallyTable loaded = file.load();
    // A line break in a name must not shift the cells after it.
    QCOMPARE(loaded.opponents(), QStringList{QStringLiteral("Line  Break")});
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{TallyFile::kFileName});

    writeFile(m_dir->filePath(QStringLiteral("blocker")), "x");
    QVERIFY(!TallyFile(m_dir->filePath(QStringLiteral("blocker/tally.tld"))).save(table));
}

void TestTally::defaultPathIsBesideTheProgram()
{
    qunsetenv("PINLEX_TALLY_FILE");
    QCOMPARE(TallyFile::defaultPath(), QDir(QCoreApplication::applicationDirPath()).filePath(TallyFile::kFileName));
    qputenv("PINLEX_TALLY_FILE", tallyPath().toUtf8());
    QCOMPARE(TallyFile::defaultPath(), tallyPath());
    qunsetenv("PINLEX_TALLY_FILE");
}

void TestTally::commandLinePrintsTheTally()
{
    TallyTable table;
    table.addOpponent(QStringLiteral("Bob"));
    table.addOpponent(QStringLiteral("Eve\x1b]0;x\x07\u009b2J\u202e"));
    table.addgame(won("Bob"), {QStringLiteral("Bob")});
    table.addtomineincrease(TallyTable::kStrikes);
    QVERIFY(TallyFile(tallyPath()).save(table));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PINLEX_TALLY_FILE"), tallyPath());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--tally")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("Strikes: +1\n"))), qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\nBob +1 +1 +0 +0 +\\| +1 +1 +0 +0\n"))),
             qPrintable(output));
    // A name from the file never reaches the terminal as control characters.
    QVERIFY2(output.contains(QStringLiteral("\nEve?]0;x??2J? ")), qPrintable(output));
}

QTEST_MAIN(TestTally)
#include "test_tally.moc"
