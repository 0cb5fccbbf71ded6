// Word meanings from WordNet's data (wordnet-base must be installed).
//
// BM_MemoryAfterLookups: the resident memory a copy gains from its first
// lookup through 1,000 lookups of rack words: all of it after the last and
// at its highest between them, and the part that is the program's own
// (anonymous) rather than the mapped files' pages.
//
// BM_Lookup: one lookup after the data is open, over the rack words and a
// set of inflected and derived forms in turn; the median and 99th
// percentile of single lookups.
//
// BM_Coverage: the share of the rack words found, at the commonest
// vocabulary level and in all.
//
// BM_RobotWords/strength: the share of the words computer players of that
// strength play in 100 games that are found (0 Easy, 1 Medium, 2 Hard).
#include "definitions/worddefinitions.h"
#include "robots/robotbrain.h"
#include "robots/wordindex.h"
#include "words/letterwords.h"
#include "words/random.h"

#include "bench/qtbenchmain.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <vector>

namespace {

QStringList rackWords()
{
    QStringList words;
    for (int id = 0; id < letterwords::count(); ++id)
        words << letterwords::GetString(id);
    return words;
}

// Kilobytes of a field of /proc/self/smaps_rollup ("Rss:", "Anonymous:").
double residentKb(const char *field)
{
    QFile file(QStringLiteral("/proc/self/smaps_rollup"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

void BM_MemoryAfterLookups(benchmark::State &state)
{
    const QStringList words = rackWords();
    for (auto _ : state) {
        const double rss = residentKb("Rss:");
        const double anonymous = residentKb("Anonymous:");
        WordDefinitions definitions;
        double peak = 0;
        for (int n = 0; n < 1000; ++n) {
            benchmark::DoNotOptimize(definitions.define(words[(n * 7919) % words.size()]));
            peak = std::max(peak, residentKb("Rss:") - rss);
        }
        state.counters["rss_added_kb"] = residentKb("Rss:") - rss;
        state.counters["rss_peak_added_kb"] = peak;
        state.counters["anonymous_added_kb"] = residentKb("Anonymous:") - anonymous;
    }
}
BENCHMARK(BM_MemoryAfterLookups)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Lookup(benchmark::State &state)
{
    QStringList words = rackWords();
    words << QStringLiteral("knocked") << QStringLiteral("affordably") << QStringLiteral("installers")
          << QStringLiteral("xyzzy") << QStringLiteral("spare");
    WordDefinitions definitions;
    definitions.available();
    std::vector<double> micros;
    qsizetype next = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        benchmark::DoNotOptimize(definitions.define(words[next]));
        micros.push_back(double(timer.nsecsElapsed()) / 1000);
        next = (next + 7919) % words.size();
    }
    state.counters["median_us"] = percentile(micros, 0.5);
    state.counters["p99_us"] = percentile(micros, 0.99);
}
BENCHMARK(BM_Lookup)->Unit(benchmark::kMicrosecond);

void BM_Coverage(benchmark::State &state)
{
    const QStringList words = rackWords();
    const WordIndex &index = WordIndex::shared();
    for (auto _ : state) {
        WordDefinitions definitions;
        int common = 0;
        int commonFound = 0;
        int found = 0;
        for (const QString &word : words) {
            const bool defined = definitions.define(word).found();
            found += defined ? 1 : 0;
            if (index.levelOf(word.toLatin1()) == int(Vocabulary::Common)) {
                ++common;
                commonFound += defined ? 1 : 0;
            }
        }
        state.counters["common_words"] = common;
        state.counters["common_found_pct"] = 100.0 * commonFound / std::max(1, common);
        state.counters["all_words"] = double(words.size());
        state.counters["all_found_pct"] = 100.0 * found / std::max<qsizetype>(1, words.size());
    }
}
BENCHMARK(BM_Coverage)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RobotWords(benchmark::State &state)
{
    const Strength strength = Strength(state.range(0));
    WordDefinitions definitions;
    for (auto _ : state) {
        Random::setSeed(7);
        RobotBrain brain(strength, WordIndex::shared(), 7);
        int played = 0;
        int found = 0;
        for (int frame = 0; frame < 100 * 10; ++frame) {
            const QString word = letterwords::draw();
            letterwords::Rack rack{};
            rack.fill(0);
            letterwords::Rack seat{};
            letterwords::Rack *seats[] = {&seat};
            letterwords::shuffleOntoRack(word, rack, seats);
            brain.newRack(seat, 2);
            while (const std::optional<RobotBrain::Move> move = brain.think(std::numeric_limits<int>::max())) {
                brain.accepted();
                ++played;
                found += definitions.define(QString::fromLatin1(move->word)).found() ? 1 : 0;
            }
        }
        state.counters["words_played"] = played;
        state.counters["found_pct"] = 100.0 * found / std::max(1, played);
    }
}
BENCHMARK(BM_RobotWords)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
