#include "app/chatform.h"

#include "app/chatbox.h"
#include "app/formhelpers.h"
#include "app/formopener.h"
#include "app/optionsmenu.h"
#include "app/session.h"
#include "base/errordisplay.h"
#include "client/gamestartform.h"
#include "client/playdialog.h"
#include "client/roster.h"
#include "client/spylistform.h"
#include "client/turnclockview.h"
#include "dialogs/downloadform.h"
#include "protocol/joincode.h"
#include "directory/client/directoryfinder.h"
#include "host/directoryregistration.h"
#include "host/serverform.h"
#include "host/tableannouncement.h"
#include "host/tablereach.h"
#include "net/connection.h"
#include "net/tsock.h"
#include "settings/inifile.h"

#include <QHostAddress>
#include <QMenu>
#include <QMessageBox>
#include <QComboBox>
#include <QSpinBox>

// The window's part in the game: the client, the roster, the game flow and
// the board and card models, bound to the controls that show them.

using namespace formhelpers;

void Tchat::bindGame()
{
    GameClient *client = &m_session->client;
    GameFlow *flow = &m_session->flow;
    connect(client, &GameClient::hostingChanged, this, [this](bool hosting) {
        m_startGame->setEnabled(hosting);
        if (m_forms && m_forms->existingSpylist())
            m_forms->existingSpylist()->popup_kickhim->setEnabled(hosting);
    });
    // After the main window is on the screen: the dialog takes a moment to make.
    connect(
        client, &GameClient::downloadDialogRequested, this,
        [this] {
            if (m_forms)
                m_forms->download()->show();
        },
        Qt::QueuedConnection);
    const auto tell = [this](const QString &text) {
        auto *box = new QMessageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return box;
    };
    // The boxes do not hold the queue up; the window closes when one is dismissed.
    connect(client, &GameClient::gameFull, this,
            [this, tell] { connect(tell(QStringLiteral("Game is full")), &QMessageBox::finished, this, &QWidget::close); });
    // The window closes when the player has read why: an ending without a
    // word cannot be told from a crash.
    connect(client, &GameClient::connectionEnded, this, [this, tell](GameClient::Ending why) {
        if (!isVisible())
            return; // closing already, or making way for a new copy
        const QString text = why == GameClient::Ending::Removed ? QStringLiteral("You were removed from the game.")
                                                                : QStringLiteral("The host has ended the game.");
        connect(tell(text), &QMessageBox::finished, this, &QWidget::close);
    });
    connect(flow, &GameFlow::notConnected, this, [tell] { tell(QStringLiteral("You are not connected")); });

    const auto status = [this](const QString &text) { m_status->setText(text); };
    connect(&m_session->rack, &RackModel::statusText, this, status);
    connect(&m_session->score, &ScoreCardModel::statusText, this, status);
    connect(flow, &GameFlow::statusText, this, status);
    connect(&m_session->clock, &TurnClock::changed, this, &Tchat::refreshClock);
    connect(flow, &GameFlow::changed, this, &Tchat::refreshGame);
    connect(flow, &GameFlow::startDialogRequested, this, [this] {
        if (!m_forms)
            return;
        Tgamestart *dialog = m_forms->gamestart();
        dialog->setTimePerTurn(m_session->options.timePerTurn());
        dialog->robots->setValue(m_session->options.robots());
        dialog->strength->setCurrentIndex(m_session->options.robotStrength());
        dialog->show();
        dialog->raise();
    });

    Roster *roster = &m_session->roster;
    connect(roster, &Roster::ownWatchingChanged, m_optionsMenu->justWatch, &QAction::setChecked);
    const QList<QAction *> kick = m_popupKick->actions();
    connect(kick[0], &QAction::triggered, roster, &Roster::RemoveFromGame1Click);
    connect(kick[1], &QAction::triggered, roster, &Roster::SettoJustWatch1Click);
    connect(kick[2], &QAction::triggered, roster, &Roster::UnsetJustWatch1Click);
    refreshGame();
    refreshClock();
}

void Tchat::startHost(quint16 port, bool everyAddress)
{
    if (!m_forms)
        return;
    m_forms->server()->listen(port,
                              everyAddress ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost),
                              TServer::FirstSlot::HostingWindow);
    if (!everyAddress || !m_session->client.announceTable())
        return;
    TableAnnouncement *announcement = announceTable(*m_forms->server(), TableInfo::defaultName(m_session->client.myname()),
                                                    port, m_session->gameDirectories());
    if (m_portMapping) {
        // Lives as long as the host; tells the chat how players outside get in.
        auto *reach = new TableReach(port, announcement->directories() != nullptr, m_forms->server());
        connect(reach, &TableReach::told, m_chat, &ChatBox::notice);
        // The directories' probes may have come before the router opened the port.
        if (DirectoryRegistration *directories = announcement->directories())
            connect(reach, &TableReach::told, directories, &DirectoryRegistration::recheck);
        reach->start();
    }
    DirectoryRegistration *directories = announcement->directories();
    if (!directories)
        return;
    connect(directories, &DirectoryRegistration::codeAssigned, this, [this](const DirectoryAddress &, const QString &code) {
        m_chat->notice(DirectoryRegistration::codeLine(code));
    });
    connect(directories, &DirectoryRegistration::refused, this,
            [this](const DirectoryAddress &directory, const QString &reason) {
                m_chat->notice(QStringLiteral("The game directory %1 did not list this table: %2")
                                   .arg(directory.toString(), reason));
            });
}

