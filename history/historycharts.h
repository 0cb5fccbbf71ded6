#pragma once

#include "history/historyqueries.h"

#include <QScrollArea>

class QChart;
class QChartView;
class QLabel;
class QPushButton;

// The statistics page: the total of each game with the running average,
// strike and spare rates per month, results against each opponent and each
// computer strength, the best game and the longest words. Every plot has
// its summary in words below it, which is also the plot's accessible
// description.
class HistoryCharts : public QScrollArea
{
    Q_OBJECT

public:
    // The plots show no more than these; the summaries say the same.
    static constexpr int kMonthsShown = 24;
    static constexpr int kOpponentsShown = 10;

    explicit HistoryCharts(QWidget *parent = nullptr);

    void setStatistics(const history::Statistics &stats);

    // The plot named name ("totals", "rates", "opponents", "strengths").
    QChartView *plot(const QString &name) const;
    QString summary(const QString &name) const;

signals:
    // "Show the best game": the game's number in the history.
    void gameChosen(qint64 id);

private:
    struct Plot
    {
        QChartView *view = nullptr;
        QLabel *summary = nullptr;
    };
    Plot addPlot(const QString &name, const QString &title);
    void setSummary(const Plot &plot, const QString &text);
    void showTotals(const history::Statistics &stats);
    void showRates(const history::Statistics &stats);
    void showResults(const Plot &plot, const QList<history::Statistics::Results> &results, const QString &what);

    Plot m_totals;
    Plot m_rates;
    Plot m_opponents;
    Plot m_strengths;
    QLabel *m_best = nullptr;
    QPushButton *m_showBest = nullptr;
    qint64 m_bestGame = 0;
};
