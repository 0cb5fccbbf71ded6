// How long the program takes from its start until its main window is on the
// screen, against the smallest Qt Widgets program measured the same way in
// the same run. Both are started as processes on the display in DISPLAY (an
// X server, e.g. Xvfb) and timed until the server reports their first
// top-level window mapped. Each is started kStarts times; the median counts.
// BM_AlternatingLargeWindow starts the two in turn, kStarts times each, and
// times them to their first mapped window of at least 400 x 400 pixels:
// its counters are both medians and their ratio.
//
//   xvfb-run -a build/bench/bench_startup
//
// PINLEX_BENCH_PROGRAM names another build of the program to time in the
// same way, for a before and after under the same load of the machine.
#include "bench/qtbenchmain.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

#include <unistd.h>
#include <vector>

namespace {

// One start varies by a fifth on a busy machine; the median of this many
// varies by a few per cent.
constexpr int kStarts = 21;

// Whether the mapped window is at least minimum pixels wide and high.
bool largeEnough(xcb_connection_t *x, xcb_window_t window, int minimum)
{
    if (minimum <= 0)
        return true;
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr);
    const bool large = geometry && geometry->width >= minimum && geometry->height >= minimum;
    free(geometry);
    return large;
}

// Milliseconds from starting program until a window of it at least minimum
// pixels wide and high is mapped on the root window, or -1. x watches the
// root window's children.
double msUntilMapped(xcb_connection_t *x, const QString &program, const QStringList &arguments,
                     const QStringList &environment, int minimum = 0)
{
    while (xcb_generic_event_t *stale = xcb_poll_for_event(x))
        free(stale);

    QProcess process;
    process.setEnvironment(environment);
    process.setProgram(program);
    process.setArguments(arguments);
    QElapsedTimer clock;
    clock.start();
    process.start();
    double result = -1;
    while (clock.elapsed() < 10000) {
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (!event) {
            if (process.state() == QProcess::NotRunning)
                break;
            usleep(200);
            continue;
        }
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                            && largeEnough(x, reinterpret_cast<xcb_map_notify_event_t *>(event)->window, minimum);
        free(event);
        if (mapped) {
            result = double(clock.nsecsElapsed()) / 1e6;
            break;
        }
    }
    process.kill();
    process.waitForFinished(5000);
    return result;
}

// A scratch home for the programs, and one connection to the X display
// for the whole run (an X server without clients may reset itself between
// two programs) that watches the root window's children.
struct Desk
{
    QTemporaryDir home;
    QStringList environment;
    xcb_connection_t *x = nullptr;
};

Desk *openDesk(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs an X display (run it under xvfb-run)");
        return nullptr;
    }
    static Desk *const desk = [] {
        auto *made = new Desk;
        made->environment = QProcess::systemEnvironment();
        const QString home = made->home.path();
        made->environment << QStringLiteral("HOME=") + home << QStringLiteral("XDG_RUNTIME_DIR=") + home
                          << QStringLiteral("XDG_CONFIG_HOME=") + home << QStringLiteral("XDG_CACHE_HOME=") + home
                          << QStringLiteral("XDG_DATA_HOME=") + home << QStringLiteral("QT_QPA_PLATFORM=xcb");
        made->x = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(made->x))
            return made;
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(made->x)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(made->x, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(made->x);
        return made;
    }();
    if (xcb_connection_has_error(desk->x)) {
        state.SkipWithError("cannot connect to the X display");
        return nullptr;
    }
    return desk;
}

QString pinlexProgram()
{
    const QString other = qEnvironmentVariable("PINLEX_BENCH_PROGRAM");
    return other.isEmpty() ? QStringLiteral(PINLEX_BINARY) : other;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void run(benchmark::State &state, const QString &program, const QStringList &arguments)
{
    Desk *desk = openDesk(state);
    if (!desk)
        return;
    xcb_connection_t *x = desk->x;
    const QStringList &environment = desk->environment;
    std::vector<double> times;
    for (auto _ : state) {
        const double ms = msUntilMapped(x, program, arguments, environment);
        if (ms < 0) {
            state.SkipWithError("no window was mapped");
            return;
        }
        times.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["median_ms"] = median(times);
}

void BM_MinimalQtWindow(benchmark::State &state)
{
    run(state, QStringLiteral(MINIMAL_WINDOW_BINARY), {});
}
BENCHMARK(BM_MinimalQtWindow)->Iterations(kStarts)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MinimalQtWindowWithText(benchmark::State &state)
{
    run(state, QStringLiteral(MINIMAL_WINDOW_BINARY), {QStringLiteral("--text")});
}
BENCHMARK(BM_MinimalQtWindowWithText)->Iterations(kStarts)->UseManualTime()->Unit(benchmark::kMillisecond);

// One launch parameter: the main window with no connection.
void BM_PinlexMainWindow(benchmark::State &state)
{
    run(state, pinlexProgram(), {QStringLiteral("Bench")});
}
BENCHMARK(BM_PinlexMainWindow)->Iterations(kStarts)->UseManualTime()->Unit(benchmark::kMillisecond);

// The two programs in turn, so that both meet the same load of the machine.
void BM_AlternatingLargeWindow(benchmark::State &state)
{
    Desk *desk = openDesk(state);
    if (!desk)
        return;
    constexpr int kMinimum = 400;
    std::vector<double> minimal, pinlex;
    for (auto _ : state) {
        const double a = msUntilMapped(desk->x, QStringLiteral(MINIMAL_WINDOW_BINARY), {QStringLiteral("--text")},
                                       desk->environment, kMinimum);
        const double b = msUntilMapped(desk->x, pinlexProgram(), {QStringLiteral("Bench")},
                                       desk->environment, kMinimum);
        if (a < 0 || b < 0) {
            state.SkipWithError("no large window was mapped");
            return;
        }
        minimal.push_back(a);
        pinlex.push_back(b);
        state.SetIterationTime((a + b) / 1000.0);
    }
    state.counters["minimal_ms"] = median(minimal);
    state.counters["pinlex_ms"] = median(pinlex);
    state.counters["ratio"] = median(pinlex) / median(minimal);
}
BENCHMARK(BM_AlternatingLargeWindow)->Iterations(kStarts)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
