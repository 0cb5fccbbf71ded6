#include "app/chatform.h"

#include "app/forms.h"
#include "base/errordisplay.h"
#include "chat/chatedit.h"
#include "chat/chatlog.h"
#include "chat/chatmessages.h"
#include "chat/chatview.h"
#include "chat/phrasesform.h"
#include "chat/smilies.h"
#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/roster.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "tally/tallylistform.h"
#include "ui/controls.h"

#include <QDesktopServices>
#include <QMenu>

// The chat, the phrase buttons and the tally's view of the table.

void Tchat::connectChat()
{
    mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mainchat, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        popup_mainchat->popup(mainchat->viewport()->mapToGlobal(at));
    });
    connect(mainchat, &ChatView::jump, this, &Tchat::mainchatJump);
    connect(SelectAll1, &QAction::triggered, this, &Tchat::SelectAll1Click);
    connect(Copy1, &QAction::triggered, this, &Tchat::Copy1Click);
    connect(ClearMainChat1, &QAction::triggered, this, &Tchat::ClearMainChat1Click);
    connect(ClearMainChat2, &QAction::triggered, this, &Tchat::ClearMainChat1Click);
    connect(ScrollChatOff1, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);
    connect(ScrollChatOff2, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);

    mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mychat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { popup_mychat->popup(mychat->mapToGlobal(at)); });
    connect(mychat, &ChatEdit::enterPressed, this, &Tchat::sendit);
    connect(Paste1, &QAction::triggered, this, &Tchat::Paste1Click);

    for (int n = 1; n <= 9; ++n)
        connect(b_phrase[n], &QPushButton::clicked, this, [this, n] { b_phrase1Click(n); });
    connect(PrhaseList1, &QAction::triggered, this, &Tchat::PrhaseList1Click);
    connect(button_smilies, &QPushButton::clicked, this, &Tchat::button_smiliesClick);
    for (QAction *item : popup_smilies->actions()) {
        const int code = item->data().toInt();
        connect(item, &QAction::triggered, this, [this, code] { N271Click(code); });
    }
    // The pictures are painted when the menu first opens.
    connect(popup_smilies, &QMenu::aboutToShow, this, [this] {
        for (QAction *item : popup_smilies->actions()) {
            if (item->icon().isNull())
                item->setIcon(QPixmap::fromImage(smilies::picture(item->data().toInt() - smilies::kFirstCode)));
        }
    });

    connect(client->events(), &GameEvents::chatLine, this, &Tchat::chatrecieved);
    connect(client, &GameClient::systemLine, this, [this](const QString &line) { addlinetochat(line, systemColour); });
}

void Tchat::addlinetochat(const QString &line, quint32 colour)
{
    try {
        m_chatlog->addLine(line, colour, !ScrollChatOff2->isChecked());
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
    linkcount = m_chatlog->linkcount();
}

void Tchat::chatrecieved(int slot, const QByteArray &text, const QByteArray &colour)
{
    const chatmessages::Received line = chatmessages::received(slot, text, colour);
    addlinetochat(line.line, line.colour);
}

bool Tchat::sendToHost(const QByteArray &message)
{
    return client->sendBytes(message);
}

void Tchat::sendit()
{
    if (!client->loggedin)
        return; // the text waits in the edit until the host has seated us
    const QByteArray message = chatmessages::forChatLine(client->myseat, mychat->text(), chatColour, actionColour);
    if (!message.isEmpty() && !sendToHost(message))
        return;
    mychat->clear();
}

void Tchat::b_phrase1Click(int n)
{
    if (!phraseLockReady || n < 1 || n > Settings::kPhraseCount)
        return;
    if (!sendToHost(chatmessages::forPhrase(client->myseat, b_phrase[n]->toolTip(), actionColour)))
        return;
    phraseLockReady = false;
    phraseLockTimer.start();
}

void Tchat::phraseLockRelease()
{
    phraseLockTimer.stop();
    phraseLockReady = true;
}

void Tchat::PrhaseList1Click()
{
    if (!m_forms)
        return;
    Tphrases *editor = m_forms->phrases();
    for (int n = 1; n <= 10; ++n)
        editor->phrase[n]->setText(b_phrase[n]->toolTip());
    connect(editor, &Tphrases::phrasesDone, this, &Tchat::applyPhrases, Qt::UniqueConnection);
    editor->show();
    editor->raise();
    editor->activateWindow();
}

void Tchat::applyPhrases(const QStringList &phrases)
{
    std::array<QString, Settings::kPhraseCount> stored;
    for (int n = 1; n <= Settings::kPhraseCount && n <= phrases.size(); ++n) {
        stored[n - 1] = phrases[n - 1];
        b_phrase[n]->setToolTip(stored[n - 1]);
    }
    try {
        IniFile file(inifile);
        Settings::savePhrases(file, sectionName, stored);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void Tchat::button_smiliesClick()
{
    popup_smilies->popup(button_smilies->mapToGlobal(QPoint(button_smilies->width(), button_smilies->height())));
}

void Tchat::N271Click(int code)
{
    mychat->insertSmiley(code);
    mychat->setFocus();
}

void Tchat::mainchatJump(int link)
{
    const QUrl address = ChatLog::webAddress(m_chatlog->link(link).value_or(QString()));
    if (!address.isValid()) {
        showError(QStringLiteral("Cannot open Webpage"));
        return;
    }
    QDesktopServices::openUrl(address);
}

void Tchat::SelectAll1Click()
{
    mainchat->selectAll();
}

void Tchat::Copy1Click()
{
    mainchat->copySelection();
}

void Tchat::Paste1Click()
{
    mychat->pasteAtEnd();
}

void Tchat::ClearMainChat1Click()
{
    m_chatlog->clear();
    linkcount = m_chatlog->linkcount();
    mychat->setFocus();
}

void Tchat::ScrollChatOff1Click(bool checked)
{
    ScrollChatOff1->setChecked(checked);
    ScrollChatOff2->setChecked(checked);
}

QStringList Tchat::loadchecklist()
{
    const QStringList names = client->roster->opponents();
    if (m_forms)
        m_forms->tallylist()->loadchecklist(names);
    return names;
}

void Tchat::ViewTally1Click()
{
    if (!m_forms)
        return;
    loadchecklist();
    Ttallylist *tally = m_forms->tallylist();
    tally->show();
    tally->raise();
    tally->activateWindow();
}

