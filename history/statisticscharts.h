#pragma once

#include "history/statistics.h"

#include <functional>

class QWidget;

// The statistics page: the total of each game with the running average,
// strike and spare rates per month, results against each opponent and each
// computer strength, the best game and the longest words. Every plot has
// its summary in words below it, which is also the plot's accessible
// description.
//
// The page comes from the charts module, which alone links Qt Charts and the
// OpenGL libraries under it, so that the program starts without them.

// What the page shows: the figures cut to what the plots hold, and each plot
// in words.
struct ShownStatistics
{
    // The plots show no more than these; the summaries say the same.
    static constexpr int kMonthsShown = 24;
    static constexpr int kOpponentsShown = 10;

    explicit ShownStatistics(const history::Statistics &all);

    history::Statistics stats;
    QString totals;
    QString rates;
    QString opponents;
    QString strengths;
    QString best;
};

class StatisticsCharts
{
public:
    // The page itself, owned by the widget it was made in.
    virtual QWidget *page() = 0;
    virtual void showStatistics(const ShownStatistics &shown) = 0;
    // The plot named name ("totals", "rates", "opponents", "strengths").
    virtual QWidget *plot(const QString &name) const = 0;
    virtual QString summary(const QString &name) const = 0;

protected:
    ~StatisticsCharts() = default;   // the page's parent deletes it
};

// The module's one entry: makes the page in parent; gameChosen is called
// with the game's number in the history on "Show the best game".
extern "C" {
using MakeStatisticsCharts = StatisticsCharts *(*)(QWidget *parent, const std::function<void(qint64)> &gameChosen);
}
inline constexpr char kMakeStatisticsCharts[] = "pinlexMakeStatisticsCharts";

// The page from the module, or null with the reason in *problem.
StatisticsCharts *loadStatisticsCharts(QWidget *parent, const std::function<void(qint64)> &gameChosen,
                                       QString *problem);
