#include "app/chatform.h"

#include "app/chatbox.h"
#include "app/formhelpers.h"
#include "app/formopener.h"
#include "app/optionsmenu.h"
#include "app/session.h"
#include "chat/phrasesform.h"
#include "client/roster.h"
#include "client/spylistform.h"
#include "dialogs/aboutform.h"
#include "dialogs/gamedirectoriesdialog.h"
#include "dialogs/helpform.h"
#include "history/historywindow.h"
#include "settings/colortext.h"
#include "ui/tcolor.h"
#include "tally/tallylistform.h"

#include <QColorDialog>
#include <QLineEdit>
#include <QMenuBar>

// The main menu, the pop-up menus, and where the options show.

using namespace formhelpers;

void Tchat::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QMenu *menu, const char *name, const QString &caption, auto handler) {
        QAction *action = addItem(menu, QLatin1String(name), caption);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto show = [this](auto form) {
        return [this, form] {
            if (m_forms)
                (m_forms->*form)()->show();
        };
    };

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    m_startGame = item(file, "StartGame1", QStringLiteral("Start Game"), [this] { m_session->flow.button_startClick(); });
    m_startGame->setEnabled(false);
    item(file, "HostAGame1", QStringLiteral("Host a Game\u2026"), [this] { playWithOthers(true); });
    item(file, "JoinAGame1", QStringLiteral("Join a Game\u2026"), [this] { playWithOthers(false); });
    item(file, "GameHistory1", QStringLiteral("Game History\u2026"), [this] {
        if (m_forms)
            showForm(m_forms->history());
    });
    addSeparator(file, QStringLiteral("N1"));
    item(file, "Exit1", QStringLiteral("Exit"), &QWidget::close);

    m_optionsMenu = new OptionsMenu(m_session->options, bar);
    bar->addMenu(m_optionsMenu);
    connect(m_optionsMenu->textColor, &QAction::triggered, this, &Tchat::TextColor1Click);
    connect(m_optionsMenu->resetLocation, &QAction::triggered, this, [this] { setWindowBounds(Settings().bounds); });
    connect(m_optionsMenu->justWatch, &QAction::triggered, this, &Tchat::JustWatch1Click);
    connect(m_optionsMenu->gameDirectories, &QAction::triggered, this, &Tchat::GameDirectories1Click);

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    item(view, "ViewTally1", QStringLiteral("View Tally"), &Tchat::ViewTally1Click);
    item(view, "SpyList1", QStringLiteral("Spy List"), show(&FormOpener::spylist));
    item(view, "PrhaseList1", QStringLiteral("Phrase List"), &Tchat::PrhaseList1Click);
    item(view, "Words1", QStringLiteral("Words"), [this] { showWords(true); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    item(help, "Help2", QStringLiteral("Content"), show(&FormOpener::help))
        ->setShortcut(QKeySequence(Qt::Key_F1));
    addSeparator(help, QStringLiteral("N4"));
    item(help, "About1", QStringLiteral("About"), show(&FormOpener::about));

    m_popupKick = new QMenu(this);
    m_popupKick->setObjectName(QStringLiteral("popup_kick"));
    addItem(m_popupKick, QStringLiteral("RemoveFromGame1"), QStringLiteral("Remove From Game"));
    addItem(m_popupKick, QStringLiteral("SettoJustWatch1"), QStringLiteral("Set to Just Watch"));
    addItem(m_popupKick, QStringLiteral("UnsetJustWatch1"), QStringLiteral("Unset Just Watch"));
}

void Tchat::TextColor1Click()
{
    Options &options = m_session->options;
    if (!m_colorDialog) {
        m_colorDialog = new QColorDialog(this);
        m_colorDialog->setObjectName(QStringLiteral("ColorDialog"));
        m_colorDialog->setOption(QColorDialog::DontUseNativeDialog);
        // Only a confirmed choice changes the colour.
        connect(m_colorDialog, &QColorDialog::colorSelected, &options,
                [&options](const QColor &colour) { options.setTextColor(valueFromColor(colour)); });
    }
    m_colorDialog->setCurrentColor(colortext::toColor(options.textColor()));
    m_colorDialog->open();
}

void Tchat::GameDirectories1Click()
{
    Options &options = m_session->options;
    if (!m_directoriesDialog) {
        m_directoriesDialog = new GameDirectoriesDialog(this);
        connect(m_directoriesDialog, &GameDirectoriesDialog::chosen, &options, &Options::setGameDirectories);
    }
    m_directoriesDialog->present(options.storedGameDirectories().value_or(DirectoryAddress::builtIn()));
}

void Tchat::PrhaseList1Click()
{
    if (!m_forms)
        return;
    Tphrases *editor = m_forms->phrases();
    for (int n = 1; n <= 10; ++n)
        editor->phrase[n]->setText(m_chat->hint(n));
    connect(editor, &Tphrases::phrasesDone, this, &Tchat::applyPhrases, Qt::UniqueConnection);
    showForm(editor);
}

void Tchat::applyPhrases(const QStringList &phrases)
{
    Options::Phrases stored = m_session->options.phrases();
    for (int n = 1; n <= Options::kPhraseCount && n <= phrases.size(); ++n)
        stored[n - 1] = phrases[n - 1];
    m_session->options.setPhrases(stored);
}

void Tchat::ViewTally1Click()
{
    if (!m_forms)
        return;
    Ttallylist *tally = m_forms->tallylist();
    tally->loadchecklist(m_session->roster.opponents());
    showForm(tally);
}
