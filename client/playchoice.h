#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class IniFile;

// What a player chose in "Host a Game" / "Join a Game": the name to play
// under, whether to host or join, the host's address and the port, and
// whether a hosted table is shown on the local network and the router
// asked to forward its port. The choice is remembered in the settings file
// (its own keys in the game's section), with the last five addresses joined
// offered again. It becomes the launch parameters the lobby would pass.
class PlayChoice
{
public:
    static constexpr int kMaxName = 24;        // what the host keeps of a name
    static constexpr int kRecentHosts = 5;
    static constexpr quint16 kDefaultPort = 7772;

    QString name;
    bool hosting = true;
    QString host;
    QStringList recentHosts;                   // newest first
    quint16 port = kDefaultPort;
    bool announce = true;                      // hosting: shown on the local network
    bool portMapping = true;                   // and the router asked to forward the port

    // The remembered choice. The name is the one last played under, else
    // the running copy's player name, else the account's user name.
    static PlayChoice load(const IniFile &file, const QString &section, const QString &runningName = {});
    // Remembers it; the address joined goes first in the recent list.
    void save(IniFile &file, const QString &section) const;

    // Why the choice cannot be played, or empty when it can.
    QString problem() const;
    // "--port N [--no-announce | --no-port-mapping] -- NAME HOST true|other",
    // as a new copy of the game takes them.
    QStringList launchArguments() const;

    static QString accountName();
};
