// The cost of one chat line, and of a line that gives its speaker a new
// colour, in a chat that already holds 100 or 5,000 lines, repaint
// included. Neither should grow with the length of the chat: a peer who
// changes colour at every line must not be able to freeze the window.
#include "chat/chatlog.h"
#include "chat/chatview.h"

#include <QApplication>

#include "bench/qtbenchmain.h"

#include <benchmark/benchmark.h>

namespace {

// A chat line as the host relays it: four speakers, now and then a smiley
// or a link, and system lines between them.
QString lineNumber(int i)
{
    if (i % 10 == 9)
        return QStringLiteral("0+Pat has started a game.");
    const int slot = 1 + i % 4;
    QString line = QStringLiteral("%1+Player%1 chats: line %2 of the chat, nice one").arg(slot).arg(i);
    if (i % 3 == 0)
        line += QStringLiteral(" :)#1%1").arg(i % 8);
    if (i % 7 == 0)
        line += QStringLiteral(" see www.example.org/%1").arg(i);
    return line;
}

constexpr quint32 kColours[] = {0x000000, 0x0000FF, 0x008000, 0x800080};
constexpr quint32 kSystemColour = 0xFF0000;

// The colour each speaker always chats in.
quint32 usualColour(int i)
{
    return i % 10 == 9 ? kSystemColour : kColours[i % 4];
}

struct Chat
{
    ChatView view;
    ChatLog log{&view};
    int lines = 0;

    Chat()
    {
        view.resize(522, 160);
        view.show();
    }

    void add(quint32 colour)
    {
        log.addLine(lineNumber(lines), colour, true);
        ++lines;
    }

    void fill(int count)
    {
        log.clear();
        lines = 0;
        while (lines < count)
            add(usualColour(lines));
        QCoreApplication::processEvents();
    }
};

// Times adding lines in the colours colourOf picks, keeping the chat
// between size and about a tenth more lines.
template <typename ColourOf>
void addLines(benchmark::State &state, ColourOf colourOf)
{
    const int size = int(state.range(0));
    Chat chat;
    chat.fill(size);
    for (auto _ : state) {
        chat.add(colourOf(chat.lines));
        QCoreApplication::processEvents();   // the repaint and the scroll
        if (chat.lines >= size + size / 10 + 10) {
            state.PauseTiming();
            chat.fill(size);
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = size;
}

// Each speaker keeps a colour: the usual chat.
void BM_AddChatLine(benchmark::State &state)
{
    addLines(state, usualColour);
}
BENCHMARK(BM_AddChatLine)->Arg(100)->Arg(5000)->Unit(benchmark::kMicrosecond);

// Every line gives its speaker a new colour, which shows on all of that
// speaker's earlier lines.
void BM_AddChatLineNewColour(benchmark::State &state)
{
    int turn = 0;
    addLines(state, [&turn](int i) { return i % 10 == 9 ? kSystemColour : kColours[++turn % 4]; });
}
BENCHMARK(BM_AddChatLineNewColour)->Arg(100)->Arg(5000)->Unit(benchmark::kMicrosecond);

// A new text size lays every line out again: the one change that costs
// the whole chat, and only ever at the player's request.
void BM_TextSize(benchmark::State &state)
{
    Chat chat;
    chat.fill(int(state.range(0)));
    int points = 10;
    for (auto _ : state) {
        points = points == 10 ? 12 : 10;
        chat.view.styles().setPointSize(points);
        chat.view.format();
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = double(state.range(0));
}
BENCHMARK(BM_TextSize)->Arg(100)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runQtBenchmarks<QApplication>(argc, argv);
}
