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
#include <QBarSet>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QHorizontalStackedBarSeries>
#include <QLineSeries>
#include <QScrollBar>
#include <QValueAxis>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <ctime>

using namespace history;

namespace {

// A hand-made game: the seats, this copy's letters per frame and its
// accepted words. It starts at noon.
struct Played
{
    QString day;
    QList<SeatRecord> seats;
    QList<std::array<int, kBalls>> own;
    QStringList words;
    bool finished = true;
    bool team = false;
    int ownSlot = 1;
};
using History = QList<Played>;

SeatRecord seat(int n, const char *name, int total, bool winner = false, std::optional<Strength> computer = {})
{
    return SeatRecord{n, QString::fromLatin1(name), computer, total, winner};
}

} // namespace

Q_DECLARE_METATYPE(History)

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listsNewestFirstAndSearchesOpponents();
    void chosenGameShowsCardAndWords();
    void plotsAreToldInWords();
    void statisticsPageTellsEveryFigure_data();
    void statisticsPageTellsEveryFigure();
    void statisticsWithoutChartsModule();

private:
    void writeGame(const QString &day, const QString &own, const QString &opponent, int total = 9);
    QString path() const { return m_dir->filePath(QStringLiteral("history.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_games = 0;
};

// Dates read the same on every machine.
void TestHistoryWindow::initTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
    QLocale::setDefault(QLocale::c());
}

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

    // Every column is in view, at the window's own size and at half of it;
    // a cell cut short is whole in its tooltip and for a screen reader.
    for (const int width : {window.width(), window.width() / 2}) {
        window.resize(width, window.height());
        QTRY_COMPARE(table->horizontalScrollBar()->maximum(), 0);
    }
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            QCOMPARE(item->toolTip(), item->text());
            QCOMPARE(item->data(Qt::AccessibleTextRole).toString(), item->text());
        }
    }
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

