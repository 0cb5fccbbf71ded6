#include "app/chatform.h"

#include "app/formhelpers.h"
#include "app/forms.h"
#include "base/errordisplay.h"
#include "board/boardview.h"
#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "board/scorecardview.h"
#include "client/gameclient.h"
#include "client/gameflow.h"
#include "client/gamestartform.h"
#include "client/playdialog.h"
#include "client/robottable.h"
#include "client/roster.h"
#include "client/spylistform.h"
#include "client/turnclock.h"
#include "dialogs/downloadform.h"
#include "host/serverform.h"
#include "host/tableannouncement.h"
#include "net/connection.h"
#include "net/tsock.h"
#include "settings/inifile.h"
#include "tally/tallylistform.h"

#include <QHostAddress>
#include <QMessageBox>
#include <QSpinBox>

// The window's part in the game: the client, the roster, the game flow and
// the board and card models, connected to the controls that show them.

using namespace formhelpers;

void Tchat::connectGame()
{
    connect(client, &GameClient::hostingChanged, this, [this](bool hosting) {
        StartGame1->setEnabled(hosting);
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
    connect(client, &GameClient::gameFull, this, [this] {
        // The box does not hold the queue up; the window closes when it is dismissed.
        auto *box = new QMessageBox(QMessageBox::Information, windowTitle(), QStringLiteral("Game is full"),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, this, &QWidget::close);
        box->open();
    });
    connect(client, &GameClient::connectionEnded, this, &QWidget::close, Qt::QueuedConnection);

    const auto status = [this](const QString &text) { label_status->setText(text); };
    connect(rack, &RackModel::statusText, this, status);
    connect(score, &ScoreCardModel::statusText, this, status);
    connect(flow, &GameFlow::statusText, this, status);
    connect(rack, &RackModel::typeWordsToggled, this, [this](bool on) {
        TypeWords1->setChecked(on);
        saveReportingErrors();
    });
    connect(score, &ScoreCardModel::textsChanged, this, &Tchat::refreshCard);
    connect(clock, &TurnClock::changed, this, &Tchat::refreshClock);
    connect(flow, &GameFlow::changed, this, &Tchat::refreshGame);
    connect(flow, &GameFlow::startDialogRequested, this, [this] {
        if (!m_forms)
            return;
        Tgamestart *dialog = m_forms->gamestart();
        dialog->setTimePerTurn(timePerTurn);
        dialog->robots->setValue(robots->count());
        dialog->show();
        dialog->raise();
    });
    connect(flow, &GameFlow::notConnected, this, [this] {
        auto *box = new QMessageBox(QMessageBox::Information, windowTitle(), QStringLiteral("You are not connected"),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    connect(flow, &GameFlow::strikeCounted, this, [this] {
        if (m_forms)
            m_forms->tallylist()->addtomineincrease(TallyTable::kStrikes);
    });
    connect(flow, &GameFlow::gameRecorded, this,
            [this](const QString &ownScore, const std::optional<TallyWinner> &winner, const QStringList &opponents) {
                if (m_forms)
                    m_forms->tallylist()->gameEnded(ownScore, winner, opponents);
            });
    refreshGame();
    refreshClock();
    refreshCard();
}

void Tchat::connectRoster()
{
    Roster *roster = client->roster;
    connect(roster, &Roster::seatChanged, this, &Tchat::refreshSeat);
    connect(roster, &Roster::watchingChanged, this, [this](int seat, bool watching) {
        if (seat >= 1 && seat <= 4)
            image_eyes[seat]->setVisible(watching);
    });
    connect(roster, &Roster::ownWatchingChanged, JustWatch1, &QAction::setChecked);
    connect(roster, &Roster::ownArrival, this, [this] {
        try {
            loadinifile();
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
        }
    });
    for (int seat = 1; seat <= 4; ++seat) {
        connect(label_playername[seat], &QWidget::customContextMenuRequested, this,
                [this, seat](const QPoint &at) { label_playername1ContextPopup(seat, at); });
    }
    connect(RemoveFromGame1, &QAction::triggered, roster, &Roster::RemoveFromGame1Click);
    connect(SettoJustWatch1, &QAction::triggered, roster, &Roster::SettoJustWatch1Click);
    connect(UnsetJustWatch1, &QAction::triggered, roster, &Roster::UnsetJustWatch1Click);
}

void Tchat::startHost(quint16 port, bool everyAddress)
{
    if (!m_forms)
        return;
    m_forms->server()->listen(port,
                              everyAddress ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost),
                              TServer::FirstSlot::HostingWindow);
    if (everyAddress && client->announceTable)
        announceTable(*m_forms->server(), TableInfo::defaultName(client->myname), port);
}

void Tchat::refreshSeat(int seat)
{
    if (seat < 1 || seat > 4)
        return;
    label_playername[seat]->setText(client->roster->seatName(seat));
    label_playername[seat]->show();
    label_score[seat]->show();
}

void Tchat::refreshGame()
{
    button_start->setVisible(flow->startShown());
    image_noplay->setVisible(flow->noPlayShown());
    label_teamgame->setText(flow->teamGameText());
    label_timeperturn->setText(flow->timePerTurnText());
    for (int seat = 1; seat <= 4; ++seat) {
        image_winner[seat]->setVisible(flow->winnerShown(seat));
        setTextColour(label_playername[seat], flow->seatColour(seat));
        setTextColour(label_score[seat], flow->seatColour(seat));
    }
}

void Tchat::refreshClock()
{
    label_timer->setText(clock->text());
    setTextColour(label_timer, clock->textColour());
    image_timer->resize(clock->barWidth(), image_timer->height());
    image_timer->setAccessibleDescription(QStringLiteral("%1 seconds left").arg(clock->turnleft()));
}

void Tchat::refreshCard()
{
    for (int seat = 1; seat <= 4; ++seat) {
        label_score[seat]->setText(score->scoreText(seat));
        for (int k = 1; k <= 3; ++k)
            label_word[seat][k]->setText(score->wordText(seat, k));
    }
    label_theword->setText(score->theWordCaption());
}

void Tchat::button_startClick()
{
    flow->button_startClick();
}

void Tchat::label_playername1ContextPopup(int seat, const QPoint &at)
{
    const Roster::SeatMenu menu = client->roster->label_playername1ContextPopup(seat);
    RemoveFromGame1->setEnabled(menu.remove);
    SettoJustWatch1->setEnabled(menu.setWatch);
    UnsetJustWatch1->setEnabled(menu.unsetWatch);
    popup_kick->setProperty("tag", seat);
    popup_kick->popup(label_playername[seat]->mapToGlobal(at));
}

void Tchat::JustWatch1Click()
{
    // The check follows the host's answer alone.
    JustWatch1->setChecked(client->roster->ownWatching());
    client->roster->JustWatch1Click();
}

void Tchat::b_phrase10Click()
{
    QPushButton *button = b_phrase[10];
    popup_sounds->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
}

void Tchat::downloadCreated(Tdownload *download)
{
    connect(download, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
    // Without the lobby program, playing with others goes through our own dialog.
    connect(download, &Tdownload::playWithOthersRequested, this, [this] { playWithOthers(false); });
}

void Tchat::playWithOthers(bool hosting)
{
    if (!m_playDialog) {
        m_playDialog = new TPlayDialog(this);
        connect(m_playDialog, &TPlayDialog::playRequested, this, [this](const PlayChoice &choice) {
            try {
                IniFile file(inifile);
                choice.save(file, sectionName);
            } catch (const std::exception &error) {
                showError(QString::fromUtf8(error.what()));
            }
            // The new copy listens on the port and takes over the name.
            if (m_forms && m_forms->existingServer()) {
                m_forms->existingServer()->Sock1->setListen(false);
                stopAnnouncing(*m_forms->existingServer());
            }
            client->sock->abort();
            emit relaunchRequested(choice.launchArguments());
        });
    }
    m_playDialog->present(PlayChoice::load(IniFile(inifile), sectionName), hosting);
}

void Tchat::gamestartCreated(Tgamestart *gamestart)
{
    gamestart->setTeamsAreEven([this](int computers) { return robots->teamsWouldBeEven(computers); });
    connect(gamestart, &Tgamestart::startRequested, this, [this](int seconds, bool team, int computers, int strength) {
        timePerTurn = seconds;
        saveReportingErrors();
        // The computer players sit down first; then the game starts.
        robots->arrange(computers, Strength(qBound(0, strength, 2)), [this, seconds, team] {
            flow->startGame(seconds, team);
        });
    });
}

void Tchat::spylistCreated(Tspylist *spylist)
{
    spylist->follow(client->roster);
    spylist->popup_kickhim->setEnabled(client->ishost);
}
