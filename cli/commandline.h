#pragma once

#include "directory/client/directoryaddress.h"
#include "robots/robotbrain.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the program was asked to do, read from its arguments and checked in
// one place: the mode with the settings that go with it, or why the
// arguments make no sense. Options end at "--": whatever follows is a
// positional value, so a player's name or an address can never turn into an
// option, whatever it holds.
class CommandLine
{
public:
    enum class Mode {
        Solo,       // no launch parameters
        Host,       // NAME HOST true
        Join,       // NAME HOST and anything but "true"
        Loading,    // fewer than three launch parameters: the window goes no further
        Serve,
        Directory,
        Robot,
        ListGames,
        Tally,
        History,
        Define,
        Compress,
        Decompress,
        Help,
        Version,
    };

    Mode mode = Mode::Solo;
    // Set for a bad form: the reason, and nothing else here counts.
    QString error;

    QStringList launchParameters;   // the windowed game's NAME HOST true|other, as given
    quint16 port = 7772;            // the game, --serve and --robot; --directory's own
    int pauseSeconds = 10;          // --serve
    int chatLimit = 10;             // --serve
    QList<DirectoryAddress> directories;   // --serve
    int expirySeconds = 90;         // --directory
    Strength level = Strength::Medium;  // --robot
    QString robotName;              // --robot
    bool announce = true;           // a hosted game, --serve: shown on the local network
    bool portMapping = true;        // and the router asked to forward the port
    QString tableName;              // --serve: the name it is shown under (empty: the default)
    int seconds = 3;                // --list-games: how long to look
    int last = 0;                   // --history: the newest this many games (0: all)
    bool json = false;              // --history: one JSON object a game
    QStringList words;              // --define's WORDs
    QString host;                   // --robot's HOST
    QString input;                  // --compress and --decompress
    QString output;
    bool helpAll = false;           // --help-all: Qt's own options too

    // arguments as main receives them, the program first.
    static CommandLine parse(const QStringList &arguments);

    bool isValid() const { return error.isEmpty(); }
    // The modes with a window need a display and the widget application.
    bool opensWindow() const;
    // The same answer before the toolkit has taken its own options out of
    // the arguments (which this parser does not know): from the mode option
    // before "--", if any.
    static bool opensWindow(const QStringList &arguments);
    // How many arguments, from the program on, the toolkit may read for its
    // own options (-platform, -style, -display...): those before "--". It
    // reads everything it is given and knows nothing of "--".
    static int toolkitArgumentCount(const QStringList &arguments);

    // One line per form, for a bad form's message.
    static QString usage();
    // Prints the options (with all, Qt's as well) on standard output and
    // ends the program with status 0.
    [[noreturn]] static void showHelp(bool all);
};
