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
class GameRecorder;
class HistoryDatabase;
class HistoryWindow;
class WordsWindow;

// Every window of the program, one each, living until the program ends,
// and the tally and the game history they share. The main window is made at once; the others
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
    // The game history's file and the recorder of the main window's games.
    HistoryDatabase *historyDatabase() const { return m_historyDatabase.get(); }
    GameRecorder *recorder() const { return m_recorder.get(); }
    Tabout *about();
    Ttallylist *tallylist();
    HistoryWindow *history();
    Tdownload *download();
    Tgamestart *gamestart();
    Thelp *help();
    Tphrases *phrases();
    TServer *server();
    Tspylist *spylist();
    WordsWindow *words();
    // The host, when this copy has made one.
    TServer *existingServer() const { return m_server.get(); }
    Tspylist *existingSpylist() const { return m_spylist.get(); }
    WordsWindow *existingWords() const { return m_words.get(); }

private:
    // The tally and the history go last: their views and the window go
    // first; the file is closed after the recorder's last frame.
    std::unique_ptr<TallyKeeper> m_tally;
    std::unique_ptr<HistoryDatabase> m_historyDatabase;
    std::unique_ptr<GameRecorder> m_recorder;
    std::unique_ptr<Tchat> m_chat;
    std::unique_ptr<Tabout> m_about;
    std::unique_ptr<Ttallylist> m_tallylist;
    std::unique_ptr<HistoryWindow> m_history;
    std::unique_ptr<Tdownload> m_download;
    std::unique_ptr<Tgamestart> m_gamestart;
    std::unique_ptr<Thelp> m_help;
    std::unique_ptr<Tphrases> m_phrases;
    std::unique_ptr<TServer> m_server;
    std::unique_ptr<Tspylist> m_spylist;
    std::unique_ptr<WordsWindow> m_words;
};
