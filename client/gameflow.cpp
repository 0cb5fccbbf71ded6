#include "client/gameflow.h"

#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/roster.h"
#include "client/turnclock.h"

GameFlow::GameFlow(GameClient &client, const Roster &roster, RackModel &rack, ScoreCardModel &score, TurnClock &clock,
                   QObject *parent)
    : QObject(parent), m_client(client), m_roster(roster), m_rack(rack), m_score(score), m_clock(clock)
{
    connect(&m_clock, &TurnClock::ranOut, this, &GameFlow::onClockRanOut);
    connect(&m_clock, &TurnClock::sound, &m_client, &GameClient::playsounds);
    // The board acts for the slot the host gave us; its words and sounds go
    // out through the client, and a posted frame spells the own word.
    connect(&m_client, &GameClient::loggedIn, &m_rack, [this](int slot) {
        m_rack.setMyseat(slot);
        m_rack.setLoggedIn(true);
    });
    connect(&m_rack, &RackModel::sound, &m_client, &GameClient::playsounds);
    connect(&m_rack, &RackModel::sendword, this, &GameFlow::sendword);
    connect(&m_score, &ScoreCardModel::ownWordPosted, &m_rack, &RackModel::showFrameWord);
    connect(&m_client, &GameClient::hostingChanged, this, [this](bool hosting) {
        m_startShown = hosting;
        emit changed();
    });
    const GameEvents *events = m_client.events();
    connect(events, &GameEvents::gameStarted, this, &GameFlow::startthegame);
    connect(events, &GameEvents::turnBegan, this, &GameFlow::getnextplayer);
    connect(events, &GameEvents::gameWon, this, &GameFlow::winner);
    connect(events, &GameEvents::wordRefused, this, &GameFlow::worderror);
    connect(events, &GameEvents::wordAccepted, this, &GameFlow::goodword);
    connect(events, &GameEvents::timeUp, this, &GameFlow::timeisup);
    connect(events, &GameEvents::gameJoined, this, &GameFlow::loadstats);
    connect(events, &GameEvents::rackDealt, &m_rack, &RackModel::theletters);
    connect(events, &GameEvents::frameScored, this, [this](const msg::PostScores &scores) {
        m_clock.stop();
        m_score.postscores(scores);
    });
}

void GameFlow::sendword(const QList<int> &tiles)
{
    // The host hears tile numbers; the letters are the word row's.
    QString word;
    for (int k = 1; k <= m_rack.wordlen(); ++k)
        word += m_rack.slot(k).hint;
    if (m_client.send(msg::SendWord{m_client.myseat(), tiles}))
        emit wordSent(m_client.myseat(), word);
}

void GameFlow::button_startClick()
{
    if (m_client.loggedin())
        emit startDialogRequested();
    else
        emit notConnected();
}

void GameFlow::startGame(int secondsPerTurn, bool team)
{
    m_client.send(msg::StartGame{m_client.myname().toLatin1(), secondsPerTurn, team ? "t" : "f"});
}

void GameFlow::startthegame(const msg::StartGame &start)
{
    m_clock.stop();
    m_rack.setBadWordPanelVisible(false);
    m_noPlay = false;
    m_clock.showZero();
    m_startShown = false;
    m_running = true;
    clearall();
    m_team = start.isTeam();
    setTurnLimit(start.seconds);
    emit changed();
    emit notice(QString::fromLatin1(start.name) + QStringLiteral(" has started a game."));
}

void GameFlow::clearall()
{
    m_rack.clearall();
    m_score.clearall();
    m_winners.fill(false);
    emit changed();
}

void GameFlow::setTurnLimit(int seconds)
{
    m_clock.setTurnlimit(seconds);
    m_timePerTurnText = m_clock.turnTimeText();
}

void GameFlow::getnextplayer(const msg::NextPlayer &turn)
{
    const int seat = turn.seat;
    m_score.showLastWord();
    m_noPlay = false;
    m_rack.setBadWordPanelVisible(false);
    m_score.clearWords();
    if (seat == m_client.myseat() && m_roster.ownWatching()) {
        // The host left a watching seat out of this deal and would drop
        // its words: the board stays closed.
        m_rack.closeBoard();
        m_noPlay = true;
    } else if (seat == m_client.myseat()) {
        m_rack.setTurnseat(seat);
        emit statusText(QStringLiteral("Create a word."));
        m_client.playsounds(m_client.options().turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
        m_rack.setCommandsVisible(true);
    } else {
        m_rack.setTurnseat(seat);
        emit statusText(m_roster.seatName(seat) + QStringLiteral("'s turn."));
    }
    m_clock.start();
    emit changed();
}

void GameFlow::onClockRanOut()
{
    m_rack.closeBoard();
    emit statusText(QStringLiteral("Time is Up"));
}

void GameFlow::timeisup()
{
    emit statusText(QStringLiteral("Time is Up!"));
    m_clock.showZero();
    m_client.playsounds(QStringLiteral("timeup"));
}

void GameFlow::goodword(const msg::GoodWord &verdict)
{
    if (verdict.seat != m_client.myseat())
        return;
    const std::optional<ScoreCardModel::GoodWord> shown =
        m_score.goodword(verdict.seat, verdict.frame, verdict.ball, verdict.letters);
    if (!shown)
        return; // a frame, ball or count no host sends
    if (!shown->status.isEmpty())
        emit statusText(shown->status);
    m_client.playsounds(shown->sound);
    m_rack.acceptWord(verdict.ball, verdict.letters, shown->reopen);
}

void GameFlow::worderror(int seat)
{
    if (seat == m_client.myseat())
        m_rack.refuseWord();
}

void GameFlow::winner(const QList<int> &winners)
{
    m_rack.setCommandsVisible(false);
    m_running = false;
    QString text;
    for (int seat : winners) {
        m_winners[seat] = true;
        const QString name = seat == m_client.myseat() ? QStringLiteral("You") : m_roster.seatName(seat);
        text += text.isEmpty() ? name : QStringLiteral(" and ") + name;
    }
    const bool plural = winners.size() > 1 || winners.first() == m_client.myseat();
    m_client.playsounds(QStringLiteral("gameover"));
    const QString status = text + (plural ? QStringLiteral(" have Won the Game!") : QStringLiteral(" has Won the Game!"));
    emit statusText(status);
    emit notice(status);
    if (m_client.ishost())
        m_startShown = true;
    emit changed();
}

void GameFlow::loadstats(const msg::LoadStats &state)
{
    if (state.slot != m_client.myseat())
        return;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        m_score.setScoreText(seat, QString::fromLatin1(state.scores[seat - 1]));
    setTurnLimit(state.seconds);
    m_running = true;
    if (state.countdown > 4) {
        m_clock.resume(state.countdown);
        // No rack for the running frame: the next deal brings one.
        if (game::isSeat(m_client.myseat()))
            m_noPlay = true;
    }
    m_team = state.isTeam();
    emit changed();
}
