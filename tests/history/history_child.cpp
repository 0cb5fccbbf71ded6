// Records the scripted game into the history file named on the command line
// up to the middle of frame 6, says so on standard output, and waits to be
// killed.

#include "history/historydatabase.h"
#include "scriptedgame.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    HistoryDatabase database(app.arguments().at(1));
    GameRecorder recorder(&database);
    recorder.gameStarted(scripted::start());
    for (int frame = 1; frame <= 5; ++frame)
        scripted::playFrame(recorder, frame);
    database.whenWritten(&app, [&recorder] {
        scripted::begin(recorder, 6);
        recorder.wordPlayed(1, scripted::word(6), true);
        std::puts("in frame 6");
        std::fflush(stdout);
    });
    return app.exec();
}
