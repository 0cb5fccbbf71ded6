#include "history/charts/historycharts.h"

#include "history/gamerecord.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

using namespace history;

namespace {

constexpr int kPlotHeight = 300;
constexpr int kPlotChrome = 140;   // title, axis and legend
constexpr int kBarHeight = 30;

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    // Chart titles and axis labels are rich text: names from peers are
    // escaped so that they show as typed.
    chart->setTitle(title.toHtmlEscaped());
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

// A count axis from 0 whose every label is a whole number: a step of 1,
// 2, 5, 10, 20 ... so that no more than ten steps fill it.
void countAxis(QValueAxis *axis, int most)
{
    constexpr int kMostSteps = 10;
    const int count = std::max(most, 1);
    const auto steps = [count](int step) { return (count + step - 1) / step; };
    int step = 1;
    for (int scale = 1; steps(step) > kMostSteps; scale *= 10) {
        for (const int factor : {2, 5, 10}) {
            step = factor * scale;
            if (steps(step) <= kMostSteps)
                break;
        }
    }
    axis->setRange(0, steps(step) * step);
    axis->setTickCount(steps(step) + 1);
    axis->setLabelFormat(QStringLiteral("%d"));
}

// A time axis over the games whose labels all differ: days over a short
// span (a single game gets the day before and after it), months over a
// long one, never two ticks within one day or one month.
void timeAxis(QDateTimeAxis *axis, QDateTime from, QDateTime to)
{
    constexpr qint64 kDay = 24 * 3600;
    constexpr qint64 kLongestMonth = 31 * kDay;
    constexpr int kMostTicks = 5;
    if (from.secsTo(to) < 2 * kDay) {
        const QDateTime middle = from.addSecs(from.secsTo(to) / 2);
        from = middle.addSecs(-kDay);
        to = middle.addSecs(kDay);
    }
    const qint64 span = from.secsTo(to);
    const bool months = span >= 2 * kLongestMonth;
    const qint64 unit = months ? kLongestMonth : kDay;
    axis->setFormat(months ? QStringLiteral("MMM yyyy") : QStringLiteral("d MMM yyyy"));
    axis->setTickCount(int(std::min<qint64>(kMostTicks, span / unit + 1)));
    axis->setRange(from, to);
}

QLabel *textLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

} // namespace

HistoryCharts::HistoryCharts(QWidget *parent, std::function<void(qint64)> gameChosen)
    : QScrollArea(parent), m_gameChosen(std::move(gameChosen))
{
    setObjectName(QStringLiteral("history_statistics"));
    setWidgetResizable(true);
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    setWidget(content);
    m_totals = addPlot(QStringLiteral("totals"), QStringLiteral("Total per game"));
    m_rates = addPlot(QStringLiteral("rates"), QStringLiteral("Strikes and spares per month"));
    m_opponents = addPlot(QStringLiteral("opponents"), QStringLiteral("Results against each opponent"));
    m_strengths = addPlot(QStringLiteral("strengths"), QStringLiteral("Results against computer players"));
    m_best = textLabel(content);
    m_best->setObjectName(QStringLiteral("history_best"));
    // A label's accessible name would stand in for its text: the text is
    // what a screen reader should read, the description says what it is.
    m_best->setAccessibleDescription(QStringLiteral("Best game and longest words"));
    layout->addWidget(m_best);
    m_showBest = new QPushButton(QStringLiteral("Show the &best game"), content);
    m_showBest->setObjectName(QStringLiteral("history_show_best"));
    m_showBest->setEnabled(false);
    connect(m_showBest, &QPushButton::clicked, this, [this] { m_gameChosen(m_bestGame); });
    layout->addWidget(m_showBest, 0, Qt::AlignLeft);
    layout->addStretch();
}

HistoryCharts::Plot HistoryCharts::addPlot(const QString &name, const QString &title)
{
    QWidget *content = widget();
    Plot plot;
    plot.view = new QChartView(newChart(title), content);
    plot.view->setObjectName(QStringLiteral("history_plot_") + name);
    plot.view->setAccessibleName(title);
    plot.view->setMinimumHeight(kPlotHeight);
    plot.view->setRenderHint(QPainter::Antialiasing);
    plot.summary = textLabel(content);
    plot.summary->setObjectName(QStringLiteral("history_summary_") + name);
    plot.summary->setAccessibleDescription(title + QStringLiteral(" in words"));
    content->layout()->addWidget(plot.view);
    content->layout()->addWidget(plot.summary);
    return plot;
}

QWidget *HistoryCharts::plot(const QString &name) const
{
    return findChild<QChartView *>(QStringLiteral("history_plot_") + name);
}

QString HistoryCharts::summary(const QString &name) const
{
    const auto *label = findChild<QLabel *>(QStringLiteral("history_summary_") + name);
    return label ? label->text() : QString();
}

void HistoryCharts::setSummary(const Plot &plot, const QString &text)
{
    plot.summary->setText(text);
    plot.view->setAccessibleDescription(text);
}

