#pragma once

#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "chat/chatcomposer.h"
#include "client/gameclient.h"
#include "client/gameflow.h"
#include "client/roster.h"
#include "client/turnclock.h"
#include "directory/client/directoryaddress.h"
#include "history/gamerecorder.h"
#include "history/historydatabase.h"
#include "robots/robottable.h"
#include "settings/options.h"
#include "sound/soundplayer.h"
#include "tally/tallykeeper.h"

#include <QObject>

// One copy's game without its window: the connection with its roster and
// sounds, the game flow over the board, card and turn clock, the computer
// players, the options and the chat's sending side, and what is kept of the
// games: the player's tally and the game history with its recorder. The
// options reach the models that read them here; they are read from the
// settings file when the host has seated us.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(const QString &settingsFile, QObject *parent = nullptr);

    // In the order they depend on each other; they go in reverse.
    SoundPlayer sounds;
    GameClient client;
    Roster roster{client};
    RackModel rack;
    ScoreCardModel score;
    TurnClock clock;
    GameFlow flow{client, roster, rack, score, clock};
    RobotTable robots{client, roster};
    Options options;
    ChatComposer composer{client, options};
    // The history's file is closed after the recorder's last frame.
    TallyKeeper tally;
    HistoryDatabase history;
    GameRecorder recorder{&history};

    // Reads the options from the file; a file that cannot be read goes to
    // the error display.
    void loadinifile();

    // The game directories this copy uses: see DirectoryAddress::inUse.
    QList<DirectoryAddress> gameDirectories() const;
};
