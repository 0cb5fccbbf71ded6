#include "app/forms.h"

#include "app/chatform.h"
#include "app/session.h"
#include "chat/phrasesform.h"
#include "client/gamestartform.h"
#include "client/spylistform.h"
#include "definitions/worddefinitions.h"
#include "dialogs/aboutform.h"
#include "dialogs/downloadform.h"
#include "dialogs/helpform.h"
#include "dialogs/wordswindow.h"
#include "history/historywindow.h"
#include "host/serverform.h"
#include "tally/tallylistform.h"
#include "ui/windowplacement.h"

Forms::Forms()
{
    m_chat = std::make_unique<Tchat>();
    m_chat->setForms(this);
}

// The host goes before the windows whose clients it serves; the views of
// the tally and the history before the session that keeps them.
Forms::~Forms()
{
    m_server.reset();
    m_tallylist.reset();
    m_history.reset();
    m_chat.reset();
}

Tabout *Forms::about()
{
    if (!m_about) {
        m_about = std::make_unique<Tabout>();
        openAsTransientOf(*m_about, *m_chat);
    }
    return m_about.get();
}

Ttallylist *Forms::tallylist()
{
    if (!m_tallylist) {
        m_tallylist = std::make_unique<Ttallylist>(m_chat->session().tally);
        openAsTransientOf(*m_tallylist, *m_chat);
    }
    return m_tallylist.get();
}

HistoryWindow *Forms::history()
{
    if (!m_history) {
        Session &session = m_chat->session();
        m_history = std::make_unique<HistoryWindow>(&session.history);
        openAsTransientOf(*m_history, *m_chat);
        // An open window lists a game as soon as it is written.
        QObject::connect(&session.recorder, &GameRecorder::gameFinished, m_history.get(), [this] {
            if (m_history->isVisible())
                m_history->refresh();
        });
    }
    return m_history.get();
}

Tdownload *Forms::download()
{
    if (!m_download) {
        m_download = std::make_unique<Tdownload>();
        openAsTransientOf(*m_download, *m_chat);
        m_chat->downloadCreated(m_download.get());
    }
    return m_download.get();
}

Tgamestart *Forms::gamestart()
{
    if (!m_gamestart) {
        m_gamestart = std::make_unique<Tgamestart>();
        openAsTransientOf(*m_gamestart, *m_chat);
        m_chat->gamestartCreated(m_gamestart.get());
    }
    return m_gamestart.get();
}

Thelp *Forms::help()
{
    if (!m_help) {
        m_help = std::make_unique<Thelp>();
        openAsTransientOf(*m_help, *m_chat);
        QObject::connect(m_help.get(), &Thelp::aboutRequested, m_help.get(), [this] { about()->show(); });
    }
    return m_help.get();
}

Tphrases *Forms::phrases()
{
    if (!m_phrases) {
        m_phrases = std::make_unique<Tphrases>();
        openAsTransientOf(*m_phrases, *m_chat);
    }
    return m_phrases.get();
}

TServer *Forms::server()
{
    if (!m_server) {
        m_server = std::make_unique<TServer>();
        m_server->setPauseSetting(m_chat.get());
    }
    return m_server.get();
}

Tspylist *Forms::spylist()
{
    if (!m_spylist) {
        m_spylist = std::make_unique<Tspylist>();
        openAsTransientOf(*m_spylist, *m_chat);
        m_chat->spylistCreated(m_spylist.get());
    }
    return m_spylist.get();
}

WordsWindow *Forms::words()
{
    if (!m_words) {
        // The data is opened at the first lookup, not here.
        m_words = std::make_unique<WordsWindow>(WordDefinitions::shared());
        m_words->setMainWindow(m_chat.get());
        openAsTransientOf(*m_words, *m_chat);
    }
    return m_words.get();
}
