#pragma once

#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "chat/chatcomposer.h"
#include "client/gameclient.h"
#include "client/gameflow.h"
#include "client/robottable.h"
#include "client/turnclock.h"
#include "directory/client/directoryaddress.h"
#include "settings/options.h"
#include "sound/soundplayer.h"

#include <QObject>

// One copy's game without its window: the connection with its roster and
// sounds, the game flow over the board, card and turn clock, the computer
// players, the options and the chat's sending side. The options reach the
// models that read them here; they are read from the settings file when
// the host has seated us.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(const QString &settingsFile, QObject *parent = nullptr);

    // In the order they depend on each other; they go in reverse.
    SoundPlayer sounds;
    GameClient client;
    RackModel rack;
    ScoreCardModel score;
    TurnClock clock;
    GameFlow flow{client, rack, score, clock};
    RobotTable robots{client};
    Options options;
    ChatComposer composer{client, options};

    // Reads the options from the file; a file that cannot be read goes to
    // the error display.
    void loadinifile();

    // The game directories this copy uses: see DirectoryAddress::inUse.
    QList<DirectoryAddress> gameDirectories() const;
};
