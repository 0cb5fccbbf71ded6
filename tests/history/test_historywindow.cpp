// The history window: games newest first, a search that finds opponents and
// not the player, a chosen game on the game's own scorecard with each
// frame's words beside the rack's word, and every plot told in words.

#include "board/scorecardmodel.h"
#include "history/gamelistmodel.h"
#include "base/modules.h"
#include "history/statisticscharts.h"
#include "history/historydatabase.h"
#include "history/historywindow.h"
#include "dialogs/definitionsview.h"
#include "scriptedgame.h"

#include <QAccessible>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace history;

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listsNewestFirstAndSearchesOpponents();
    void chosenGameShowsCardAndWords();
    void plotsAreToldInWords();
    void statisticsWithoutChartsModule();

private:
    void writeGame(const QString &day, const QString &own, const QString &opponent, int total = 9);
    QString path() const { return m_dir->filePath(QStringLiteral("history.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_games = 0;
};

void TestHistoryWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_games = 0;
    setModuleFolders({QFileInfo(QStringLiteral(PINLEX_BINARY)).path()});
}

// A finished one-frame game on that day: the player in seat 1 wins.
void TestHistoryWindow::writeGame(const QString &day, const QString &own, const QString &opponent, int total)
{
    HistoryStore store(path());
    QCOMPARE(store.open(), QString());
    GameRecord g;
    g.key = QString::number(++m_games);
    g.started = QDateTime(QDate::fromString(day, Qt::ISODate), QTime(20, 0));
    g.ownSlot = 1;
    g.seats = {SeatRecord{1, own, std::nullopt, total, true}, SeatRecord{2, opponent, std::nullopt, 4, false}};
    FrameRecord f;
    f.frame = 1;
    f.seats = {SeatFrame{1, true, {5, 4, -1}, total}, SeatFrame{2, true, {4, -1, -1}, 4}};
    QVERIFY2(store.writeFrame(g, f, {}), qPrintable(store.lastError()));
    g.finished = true;
    QVERIFY(store.finishGame(g));
}

void TestHistoryWindow::listsNewestFirstAndSearchesOpponents()
{
    writeGame(QStringLiteral("2024-01-01"), QStringLiteral("Ann"), QStringLiteral("Bob"));
    writeGame(QStringLiteral("2024-03-01"), QStringLiteral("Bobby"), QStringLiteral("Zed"));
    writeGame(QStringLiteral("2024-02-01"), QStringLiteral("Ann"), QStringLiteral("bOB"));
    HistoryDatabase database(path());
    HistoryWindow window(&database);
    window.show();
    GameListModel *games = window.games();
    const auto opponents = [games] {
        QStringList out;
        for (int row = 0; row < games->rowCount(); ++row)
            out << games->game(row)->seats.last().name;
        return out;
    };
    QTRY_COMPARE(games->rowCount(), 3);
    QCOMPARE(opponents(), (QStringList{QStringLiteral("Zed"), QStringLiteral("bOB"), QStringLiteral("Bob")}));

    auto *search = window.findChild<QLineEdit *>(QStringLiteral("history_search"));
    QVERIFY(search);
    QTest::keyClicks(search, QStringLiteral("bob"));
    QTRY_COMPARE(opponents(), (QStringList{QStringLiteral("bOB"), QStringLiteral("Bob")}));
}

void TestHistoryWindow::chosenGameShowsCardAndWords()
{
    HistoryDatabase database(path());
    {
        GameRecorder recorder(&database);
        recorder.gameStarted(scripted::start());
        for (int frame = 1; frame <= kFrames; ++frame)
            scripted::playFrame(recorder, frame);
        recorder.gameWon({1});
    }
    HistoryWindow window(&database);
    QSignalSpy shown(&window, &HistoryWindow::gameShown);
    window.show();
    QTRY_COMPARE(window.games()->rowCount(), 1);
    auto *list = window.findChild<QTableView *>(QStringLiteral("history_games"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTRY_COMPARE(shown.size(), 1);

    // The card draws what the game drew: a strike, a split frame, a spare.
    const ScoreCardModel *card = window.card();
    QCOMPARE(card->marks(1, 1)[1].kind, Mark::Kind::Strike);
    QCOMPARE(card->marks(1, 2), (ScoreCardModel::Marks{Mark::count(6), Mark::count(2), Mark{}}));
    QCOMPARE(card->marks(3, 2)[1].kind, Mark::Kind::Spare);
    QCOMPARE(card->scores(1, 2).running, scripted::annRunning(2));
    QCOMPARE(card->scoreText(1), QString::number(scripted::annRunning(kFrames)));

    // Frame 2 left pins: the rack's word stands beside the words played.
    const QTableWidget *table = window.frameTable();
    QCOMPARE(table->rowCount(), kFrames);
    const auto cell = [table](int row, const QString &header) {
        for (int column = 0; column < table->columnCount(); ++column) {
            if (table->horizontalHeaderItem(column)->text() == header)
                return table->item(row, column)->text();
        }
        return QString();
    };
    QCOMPARE(cell(1, QStringLiteral("Rack's word")), scripted::word(2).toUpper());
    const QString ann = cell(1, QStringLiteral("Ann"));
    QVERIFY2(ann.startsWith(scripted::refused(2).toUpper() + QStringLiteral(" (refused)")), qPrintable(ann));
    QVERIFY2(ann.endsWith(scripted::annWords(2).join(QStringLiteral(", ")).toUpper()), qPrintable(ann));
    QCOMPARE(cell(1, QStringLiteral("Robot (Hard)")), scripted::robotWords(2).join(QStringLiteral(", ")).toUpper());

    // Beside them, the chosen frame's words to look up: the rack's first,
    // then the words accepted, never one refused.
    window.frameTable()->setCurrentCell(1, 0);
    QStringList listed;
    for (int row = 0; row < window.definitions()->topLevelItemCount(); ++row)
        listed << window.definitions()->topLevelItem(row)->data(0, Qt::UserRole).toString();
    listed.removeAll(QString());
    QCOMPARE(listed.value(0), scripted::word(2).toUpper());
    QVERIFY(!listed.contains(scripted::refused(2).toUpper()));
    for (const QString &word : scripted::annWords(2) + scripted::robotWords(2))
        QVERIFY2(listed.contains(word.toUpper()), qPrintable(word));
}

void TestHistoryWindow::plotsAreToldInWords()
{
    writeGame(QStringLiteral("2024-01-01"), QStringLiteral("Ann"), QStringLiteral("Bob"));
    writeGame(QStringLiteral("2024-01-02"), QStringLiteral("Ann"), QStringLiteral("Cat"), 12);
    writeGame(QStringLiteral("2024-01-03"), QStringLiteral("Ann"), QStringLiteral("Dan"));
    HistoryDatabase database(path());
    HistoryWindow window(&database);
    QSignalSpy ready(&window, &HistoryWindow::statisticsShown);
    QSignalSpy shown(&window, &HistoryWindow::gameShown);
    window.show();
    auto *tabs = window.findChild<QTabWidget *>();
    QVERIFY(window.charts());
    tabs->setCurrentWidget(window.statisticsPage());
    QTRY_COMPARE(ready.size(), 1);
    for (const QString &name :
         {QStringLiteral("totals"), QStringLiteral("rates"), QStringLiteral("opponents"), QStringLiteral("strengths")}) {
        const QWidget *plot = window.charts()->plot(name);
        QVERIFY2(plot, qPrintable(name));
        QVERIFY(!plot->accessibleName().isEmpty());
        QVERIFY(!window.charts()->summary(name).isEmpty());
        QCOMPARE(plot->accessibleDescription(), window.charts()->summary(name));
        // What a screen reader reads of the summary is the summary itself.
        auto *label = window.statisticsPage()->findChild<QLabel *>(QStringLiteral("history_summary_") + name);
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), window.charts()->summary(name));
    }
    QVERIFY(window.charts()->summary(QStringLiteral("opponents")).contains(QStringLiteral("Bob")));

    // The best game is one key away, on the games page.
    QTest::keyClick(&window, Qt::Key_B, Qt::AltModifier);
    QTRY_COMPARE(shown.size(), 1);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(window.card()->scoreText(1), QStringLiteral("12"));
}

// Without the module the window still opens and its page says why.
void TestHistoryWindow::statisticsWithoutChartsModule()
{
    writeGame(QStringLiteral("2024-01-01"), QStringLiteral("Ann"), QStringLiteral("Bob"));
    setModuleFolders({m_dir->path()});
    HistoryDatabase database(path());
    HistoryWindow window(&database);
    QSignalSpy ready(&window, &HistoryWindow::statisticsShown);
    window.show();
    QVERIFY(!window.charts());
    window.findChild<QTabWidget *>()->setCurrentWidget(window.statisticsPage());
    QTRY_COMPARE(ready.size(), 1);
    auto *page = qobject_cast<QLabel *>(window.statisticsPage());
    QVERIFY(page && page->text().contains(QStringLiteral("not installed")));
}

QTEST_MAIN(TestHistoryWindow)
#include "test_historywindow.moc"
