#pragma once

#include "history/statisticscharts.h"

#include <QScrollArea>

class QChartView;
class QLabel;
class QPushButton;

// The statistics page drawn with Qt Charts, inside the charts module.
class HistoryCharts : public QScrollArea, public StatisticsCharts
{
public:
    HistoryCharts(QWidget *parent, std::function<void(qint64)> gameChosen);

    QWidget *page() override { return this; }
    void showStatistics(const ShownStatistics &shown) override;
    QWidget *plot(const QString &name) const override;
    QString summary(const QString &name) const override;

private:
    struct Plot
    {
        QChartView *view = nullptr;
        QLabel *summary = nullptr;
    };
    Plot addPlot(const QString &name, const QString &title);
    void setSummary(const Plot &plot, const QString &text);
    void showTotals(const history::Statistics &stats, const QString &summary);
    void showRates(const history::Statistics &stats, const QString &summary);
    void showResults(const Plot &plot, const QList<history::Statistics::Results> &results, const QString &summary);

    std::function<void(qint64)> m_gameChosen;
    Plot m_totals;
    Plot m_rates;
    Plot m_opponents;
    Plot m_strengths;
    QLabel *m_best = nullptr;
    QPushButton *m_showBest = nullptr;
    qint64 m_bestGame = 0;
};
