#pragma once

#include <memory>

class Tchat;
class Tabout;
class Ttallylist;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class TServer;
class Tspylist;
class TallyKeeper;

// Every window of the program, one each, living until the program ends,
// and the tally they share. The main window is made at once; the others
// when first used, so that the main window shows without waiting for
// windows nobody may open.
class Forms
{
public:
    Forms();
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    Tchat *chat() const { return m_chat.get(); }
    // The player's tally, following the main window's games.
    TallyKeeper *tally() const { return m_tally.get(); }
    Tabout *about();
    Ttallylist *tallylist();
    Tdownload *download();
    Tgamestart *gamestart();
    Thelp *help();
    Tphrases *phrases();
    TServer *server();
    Tspylist *spylist();
    // The host, when this copy has made one.
    TServer *existingServer() const { return m_server.get(); }
    Tspylist *existingSpylist() const { return m_spylist.get(); }

private:
    // The tally goes last: its view and the window go first.
    std::unique_ptr<TallyKeeper> m_tally;
    std::unique_ptr<Tchat> m_chat;
    std::unique_ptr<Tabout> m_about;
    std::unique_ptr<Ttallylist> m_tallylist;
    std::unique_ptr<Tdownload> m_download;
    std::unique_ptr<Tgamestart> m_gamestart;
    std::unique_ptr<Thelp> m_help;
    std::unique_ptr<Tphrases> m_phrases;
    std::unique_ptr<TServer> m_server;
    std::unique_ptr<Tspylist> m_spylist;
};
