#include "history/statisticscharts.h"

#include "base/modules.h"
#include "history/historyqueries.h"

using namespace history;

ShownStatistics::ShownStatistics(const Statistics &all)
{
    stats = all;
    stats.months = all.months.mid(std::max<qsizetype>(0, all.months.size() - kMonthsShown));
    stats.opponents = all.opponents.mid(0, kOpponentsShown);
    totals = totalsSummary(stats);
    rates = ratesSummary(stats);
    opponents = resultsSummary(stats.opponents, QStringLiteral("each opponent"));
    strengths = resultsSummary(stats.strengths, QStringLiteral("computer players"));
    best = bestSummary(stats);
}

StatisticsCharts *loadStatisticsCharts(QWidget *parent, const std::function<void(qint64)> &gameChosen,
                                       QString *problem)
{
    const auto make = reinterpret_cast<MakeStatisticsCharts>(
        moduleEntry(QStringLiteral("pinlexcharts"), kMakeStatisticsCharts, moduleFolders(), problem));
    return make ? make(parent, gameChosen) : nullptr;
}
