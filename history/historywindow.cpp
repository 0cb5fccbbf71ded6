#include "history/historywindow.h"

#include "board/scorecardmodel.h"
#include "definitions/worddefinitions.h"
#include "dialogs/definitionsview.h"
#include "history/gamelistmodel.h"
#include "history/statisticscharts.h"
#include "history/historydatabase.h"
#include "history/historyqueries.h"
#include "history/scorecardfill.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace history;

namespace {

constexpr int kSearchDelayMs = 250;

QString durationText(int seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString headingText(const GameRecord &game)
{
    QStringList parts;
    parts << QLocale().toString(game.started.toLocalTime(), QLocale::LongFormat);
    if (!game.table.isEmpty())
        parts << QStringLiteral("table ") + game.table;
    parts << QStringLiteral("%1 long").arg(durationText(game.durationSeconds));
    if (game.team)
        parts << QStringLiteral("team game");
    if (game.watched())
        parts << QStringLiteral("watched");
    if (game.joinedLate)
        parts << QStringLiteral("joined late");
    parts << GameListModel::resultText(game);
    return parts.join(QStringLiteral(", "));
}

QString frameWordText(const FrameRecord &frame)
{
    QStringList words{frame.word.toUpper()};
    for (const QString &bonus : {frame.bonusWord2, frame.bonusWord3}) {
        if (!bonus.isEmpty())
            words << bonus.toUpper();
    }
    return words.join(QStringLiteral(" / "));
}

} // namespace

HistoryWindow::HistoryWindow(HistoryDatabase *database, QWidget *parent)
    : HistoryWindow(database, WordDefinitions::shared(), parent)
{
}

HistoryWindow::HistoryWindow(HistoryDatabase *database, WordDefinitions &definitions, QWidget *parent)
    : QDialog(parent), m_database(database), m_games(new GameListModel(this)), m_card(new ScoreCardModel(this))
{
    setObjectName(QStringLiteral("Thistory"));
    setWindowTitle(QStringLiteral("Game History"));
    resize(1180, 660);

    m_tabs = new QTabWidget(this);
    m_tabs->setAccessibleName(QStringLiteral("Game History pages"));
    m_tabs->addTab(makeGamesPage(definitions), QStringLiteral("&Games"));
    m_tabs->addTab(makeStatisticsPage(), QStringLiteral("&Statistics"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);

    connect(m_games, &GameListModel::pageWanted, this, &HistoryWindow::askPage);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_tabs->widget(index) == m_statisticsPage)
            loadStatistics();
    });
    m_searchDelay.setSingleShot(true);
    m_searchDelay.setInterval(kSearchDelayMs);
    connect(&m_searchDelay, &QTimer::timeout, this, [this] { m_games->setSearch(m_search->text()); });
    connect(m_search, &QLineEdit::textChanged, this, [this] { m_searchDelay.start(); });
}

QWidget *HistoryWindow::makeStatisticsPage()
{
    QString problem;
    m_charts = loadStatisticsCharts(this, [this](qint64 id) {
        m_tabs->setCurrentIndex(0);
        showGame(id);
    }, &problem);
    if (m_charts) {
        m_statisticsPage = m_charts->page();
    } else {
        auto *missing = new QLabel(QStringLiteral("The statistics are not installed: ") + problem, this);
        missing->setTextFormat(Qt::PlainText);
        missing->setWordWrap(true);
        missing->setAlignment(Qt::AlignCenter);
        m_statisticsPage = missing;
    }
    return m_statisticsPage;
}

QWidget *HistoryWindow::makeGamesPage(WordDefinitions &definitions)
{
    auto *page = new QSplitter(Qt::Horizontal);

    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *searchLabel = new QLabel(QStringLiteral("Search by &opponent:"));
    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("history_search"));
    m_search->setAccessibleName(QStringLiteral("Search by opponent"));
    m_search->setClearButtonEnabled(true);
    searchLabel->setBuddy(m_search);
    m_list = new QTableView;
    m_list->setObjectName(QStringLiteral("history_games"));
    m_list->setAccessibleName(QStringLiteral("Games, newest first"));
    m_list->setModel(m_games);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(GameListModel::DateColumn, 120);
    m_list->setColumnWidth(GameListModel::PlayersColumn, 240);
    leftLayout->addWidget(searchLabel);
    leftLayout->addWidget(m_search);
    leftLayout->addWidget(m_list);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (const qint64 id = m_games->gameId(current.row()))
                    showGame(id);
            });

    auto *right = new QWidget;
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_heading = new QLabel(QStringLiteral("Choose a game to see its scorecard."));
    m_heading->setObjectName(QStringLiteral("history_heading"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setWordWrap(true);
    m_heading->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_cardPanel = makeScoreCardPanel(m_card, nullptr);
    m_frames = new QTableWidget;
    m_frames->setObjectName(QStringLiteral("history_frames"));
    m_frames->setAccessibleName(QStringLiteral("Words of each frame"));
    m_frames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_frames->verticalHeader()->hide();
    // The words wrap within the window's width instead of running off to
    // the right; a word longer than its column is cut short, whole in its
    // tooltip and for a screen reader.
    m_frames->setWordWrap(true);
    m_frames->setTextElideMode(Qt::ElideRight);
    m_frames->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_frames->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The chosen frame's words are looked up, not the whole game's.
    m_definitions = new DefinitionsView(definitions);
    m_definitions->setAccessibleName(QStringLiteral("Meanings of the chosen frame's words"));
    connect(m_frames, &QTableWidget::currentCellChanged, this, [this](int row) { showFrameWords(row); });
    auto *words = new QSplitter(Qt::Horizontal);
    words->addWidget(m_frames);
    words->addWidget(m_definitions);
    words->setStretchFactor(0, 3);
    words->setStretchFactor(1, 2);
    rightLayout->addWidget(m_heading);
    rightLayout->addWidget(m_cardPanel);
    rightLayout->addWidget(words, 1);

    page->addWidget(left);
    page->addWidget(right);
    page->setStretchFactor(1, 1);
    page->setSizes({500, 680});
    return page;
}

void HistoryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    refresh();
}

