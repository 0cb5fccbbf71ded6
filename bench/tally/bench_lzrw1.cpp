// Throughput of the tally's compressor against zlib at level 1 on the same
// data in the same run; a closing table gives the ratios.
#include "tally/lzrw1.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <QByteArray>

#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int kDataSize = 4 * 1024 * 1024;

// Words of varied frequency, like prose.
QByteArray textData()
{
    static const char *const kWords[] = {
        "the ", "a ", "of ", "and ", "to ", "in ", "bowling ", "pin ", "pins ", "strike ", "spare ", "frame ",
        "letters ", "word ", "words ", "player ", "players ", "score ", "ten ", "rack ", "tile ", "game ",
        "host ", "seat ", "turn ", "clock ", "winner ", "tally ", "chat ", "second ", "ball ", "perfect ",
        "dictionary ", "shuffle ", "opponent ", "average ", "total ", ", ", ". ", ".\r\n"};
    std::mt19937 generator(1);
    // Squaring the draw favours the first words, as real text does.
    std::uniform_real_distribution<double> draw(0.0, 1.0);
    QByteArray data;
    data.reserve(kDataSize + 16);
    while (data.size() < kDataSize) {
        const double x = draw(generator);
        data += kWords[size_t(x * x * double(std::size(kWords)))];
    }
    data.truncate(kDataSize);
    return data;
}

QByteArray randomData()
{
    std::mt19937 generator(2);
    QByteArray data(kDataSize, Qt::Uninitialized);
    for (char &c : data)
        c = char(generator());
    return data;
}

const QByteArray &dataSet(const std::string &name)
{
    static const QByteArray text = textData();
    static const QByteArray random = randomData();
    return name == "text" ? text : random;
}

QByteArray zlibCompress(const QByteArray &data)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray packed(qsizetype(length), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &length, reinterpret_cast<const Bytef *>(data.constData()),
              uLong(data.size()), 1);
    packed.truncate(qsizetype(length));
    return packed;
}

QByteArray zlibDecompress(const QByteArray &packed, qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    uLongf length = uLongf(size);
    uncompress(reinterpret_cast<Bytef *>(data.data()), &length, reinterpret_cast<const Bytef *>(packed.constData()),
               uLong(packed.size()));
    return data;
}

void compressLzrw1(benchmark::State &state, const std::string &set)
{
    const QByteArray &data = dataSet(set);
    Tlzrw1 component;
    QByteArray packed;
    for (auto _ : state) {
        packed = component.compressData(data);
        benchmark::DoNotOptimize(packed.constData());
    }
    state.SetBytesProcessed(state.iterations() * data.size());
    state.counters["size_ratio"] = double(packed.size()) / double(data.size());
}

void decompressLzrw1(benchmark::State &state, const std::string &set)
{
    const QByteArray &data = dataSet(set);
    Tlzrw1 component;
    const QByteArray packed = component.compressData(data);
    for (auto _ : state) {
        const QByteArray restored = component.decompressData(packed);
        benchmark::DoNotOptimize(restored.constData());
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void compressZlib(benchmark::State &state, const std::string &set)
{
    const QByteArray &data = dataSet(set);
    QByteArray packed;
    for (auto _ : state) {
        packed = zlibCompress(data);
        benchmark::DoNotOptimize(packed.constData());
    }
    state.SetBytesProcessed(state.iterations() * data.size());
    state.counters["size_ratio"] = double(packed.size()) / double(data.size());
}

void decompressZlib(benchmark::State &state, const std::string &set)
{
    const QByteArray &data = dataSet(set);
    const QByteArray packed = zlibCompress(data);
    for (auto _ : state) {
        const QByteArray restored = zlibDecompress(packed, data.size());
        benchmark::DoNotOptimize(restored.constData());
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

// Prints as usual and keeps each benchmark's figures for the closing table.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            for (const auto &[name, counter] : run.counters)
                m_figures[run.benchmark_name()][name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        std::printf("\n%-8s %-12s %14s %14s %12s\n", "data", "method", "compress MB/s", "expand MB/s", "size ratio");
        for (const char *set : {"text", "random"}) {
            for (const char *method : {"lzrw1", "zlib-1"}) {
                std::printf("%-8s %-12s %14.1f %14.1f %12.3f\n", set, method, rate("compress", set, method),
                            rate("decompress", set, method), figure("compress", set, method, "size_ratio"));
            }
            std::printf("%-8s %-12s %13.2fx %13.2fx %11.2fx\n", set, "lzrw1/zlib",
                        rate("compress", set, "lzrw1") / rate("compress", set, "zlib-1"),
                        rate("decompress", set, "lzrw1") / rate("decompress", set, "zlib-1"),
                        figure("compress", set, "lzrw1", "size_ratio")
                            / figure("compress", set, "zlib-1", "size_ratio"));
        }
        std::printf("(speed ratios above 1: lzrw1 faster; size ratio above 1: lzrw1 output larger)\n");
    }

private:
    double figure(const char *operation, const char *set, const char *method, const char *counter) const
    {
        const auto found = m_figures.find(std::string(operation) + '/' + set + '/' + method);
        if (found == m_figures.end())
            return 0.0;
        const auto value = found->second.find(counter);
        return value == found->second.end() ? 0.0 : value->second;
    }
    double rate(const char *operation, const char *set, const char *method) const
    {
        return figure(operation, set, method, "bytes_per_second") / 1e6;
    }

    std::map<std::string, std::map<std::string, double>> m_figures;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (const std::string set : {"text", "random"}) {
        benchmark::RegisterBenchmark(("compress/" + set + "/lzrw1").c_str(), compressLzrw1, set);
        benchmark::RegisterBenchmark(("compress/" + set + "/zlib-1").c_str(), compressZlib, set);
        benchmark::RegisterBenchmark(("decompress/" + set + "/lzrw1").c_str(), decompressLzrw1, set);
        benchmark::RegisterBenchmark(("decompress/" + set + "/zlib-1").c_str(), decompressZlib, set);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
