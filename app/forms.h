#pragma once

#include "app/formopener.h"

#include <memory>

class Tchat;

// Every window of the program, one each, living until the program ends.
// The main window is made at once; the others when first used, so that the
// main window shows without waiting for windows nobody may open. The tally
// and the game history they show are the main window's session's.
class Forms final : public FormOpener
{
public:
    Forms();
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    Tchat *chat() const { return m_chat.get(); }
    Tabout *about() override;
    Ttallylist *tallylist() override;
    HistoryWindow *history() override;
    Tdownload *download() override;
    Tgamestart *gamestart() override;
    Thelp *help() override;
    Tphrases *phrases() override;
    TServer *server() override;
    Tspylist *spylist() override;
    TServer *existingServer() const override { return m_server.get(); }
    Tspylist *existingSpylist() const override { return m_spylist.get(); }
    WordsWindow *words() override;
    WordsWindow *existingWords() const override { return m_words.get(); }

private:
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