void TestHistoryWindow::statisticsPageTellsEveryFigure_data()
{
    QTest::addColumn<History>("history");
    QTest::addColumn<QStringList>("summaries");   // totals, rates, opponents, strengths, best
    const auto hard = std::optional(Strength::Hard);

    QTest::newRow("no games") << History{} << QStringList{
        "Total per game: no finished games yet.", "Strikes and spares per month: no frames played yet.",
        "Results against each opponent: no finished games yet.",
        "Results against computer players: no finished games yet.", "Best game: none finished yet."};
    // One game, counted once against "hard" however many hard seats it had.
    QTest::newRow("one game against three hard computer players")
        << History{{"2024-01-10",
                    {seat(1, "Ann", 150), seat(2, "Hal", 120, false, hard), seat(3, "Ida", 180, true, hard),
                     seat(4, "Jo", 90, false, hard)},
                    {{10, -1, -1}, {6, 4, -1}, {3, 2, -1}}, {"streamline"}}}
        << QStringList{"Total per game: 1 game, on 10 Jan 2024, total 150.",
                       "Strikes and spares per month. January 2024: 33% strikes, 33% spares of 3 frames.",
                       "Results against each opponent. Hal: 1 game: 0 won, 0 lost, 1 won by another player; "
                       "Ida: 1 game: 0 won, 1 lost; Jo: 1 game: 0 won, 0 lost, 1 won by another player.",
                       "Results against computer players. Hard: 1 game: 0 won, 1 lost.",
                       "Best game: 150 on 10 Jan 2024 12:00:00. Longest words: STREAMLINE."};
    QTest::newRow("two games")
        << History{{"2024-01-10", {seat(1, "Ann", 120, true), seat(2, "Bob", 100)}, {{10, -1, -1}}, {}},
                   {"2024-03-12", {seat(1, "Ann", 90), seat(2, "Bob", 140, true)}, {{4, 6, -1}, {1, 1, -1}}, {}}}
        << QStringList{"Total per game: 2 games from 10 Jan 2024 to 12 Mar 2024, totals between 90 and 120; "
                       "the running average is now 105.0, the last game scored 90.",
                       "Strikes and spares per month. January 2024: 100% strikes, 0% spares of 1 frame; "
                       "March 2024: 0% strikes, 50% spares of 2 frames.",
                       "Results against each opponent. Bob: 2 games: 1 won, 1 lost.",
                       "Results against computer players: no finished games yet.",
                       "Best game: 120 on 10 Jan 2024 12:00:00."};
    QTest::newRow("a tie and a game someone else won")
        << History{{"2024-05-15", {seat(1, "Ann", 100, true), seat(2, "Bob", 100, true), seat(3, "Cat", 80)},
                    {{5, 5, -1}}, {}},
                   {"2024-05-16", {seat(1, "Ann", 70), seat(2, "Bob", 60), seat(3, "Cat", 110, true)},
                    {{2, 3, -1}}, {}}}
        << QStringList{"Total per game: 2 games from 15 May 2024 to 16 May 2024, totals between 70 and 100; "
                       "the running average is now 85.0, the last game scored 70.",
                       "Strikes and spares per month. May 2024: 0% strikes, 50% spares of 2 frames.",
                       "Results against each opponent. Bob: 2 games: 0 won, 0 lost, 1 tied, 1 won by another "
                       "player; Cat: 2 games: 1 won, 1 lost. A tie is a game you both won, on equal totals.",
                       "Results against computer players: no finished games yet.",
                       "Best game: 100 on 15 May 2024 12:00:00."};
    // Cat in seat 3 plays with Ann, not against her.
    QTest::newRow("team game")
        << History{{"2024-06-15",
                    {seat(1, "Ann", 100), seat(2, "Bob", 110, true), seat(3, "Cat", 60),
                     seat(4, "Dan", 80, true, Strength::Easy)},
                    {{3, 3, -1}}, {}, true, true}}
        << QStringList{"Total per game: 1 game, on 15 Jun 2024, total 100.",
                       "Strikes and spares per month. June 2024: 0% strikes, 0% spares of 1 frame.",
                       "Results against each opponent. Bob: 1 game: 0 won, 1 lost; Dan: 1 game: 0 won, 1 lost.",
                       "Results against computer players. Easy: 1 game: 0 won, 1 lost.",
                       "Best game: 100 on 15 Jun 2024 12:00:00."};
    // Its frames and words were played; it has no total and no result.
    QTest::newRow("unfinished game")
        << History{{"2024-07-15", {seat(1, "Ann", 50, true), seat(2, "Bob", 40)}, {{5, 4, -1}}, {}},
                   {"2024-08-15", {seat(1, "Ann", 30), seat(2, "Bob", 30)}, {{10, -1, -1}, {10, -1, -1}},
                    {"backstroke"}, false}}
        << QStringList{"Total per game: 1 game, on 15 Jul 2024, total 50.",
                       "Strikes and spares per month. July 2024: 0% strikes, 0% spares of 1 frame; "
                       "August 2024: 100% strikes, 0% spares of 2 frames.",
                       "Results against each opponent. Bob: 1 game: 1 won, 0 lost.",
                       "Results against computer players: no finished games yet.",
                       "Best game: 50 on 15 Jul 2024 12:00:00. Longest words: BACKSTROKE."};

    // Two games a month for 25 months against twelve opponents in turn,
    // won in even games: the plots keep the last 24 months and the ten
    // opponents met most.
    History fifty;
    QStringList months;
    QStringList opponents;
    for (int i = 0; i < 50; ++i) {
        const QDate day = QDate(2020, 1, 15 + i % 2).addMonths(i / 2);
        const QByteArray name = QStringLiteral("Opp%1").arg(i % 12, 2, 10, QLatin1Char('0')).toLatin1();
        fifty.append({day.toString(Qt::ISODate),
                      {seat(1, "Ann", 100 + i, i % 2 == 0), seat(2, name.constData(), 99, i % 2)},
                      {i % 2 ? std::array{4, 3, -1} : std::array{10, -1, -1}}, {}});
        if (i % 2 && i > 1)
            months << day.toString(u"MMMM yyyy") + QStringLiteral(": 50% strikes, 0% spares of 2 frames");
        const int met = i < 2 ? 5 : 4;   // games against Opp<i>, all won or all lost
        if (i < 10)
            opponents << QStringLiteral("Opp%1: %2 games: %3 won, %4 lost")
                             .arg(i, 2, 10, QLatin1Char('0'))
                             .arg(met)
                             .arg(i % 2 ? 0 : met)
                             .arg(i % 2 ? met : 0);
    }
    QTest::newRow("fifty games")
        << fifty << QStringList{"Total per game: 50 games from 15 Jan 2020 to 16 Jan 2022, totals between 100 "
                                "and 149; the running average is now 124.5, the last game scored 149.",
                                "Strikes and spares per month. " + months.join("; ") + ".",
                                "Results against each opponent. " + opponents.join("; ") + ".",
                                "Results against computer players: no finished games yet.",
                                "Best game: 149 on 16 Jan 2022 12:00:00."};
}