void HistoryWindow::refresh()
{
    m_games->setSearch(m_search->text());
    if (m_tabs->currentWidget() == m_statisticsPage)
        loadStatistics();
}

void HistoryWindow::askPage(const QString &search, int offset, int count)
{
    m_database->read<QList<GameRecord>>(
        this, [search, offset, count](HistoryStore &store) { return gamePage(store.database(), search, offset, count); },
        [this, search, offset](const QList<GameRecord> &games) { m_games->addPage(search, offset, games); });
}

void HistoryWindow::showGame(qint64 id)
{
    m_shown = id;
    m_database->read<std::optional<GameRecord>>(
        this, [id](HistoryStore &store) { return gameDetail(store.database(), id); },
        [this, id](const std::optional<GameRecord> &game) {
            // Only the last choice counts when the keys ran ahead.
            if (id == m_shown)
                showDetail(game);
        });
}

QString HistoryWindow::wordsText(const FrameRecord &frame, int seat)
{
    QStringList words;
    for (const WordRecord &w : frame.words) {
        if (w.seat == seat)
            words << (w.accepted ? w.word.toUpper() : QStringLiteral("%1 (refused)").arg(w.word.toUpper()));
    }
    return words.join(QStringLiteral(", "));
}

QList<WordToDefine> HistoryWindow::wordsToDefine(const GameRecord &game, const FrameRecord &frame)
{
    QList<WordToDefine> words;
    framewords::add(words, frame.word, framewords::frameWordSource());
    framewords::add(words, frame.bonusWord2, framewords::bonusWordSource());
    framewords::add(words, frame.bonusWord3, framewords::bonusWordSource());
    for (const WordRecord &w : frame.words) {
        const SeatRecord *seat = game.seat(w.seat);
        if (w.accepted)
            framewords::add(words, w.word, seat ? seat->name : QStringLiteral("seat %1").arg(w.seat));
    }
    return words;
}

void HistoryWindow::showFrameWords(int row)
{
    if (!m_game || row < 0 || row >= m_game->frames.size()) {
        m_definitions->setWords({});
        return;
    }
    m_definitions->setWords(wordsToDefine(*m_game, m_game->frames[row]));
}

void HistoryWindow::showDetail(const std::optional<GameRecord> &game)
{
    m_game = game;
    if (!game) {
        m_heading->setText(QStringLiteral("This game is no longer in the history."));
        showFrameWords(-1);
        return;
    }
    m_heading->setText(headingText(*game));
    fillScoreCard(*m_card, *game);
    showSeats(m_cardPanel, *game);

    QStringList headers{QStringLiteral("Frame"), QStringLiteral("Rack's word")};
    for (const SeatRecord &s : game->seats)
        headers << s.name;
    m_frames->clear();
    m_frames->setColumnCount(int(headers.size()));
    m_frames->setHorizontalHeaderLabels(headers);
    for (int column = 0; column < headers.size(); ++column)
        m_frames->horizontalHeaderItem(column)->setToolTip(headers[column]);
    m_frames->setRowCount(int(game->frames.size()));
    const auto cell = [](const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setToolTip(text);
        item->setData(Qt::AccessibleTextRole, text);
        return item;
    };
    for (int row = 0; row < game->frames.size(); ++row) {
        const FrameRecord &frame = game->frames[row];
        m_frames->setItem(row, 0, cell(QString::number(frame.frame)));
        m_frames->setItem(row, 1, cell(frameWordText(frame)));
        for (int column = 0; column < game->seats.size(); ++column) {
            const int seat = game->seats[column].seat;
            bool played = false;
            for (const SeatFrame &s : frame.seats)
                played = played || (s.seat == seat && s.played);
            const QString words = wordsText(frame, seat);
            m_frames->setItem(row, 2 + column,
                              cell(!played ? QStringLiteral("(not in the game yet)")
                                   : words.isEmpty() ? QStringLiteral("(no word)")
                                                     : words));
        }
    }
    // The frame's number needs no more than its own width.
    m_frames->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_frames->setCurrentCell(0, 1);
    showFrameWords(m_frames->currentRow());
    emit gameShown(game->id);
}

void HistoryWindow::loadStatistics()
{
    // Without the module nothing would show the figures: no need to count them.
    if (!m_charts) {
        emit statisticsShown();
        return;
    }
    m_database->read<Statistics>(
        this, [](HistoryStore &store) { return statistics(store.database()); },
        [this](const Statistics &stats) {
            m_charts->showStatistics(ShownStatistics(stats));
            emit statisticsShown();
        });
}
