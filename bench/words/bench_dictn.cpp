// Lookups per second of the on-disk dictionary against a binary search over
// the same records held in memory, and the ratio of the two.
#include "words/dictn.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>
#include <vector>

namespace {

const QByteArray &records()
{
    static const QByteArray data = TDictn::carriedRecords();
    return data;
}

qsizetype recordCount()
{
    return records().size() / TDictn::kRecordSize;
}

// Every 61st word of the dictionary, and as many near misses.
const QStringList &sampleWords()
{
    static const QStringList words = [] {
        QStringList list;
        for (qsizetype i = 0; i < recordCount(); i += 61) {
            const QString word = QString::fromLatin1(
                records().mid(i * TDictn::kRecordSize + 1, TDictn::kWordSize).trimmed()).toLower();
            list << word << word.left(word.size() - 1) + QLatin1Char('q');
        }
        return list;
    }();
    return words;
}

// The 14 word bytes of every record, pointing into the carried data.
const std::vector<std::string_view> &recordWords()
{
    static const std::vector<std::string_view> words = [] {
        std::vector<std::string_view> list;
        for (qsizetype i = 0; i < recordCount(); ++i)
            list.emplace_back(records().constData() + i * TDictn::kRecordSize + 1, TDictn::kWordSize);
        return list;
    }();
    return words;
}

bool memoryLookup(const QString &word)
{
    const QByteArray key = word.toLatin1().toUpper().leftJustified(TDictn::kWordSize, ' ', true);
    return std::binary_search(recordWords().begin(), recordWords().end(), std::string_view(key.constData(), key.size()));
}

template <typename Lookup>
void runLookups(benchmark::State &state, Lookup lookup)
{
    const QStringList &words = sampleWords();
    qsizetype next = 0;
    qint64 found = 0;
    for (auto _ : state) {
        found += lookup(words[next]);
        next = (next + 1) % words.size();
    }
    benchmark::DoNotOptimize(found);
    state.counters["lookups"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TDictnLookup(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("English")));
    if (!file.open(QIODevice::WriteOnly) || file.write(records()) != records().size()) {
        state.SkipWithError("cannot write the dictionary file");
        return;
    }
    file.close();
    TDictn dictionary(file.fileName(), nullptr);
    runLookups(state, [&dictionary](const QString &word) { return dictionary.lookup(word); });
}
BENCHMARK(BM_TDictnLookup)->UseRealTime();

void BM_InMemoryLookup(benchmark::State &state)
{
    recordWords(); // built once, outside the timed loop
    runLookups(state, memoryLookup);
}
BENCHMARK(BM_InMemoryLookup)->UseRealTime();

// Prints the runs as usual, then how many times faster the in-memory search is.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const auto rate = run.counters.find("lookups");
            if (!run.error_occurred && run.run_type == Run::RT_Iteration && rate != run.counters.end())
                m_rates[run.run_name.function_name] = rate->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double disk = m_rates["BM_TDictnLookup"];
        const double memory = m_rates["BM_InMemoryLookup"];
        if (disk > 0 && memory > 0)
            std::printf("TDictn: %.0f lookups/s, in memory: %.0f lookups/s, ratio memory/TDictn: %.1f\n", disk,
                        memory, memory / disk);
    }

private:
    std::map<std::string, double> m_rates;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