// Every figure of the page, in words and in the plots: a single game is a
// point, axes count in whole numbers and no two of their labels are alike,
// and each bar fits its axis.
void TestHistoryWindow::statisticsPageTellsEveryFigure()
{
    QFETCH(History, history);
    QFETCH(QStringList, summaries);
    {
        HistoryStore store(path());
        QCOMPARE(store.open(), QString());
        for (const Played &p : history) {
            GameRecord g;
            g.key = QString::number(++m_games);
            g.started = QDateTime(QDate::fromString(p.day, Qt::ISODate), QTime(12, 0), Qt::UTC);
            g.ownSlot = p.ownSlot;
            g.team = p.team;
            g.seats = p.seats;
            for (int k = 1; k <= p.own.size(); ++k) {
                FrameRecord f;
                f.frame = k;
                for (const SeatRecord &s : p.seats)
                    f.seats.append(SeatFrame{s.seat, true, s.seat == p.ownSlot ? p.own[k - 1] : std::array{1, 1, -1}});
                for (const QString &w : p.words)
                    f.words.append(WordRecord{p.ownSlot, w, true});
                QVERIFY2(store.writeFrame(g, f, {}), qPrintable(store.lastError()));
            }
            g.finished = p.finished;
            QVERIFY(!p.finished || store.finishGame(g));
        }
    }
    HistoryDatabase database(path());
    HistoryWindow window(&database);
    QSignalSpy ready(&window, &HistoryWindow::statisticsShown);
    window.show();
    QVERIFY(window.charts());
    window.findChild<QTabWidget *>()->setCurrentWidget(window.statisticsPage());
    QTRY_COMPARE(ready.size(), 1);
    const QStringList plots{"totals", "rates", "opponents", "strengths"};
    for (int k = 0; k < plots.size(); ++k)
        QCOMPARE(window.charts()->summary(plots[k]), summaries[k]);
    QCOMPARE(window.statisticsPage()->findChild<QLabel *>(QStringLiteral("history_best"))->text(), summaries.last());

    const auto chart = [&window](const QString &name) {
        return qobject_cast<QChartView *>(window.charts()->plot(name))->chart();
    };
    int finished = 0;
    for (const Played &p : history)
        finished += p.finished;
    for (QAbstractSeries *series : chart(QStringLiteral("totals"))->series()) {
        auto *line = qobject_cast<QLineSeries *>(series);
        QCOMPARE(line->count(), finished);
        QVERIFY(line->pointsVisible());
    }
    const auto *time = qobject_cast<QDateTimeAxis *>(chart(QStringLiteral("totals"))->axes(Qt::Horizontal).first());
    QSet<QString> days;
    const qint64 span = time->min().msecsTo(time->max());
    for (int k = 0; k < time->tickCount(); ++k)
        days << time->min().addMSecs(span * k / (time->tickCount() - 1)).toString(time->format());
    QCOMPARE(days.size(), time->tickCount());
    for (const QString &name : {QStringLiteral("opponents"), QStringLiteral("strengths")}) {
        auto *axis = qobject_cast<QValueAxis *>(chart(name)->axes(Qt::Horizontal).first());
        const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
        QVERIFY2(step >= 1 && step == std::round(step), qPrintable(QString::number(step)));
        auto *bars = qobject_cast<QHorizontalStackedBarSeries *>(chart(name)->series().first());
        for (int bar = 0; bar < bars->barSets().first()->count(); ++bar) {
            qreal games = 0;
            for (const QBarSet *set : bars->barSets())
                games += set->at(bar);
            QVERIFY(games <= axis->max());
        }
    }
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
