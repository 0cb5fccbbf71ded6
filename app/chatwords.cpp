#include "app/chatform.h"

#include "app/cardlabels.h"
#include "app/chatbox.h"
#include "app/formopener.h"
#include "app/session.h"
#include "client/gameevents.h"
#include "client/roster.h"
#include "dialogs/wordswindow.h"

// The window's part in word meanings: the Words window lists the last
// frame's words, opened by a click on a word of the card, by the chat's
// "Define WORD", by View > Words, or by itself at each frame's end when
// the player asks for that. Nothing is looked up before it first opens.

void Tchat::bindWords(CardLabels *card)
{
    connect(m_session->client.events(), &GameEvents::frameScored, this, [this](const msg::PostScores &scores) {
        const Roster *roster = &m_session->roster;
        m_frameHeading = QStringLiteral("Frame %1").arg(scores.frame);
        m_frameWords = framewords::ofFrame(scores, [roster](int seat) {
            return roster->isSeated(seat) ? roster->seatName(seat) : QStringLiteral("seat %1").arg(seat);
        });
        // An open window follows the frames; a closed one opens only when asked to.
        const WordsWindow *open = m_forms ? m_forms->existingWords() : nullptr;
        if ((open && open->isVisible()) || m_session->options.showDefinitions())
            showWords(false);
    });
    connect(card, &CardLabels::wordClicked, this, [this](const QString &word) {
        showWords(true, word, QStringLiteral("on the scorecard"));
    });
    connect(m_chat, &ChatBox::defineRequested, this,
            [this](const QString &word) { showWords(true, word, QStringLiteral("from the chat")); });
}

void Tchat::showWords(bool activate, const QString &word, const QString &source)
{
    if (!m_forms)
        return;
    WordsWindow *window = m_forms->words();
    window->showWords(m_frameHeading.isEmpty() ? QStringLiteral("No frame has ended yet.") : m_frameHeading,
                      m_frameWords);
    if (!word.isEmpty())
        window->showWord(word, source);
    window->present(activate);
}
