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
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MMM yyyy"));
    // With no game yet the axis would read the epoch: it shows this month.
    if (stats.totals.isEmpty())
        time->setRange(QDateTime::currentDateTime().addMonths(-1), QDateTime::currentDateTime());
    else
        time->setRange(stats.totals.first().started.toLocalTime(), stats.totals.last().started.toLocalTime());
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
    auto *other = new QBarSet(QStringLiteral("Neither"));
    QStringList names;
    int most = 1;
    // Bars go up from the axis: the last appended shows on top, where the
    // list (most games first) begins.
    for (auto r = results.crbegin(); r != results.crend(); ++r) {
        won->append(r->wins);
        lost->append(r->losses);
        other->append(r->games - r->wins - r->losses);
        names << (r->against.isEmpty() ? QStringLiteral("(no name)") : r->against.toHtmlEscaped());
        most = std::max(most, r->games);
    }
    auto *series = new QHorizontalStackedBarSeries;
    series->append({won, lost, other});
    chart->addSeries(series);
    auto *axis = new QBarCategoryAxis;
    axis->append(names);
    auto *games = new QValueAxis;
    games->setRange(0, most);
    games->applyNiceNumbers();
    games->setLabelFormat(QStringLiteral("%d"));
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