bool Tchat::resolveCode(const QString &host, const GameClient::Resolved &done)
{
    // Without a directory, a name that reads as a code is a computer's.
    const QList<DirectoryAddress> directories = m_session->gameDirectories();
    if (directories.isEmpty() || !joincode::isCode(host))
        return false;
    if (!m_codeFinder)
        m_codeFinder = new DirectoryFinder(nullptr, this);
    m_codeFinder->setDirectories(directories);
    // One answer for this request; the finder may be asked again later.
    auto *request = new QObject(this);
    const auto answer = [done, request](const QString &address, quint16 port, const QString &problem,
                                        const QString &relayCode) {
        if (request->property("answered").toBool())
            return;
        request->setProperty("answered", true);
        request->deleteLater();
        done(address, port, problem, relayCode);
    };
    connect(m_codeFinder, &DirectoryFinder::resolved, request,
            [answer](const TableInfo &table, const DirectoryAddress &directory) {
                // A relayed table is joined through the directory that listed it.
                if (table.isRelayed())
                    answer(directory.host, directory.port, QString(), table.code);
                else
                    answer(table.address.toString(), table.port, QString(), QString());
            });
    connect(m_codeFinder, &DirectoryFinder::notFound, request,
            [answer](const QString &, const QString &problem) { answer(QString(), 0, problem, QString()); });
    m_codeFinder->resolve(host);
    return true;
}

void Tchat::refreshGame()
{
    const GameFlow &flow = m_session->flow;
    m_start->setVisible(flow.startShown());
    m_noPlay->setVisible(flow.noPlayShown());
    m_timePerTurn->setText(flow.timePerTurnText());
}

void Tchat::refreshClock()
{
    const TurnClock &clock = m_session->clock;
    m_timer->setText(clock.text());
    setTextColour(m_timer, turnclockview::textColour(clock));
    m_timerBar->resize(turnclockview::barWidth(clock), m_timerBar->height());
    m_timerBar->setAccessibleDescription(QStringLiteral("%1 seconds left").arg(clock.turnleft()));
}

void Tchat::label_playername1ContextPopup(int seat, const QPoint &at)
{
    const Roster::SeatMenu menu = m_session->roster.label_playername1ContextPopup(seat);
    const QList<QAction *> kick = m_popupKick->actions();
    kick[0]->setEnabled(menu.remove);
    kick[1]->setEnabled(menu.setWatch);
    kick[2]->setEnabled(menu.unsetWatch);
    m_popupKick->setProperty("tag", seat);
    m_popupKick->popup(at);
}

void Tchat::JustWatch1Click()
{
    // The check follows the host's answer alone.
    Roster *roster = &m_session->roster;
    m_optionsMenu->justWatch->setChecked(roster->ownWatching());
    roster->JustWatch1Click();
}

void Tchat::downloadCreated(Tdownload *download)
{
    connect(download, &Tdownload::exitRequested, this, &QWidget::close);
    // Without the lobby program, playing with others goes through our own dialog.
    connect(download, &Tdownload::playWithOthersRequested, this, [this] { playWithOthers(false); });
}

void Tchat::playWithOthers(bool hosting)
{
    if (!m_playDialog) {
        m_playDialog = new TPlayDialog(this);
        connect(m_playDialog, &TPlayDialog::playRequested, this, [this](const PlayChoice &choice) {
            try {
                IniFile file(m_session->options.fileName());
                choice.save(file, Options::kSection);
            } catch (const std::exception &error) {
                showError(QString::fromUtf8(error.what()));
            }
            // The new copy listens on the port and takes over the name.
            if (m_forms && m_forms->existingServer()) {
                m_forms->existingServer()->Sock1->setListen(false);
                stopAnnouncing(*m_forms->existingServer());
            }
            m_session->client.sock()->abort();
            // The new copy may map the same port at the router: this copy's
            // mapping goes first, or its late deletion would take the new one.
            const QStringList arguments = choice.launchArguments();
            TableReach *reach = m_forms && m_forms->existingServer()
                                    ? m_forms->existingServer()->findChild<TableReach *>()
                                    : nullptr;
            if (!reach) {
                emit relaunchRequested(arguments);
                return;
            }
            connect(reach, &TableReach::released, this, [this, arguments] { emit relaunchRequested(arguments); });
            reach->release();
        });
    }
    m_playDialog->setDirectories(m_session->gameDirectories());
    // A solo copy plays as "You", which is no name to offer; a copy given
    // only a name has not taken it yet.
    const QString &myname = m_session->client.myname();
    const QString running = m_parameters.isEmpty() ? QString() : myname.isEmpty() ? m_parameters.first() : myname;
    m_playDialog->present(PlayChoice::load(IniFile(m_session->options.fileName()), Options::kSection, running),
                          hosting);
}

void Tchat::gamestartCreated(Tgamestart *gamestart)
{
    gamestart->setTeamsAreEven([this](int computers) { return m_session->robots.teamsWouldBeEven(computers); });
    connect(gamestart, &Tgamestart::startRequested, this, [this](int seconds, bool team, int computers, int strength) {
        m_session->options.setTimePerTurn(seconds);
        m_session->options.setRobots(computers);
        m_session->options.setRobotStrength(strength);
        // The computer players sit down first; then the game starts.
        m_session->robots.arrange(computers, Strength(qBound(0, strength, 2)), [this, seconds, team] {
            m_session->flow.startGame(seconds, team);
        });
    });
}

void Tchat::spylistCreated(Tspylist *spylist)
{
    spylist->follow(&m_session->roster);
    spylist->popup_kickhim->setEnabled(m_session->client.ishost());
}
