// How long the program takes from its start until its main window is on the
// screen, against the smallest Qt Widgets program measured the same way in
// the same run. Both are started as processes on the display in DISPLAY (an
// X server, e.g. Xvfb) and timed until the server reports their first
// top-level window mapped. Each is run a few times; the median counts.
//
//   xvfb-run -a build/bench/bench_startup
#include "bench/qtbenchmain.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

#include <unistd.h>
#include <vector>

namespace {

// Milliseconds from starting program until a window of it is mapped on the
// root window, or -1. x watches the root window's children.
double msUntilMapped(xcb_connection_t *x, const QString &program, const QStringList &arguments,
                     const QStringList &environment)
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
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
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

void run(benchmark::State &state, const QString &program, const QStringList &arguments)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs an X display (run it under xvfb-run)");
        return;
    }
    QTemporaryDir home;
    QStringList environment = QProcess::systemEnvironment();
    environment << QStringLiteral("HOME=") + home.path() << QStringLiteral("XDG_RUNTIME_DIR=") + home.path()
                << QStringLiteral("XDG_CONFIG_HOME=") + home.path() << QStringLiteral("XDG_CACHE_HOME=") + home.path()
                << QStringLiteral("XDG_DATA_HOME=") + home.path() << QStringLiteral("QT_QPA_PLATFORM=xcb");
    // One connection for the whole run: an X server without clients may
    // reset itself between two programs.
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (!x || xcb_connection_has_error(x)) {
        state.SkipWithError("cannot connect to the X display");
        return;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    const auto disconnect = qScopeGuard([x] { xcb_disconnect(x); });
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
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
}

void BM_MinimalQtWindow(benchmark::State &state)
{
    run(state, QStringLiteral(MINIMAL_WINDOW_BINARY), {});
}
BENCHMARK(BM_MinimalQtWindow)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MinimalQtWindowWithText(benchmark::State &state)
{
    run(state, QStringLiteral(MINIMAL_WINDOW_BINARY), {QStringLiteral("--text")});
}
BENCHMARK(BM_MinimalQtWindowWithText)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

// One launch parameter: the main window with no connection.
void BM_PinlexMainWindow(benchmark::State &state)
{
    run(state, QStringLiteral(PINLEX_BINARY), {QStringLiteral("Bench")});
}
BENCHMARK(BM_PinlexMainWindow)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
