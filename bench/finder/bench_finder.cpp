// What a flood of UDP replies costs the finder per datagram once read: the
// decoding and the merge into the list, for the mix a hostile answerer sends.
#include "../qtbenchmain.h"

#include "finder/tablelist.h"

#include <QCoreApplication>

namespace {

QList<QByteArray> floodMix()
{
    QList<QByteArray> mix;
    TableInfo table;
    table.name = QStringLiteral("Flood");
    table.port = 7790;
    for (quint64 id = 1; id <= 512; ++id) {
        table.tableId = id;
        table.name = QStringLiteral("Flood %1").arg(id);
        mix.append(table.toFallbackReply());                                  // plausible, each new
        mix.append(QByteArray(table.toFallbackReply()).replace("port=7790", "port=0"));   // bad port
        mix.append(table.toFallbackReply() + QByteArray(1200, 'x'));         // oversized
        mix.append(QByteArray(300, char(id)));                               // noise
    }
    return mix;
}

void BM_FloodReply(benchmark::State &state)
{
    const QList<QByteArray> mix = floodMix();
    const QHostAddress sender(QStringLiteral("10.0.0.66"));
    TableList list;
    qsizetype i = 0;
    for (auto _ : state) {
        if (const auto table = TableInfo::fromFallbackReply(mix[i], sender))
            list.add(*table);
        i = (i + 1) % mix.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloodReply);

// A full list refreshed by a valid reply: the search every reply pays.
void BM_RefreshInFullList(benchmark::State &state)
{
    TableList list;
    TableInfo table;
    table.name = QStringLiteral("Table");
    table.port = 7772;
    for (quint32 a = 1; a <= quint32(TableList::kMaxTables); ++a) {
        table.tableId = a;
        table.address = QHostAddress(0x0a000000 + a);
        list.add(table);
    }
    const QByteArray reply = table.toFallbackReply();
    for (auto _ : state)
        list.add(*TableInfo::fromFallbackReply(reply, table.address));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RefreshInFullList);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