void HistoryCharts::showStatistics(const ShownStatistics &shown)
{
    const Statistics &stats = shown.stats;
    showTotals(stats, shown.totals);
    showRates(stats, shown.rates);
    showResults(m_opponents, stats.opponents, shown.opponents);
    showResults(m_strengths, stats.strengths, shown.strengths);
    m_best->setText(shown.best);
    m_bestGame = stats.best ? stats.bestGame : 0;
    m_showBest->setEnabled(m_bestGame != 0);
}

void HistoryCharts::showTotals(const Statistics &stats, const QString &summary)
{
    QChart *chart = newChart(QStringLiteral("Total per game"));
    auto *totals = new QLineSeries;
    totals->setName(QStringLiteral("Total"));
    auto *average = new QLineSeries;
    average->setName(QStringLiteral("Running average"));
    for (const Statistics::GameTotal &t : stats.totals) {
        const qreal when = qreal(t.started.toMSecsSinceEpoch());
        totals->append(when, t.total);
        average->append(when, t.average);
    }
    chart->addSeries(totals);
    chart->addSeries(average);
    // Points, so that a single game shows as more than an empty plot.
    totals->setPointsVisible(true);
    average->setPointsVisible(true);
    auto *time = new QDateTimeAxis;
    // With no game yet the axis would read the epoch: it shows this month.
    if (stats.totals.isEmpty())
        timeAxis(time, QDateTime::currentDateTime().addMonths(-1), QDateTime::currentDateTime());
    else
        timeAxis(time, stats.totals.first().started.toLocalTime(), stats.totals.last().started.toLocalTime());
    auto *score = new QValueAxis;
    score->setRange(0, kBestScore);
    score->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(score, Qt::AlignLeft);
    for (QLineSeries *series : {totals, average}) {
        series->attachAxis(time);
        series->attachAxis(score);
    }
    QChart *old = m_totals.view->chart();
    m_totals.view->setChart(chart);
    delete old;
    setSummary(m_totals, summary);
}

void HistoryCharts::showRates(const Statistics &stats, const QString &summary)
{
    QChart *chart = newChart(QStringLiteral("Strikes and spares per month"));
    auto *strikes = new QBarSet(QStringLiteral("Strikes %"));
    auto *spares = new QBarSet(QStringLiteral("Spares %"));
    QStringList months;
    for (const Statistics::MonthRates &m : stats.months) {
        strikes->append(100.0 * m.strikes / m.frames);
        spares->append(100.0 * m.spares / m.frames);
        // Axis labels are rich text: the year goes under the month.
        months << QLocale().toString(m.month, QStringLiteral("MMM'<br>'yy"));
    }
    auto *series = new QBarSeries;
    series->append(strikes);
    series->append(spares);
    chart->addSeries(series);
    auto *axis = new QBarCategoryAxis;
    axis->append(months);
    auto *percent = new QValueAxis;
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d%%"));
    chart->addAxis(axis, Qt::AlignBottom);
    chart->addAxis(percent, Qt::AlignLeft);
    series->attachAxis(axis);
    series->attachAxis(percent);
    QChart *old = m_rates.view->chart();
    m_rates.view->setChart(chart);
    delete old;
    setSummary(m_rates, summary);
}

void HistoryCharts::showResults(const Plot &plot, const QList<Statistics::Results> &results, const QString &summary)
{
    QChart *chart = newChart(plot.view->accessibleName());
    auto *won = new QBarSet(QStringLiteral("Won"));
    auto *lost = new QBarSet(QStringLiteral("Lost"));
    auto *tied = new QBarSet(QStringLiteral("Tied"));
    auto *other = new QBarSet(QStringLiteral("Won by another player"));
    QStringList names;
    int most = 1;
    // Bars go up from the axis: the last appended shows on top, where the
    // list (most games first) begins.
    for (auto r = results.crbegin(); r != results.crend(); ++r) {
        won->append(r->wins);
        lost->append(r->losses);
        tied->append(r->ties);
        other->append(r->othersWon());
        names << (r->against.isEmpty() ? QStringLiteral("(no name)") : r->against.toHtmlEscaped());
        most = std::max(most, r->games);
    }
    auto *series = new QHorizontalStackedBarSeries;
    series->append({won, lost, tied, other});
    chart->addSeries(series);
    auto *axis = new QBarCategoryAxis;
    axis->append(names);
    auto *games = new QValueAxis;
    countAxis(games, most);
    chart->addAxis(axis, Qt::AlignLeft);
    chart->addAxis(games, Qt::AlignBottom);
    // A bar high enough for its name beside it.
    plot.view->setMinimumHeight(std::max<int>(kPlotHeight, kPlotChrome + kBarHeight * int(results.size())));
    series->attachAxis(axis);
    series->attachAxis(games);
    QChart *old = plot.view->chart();
    plot.view->setChart(chart);
    delete old;
    setSummary(plot, summary);
}

extern "C" Q_DECL_EXPORT StatisticsCharts *pinlexMakeStatisticsCharts(QWidget *parent,
                                                                     const std::function<void(qint64)> &gameChosen)
{
    return new HistoryCharts(parent, gameChosen);
}
