#pragma once

#include "definitions/framewords.h"
#include "history/gamerecord.h"

#include <QDialog>
#include <QTimer>

#include <optional>

class DefinitionsView;
class GameListModel;
class StatisticsCharts;
class HistoryDatabase;
class QLabel;
class QLineEdit;
class QTableView;
class QTableWidget;
class QTabWidget;
class ScoreCardModel;
class WordDefinitions;

// "Game History": the recorded games, newest first and searchable by an
// opponent's name; a chosen game's scorecard beside the words each seat
// played in every frame and the rack's own word, and beside those the
// meanings of the chosen frame's words; and a page of statistics.
// Everything is read on the history's own thread; the window shows the
// answers as they come.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    explicit HistoryWindow(HistoryDatabase *database, QWidget *parent = nullptr);
    // Meanings from definitions instead of the program's own.
    HistoryWindow(HistoryDatabase *database, WordDefinitions &definitions, QWidget *parent = nullptr);

    GameListModel *games() const { return m_games; }
    ScoreCardModel *card() const { return m_card; }
    QTableWidget *frameTable() const { return m_frames; }
    DefinitionsView *definitions() const { return m_definitions; }
    // Null when the charts module is missing; the page then says so.
    StatisticsCharts *charts() const { return m_charts; }
    QWidget *statisticsPage() const { return m_statisticsPage; }

    // Reads the list anew (games may have been recorded since).
    void refresh();
    void showGame(qint64 id);

    // The text of one frame's cell for a seat: its words in the order
    // played, a refused one marked so.
    static QString wordsText(const history::FrameRecord &frame, int seat);
    // A frame's words to look up: its rack's words, then each accepted
    // word with its player.
    static QList<WordToDefine> wordsToDefine(const history::GameRecord &game, const history::FrameRecord &frame);

signals:
    void gameShown(qint64 id);
    void statisticsShown();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void askPage(const QString &search, int offset, int count);
    void showDetail(const std::optional<history::GameRecord> &game);
    void loadStatistics();
    QWidget *makeGamesPage(WordDefinitions &definitions);
    void showFrameWords(int row);
    QWidget *makeStatisticsPage();

    HistoryDatabase *m_database;
    GameListModel *m_games;
    ScoreCardModel *m_card;
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_search = nullptr;
    QTimer m_searchDelay;
    QTableView *m_list = nullptr;
    QLabel *m_heading = nullptr;
    QWidget *m_cardPanel = nullptr;
    QTableWidget *m_frames = nullptr;
    DefinitionsView *m_definitions = nullptr;
    std::optional<history::GameRecord> m_game;
    StatisticsCharts *m_charts = nullptr;
    QWidget *m_statisticsPage = nullptr;
    qint64 m_shown = 0;
};
