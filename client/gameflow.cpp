#include "client/gameflow.h"

#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "client/gameclient.h"
#include "client/roster.h"
#include "client/turnclock.h"
#include "net/fields.h"
#include "net/wire.h"

namespace {

bool validSeat(int seat)
{
    return seat >= 1 && seat <= 4;
}

} // namespace

GameFlow::GameFlow(GameClient &client, RackModel &rack, ScoreCardModel &score, TurnClock &clock, QObject *parent)
    : QObject(parent), m_client(client), m_rack(rack), m_score(score), m_clock(clock)
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
    connect(&m_rack, &RackModel::sendword, &m_client, &GameClient::send);
    connect(&m_score, &ScoreCardModel::ownWordPosted, &m_rack, &RackModel::showFrameWord);
    connect(&m_client, &GameClient::hostingChanged, this, [this](bool hosting) {
        m_startShown = hosting;
        emit changed();
    });
    const auto hook = [this](const char *command, void (GameFlow::*handler)(const QByteArray &)) {
        m_client.setHandler(command, [this, handler](const QByteArray &payload) { (this->*handler)(payload); });
    };
    hook("CMD_startgame", &GameFlow::startthegame);
    hook("CMD_nextplayer", &GameFlow::getnextplayer);
    hook("CMD_winner", &GameFlow::winner);
    hook("CMD_worderror", &GameFlow::worderror);
    hook("CMD_goodword", &GameFlow::goodword);
    hook("CMD_timeisup", &GameFlow::timeisup);
    hook("CMD_loadstats", &GameFlow::loadstats);
    m_client.setHandler("CMD_theletters", [this](const QByteArray &payload) { m_rack.theletters(payload); });
    m_client.setHandler("CMD_postscores", [this](const QByteArray &payload) {
        m_clock.stop();
        m_score.postscores(payload);
    });
}

void GameFlow::button_startClick()
{
    if (m_client.loggedin)
        emit startDialogRequested();
    else
        emit notConnected();
}

bool GameFlow::teamsAreEven() const
{
    return m_client.roster->isSeated(2) && m_client.roster->isSeated(3) && m_client.roster->isSeated(4);
}

void GameFlow::startGame(int secondsPerTurn, bool team)
{
    m_client.send(wire::message("CMD_startgame", wire::fields(m_client.myname.toLatin1(), secondsPerTurn,
                                                              team ? "t" : "f")
                                                     + '+'));
}

void GameFlow::startthegame(const QByteArray &payload)
{
    FieldReader fields(payload);
    const QByteArray starter = fields.take();
    const QByteArray seconds = fields.take();
    const QByteArray team = fields.take();

    m_clock.stop();
    m_rack.setBadWordPanelVisible(false);
    m_noPlay = false;
    m_clock.showZero();
    m_startShown = false;
    m_running = true;
    m_client.roster->gameStarted();
    clearall();
    setTeam(team);
    int limit = kDefaultTurnSeconds;
    if (!tryStrToInt(seconds, &limit))
        limit = kDefaultTurnSeconds;
    setTurnLimit(limit);
    emit changed();
    emit m_client.systemLine(QStringLiteral("0+") + QString::fromLatin1(starter)
                             + QStringLiteral(" has started a game."));
}

void GameFlow::clearall()
{
    m_rack.clearall();
    m_score.clearall();
    m_winners.fill(false);
    emit changed();
}

void GameFlow::setTeam(const QByteArray &team)
{
    m_team = team == "t";
}

void GameFlow::setTurnLimit(int seconds)
{
    m_clock.setTurnlimit(seconds);
    m_timePerTurnText = m_clock.turnTimeText();
}

void GameFlow::getnextplayer(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int seat = fields.takeInt();
    if (!validSeat(seat))
        return;
    m_score.showLastWord();
    m_noPlay = false;
    m_rack.setBadWordPanelVisible(false);
    m_score.clearWords();
    if (seat == m_client.myseat && m_client.roster->ownWatching()) {
        // The host left a watching seat out of this deal and would drop
        // its words: the board stays closed.
        m_rack.closeBoard();
        m_noPlay = true;
    } else if (seat == m_client.myseat) {
        m_rack.setTurnseat(seat);
        emit statusText(QStringLiteral("Create a word."));
        m_client.playsounds(m_client.options.turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
        m_rack.setCommandsVisible(true);
    } else {
        m_rack.setTurnseat(seat);
        emit statusText(m_client.roster->seatName(seat) + QStringLiteral("'s turn."));
    }
    m_clock.start();
    emit changed();
}

void GameFlow::onClockRanOut()
{
    m_rack.closeBoard();
    emit statusText(QStringLiteral("Time is Up"));
}

void GameFlow::timeisup(const QByteArray &)
{
    emit statusText(QStringLiteral("Time is Up!"));
    m_clock.showZero();
    m_client.playsounds(QStringLiteral("timeup"));
}

void GameFlow::goodword(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int seat = fields.takeInt();
    if (seat != m_client.myseat)
        return;
    const int frame = fields.takeInt();
    fields.takeInt(); // the total is not shown here
    const int ball = fields.takeInt();
    const int letters = fields.takeInt();
    const std::optional<ScoreCardModel::GoodWord> verdict = m_score.goodword(seat, frame, ball, letters);
    if (!verdict)
        return; // a frame, ball or count no host sends
    if (!verdict->status.isEmpty())
        emit statusText(verdict->status);
    m_client.playsounds(verdict->sound);
    if (verdict->strike)
        emit strikeCounted();
    m_rack.acceptWord(ball, letters, verdict->reopen);
}

void GameFlow::worderror(const QByteArray &payload)
{
    FieldReader fields(payload);
    if (fields.takeInt() == m_client.myseat)
        m_rack.refuseWord();
}

void GameFlow::winner(const QByteArray &payload)
{
    FieldReader fields(payload);
    fields.appendEndMarker("@");
    QList<int> winners;
    while (fields.hasListItem()) {
        const int seat = fields.takeInt();
        if (validSeat(seat) && !winners.contains(seat))
            winners << seat;
    }
    if (winners.isEmpty())
        return; // no host announces a game nobody won
    m_rack.setCommandsVisible(false);
    m_running = false;
    QString text;
    for (int seat : winners) {
        m_winners[seat] = true;
        const QString name = seat == m_client.myseat ? QStringLiteral("You") : m_client.roster->seatName(seat);
        text += text.isEmpty() ? name : QStringLiteral(" and ") + name;
    }
    const bool plural = winners.size() > 1 || winners.first() == m_client.myseat;
    m_client.playsounds(QStringLiteral("gameover"));
    const QString status = text + (plural ? QStringLiteral(" have Won the Game!") : QStringLiteral(" has Won the Game!"));
    emit statusText(status);
    emit m_client.systemLine(QStringLiteral("0+") + status);
    if (m_client.ishost)
        m_startShown = true;
    emit changed();
    if (!validSeat(m_client.myseat))
        return; // a spectator keeps no tally
    std::optional<TallyWinner> recorded;
    if (winners.size() == 1)
        recorded = winners.first() == m_client.myseat ? TallyWinner::player()
                                                      : TallyWinner::opponent(m_client.roster->seatName(winners.first()));
    emit gameRecorded(m_score.scoreText(m_client.myseat), recorded, m_client.roster->opponents());
}

void GameFlow::loadstats(const QByteArray &payload)
{
    FieldReader fields(payload);
    if (fields.takeInt() != m_client.myseat)
        return;
    int limit = kDefaultTurnSeconds;
    if (!tryStrToInt(fields.take(), &limit))
        limit = kDefaultTurnSeconds;
    const QByteArray team = fields.take();
    const int countdown = fields.takeInt();
    // Shown as received; a score is a few digits, whatever a peer sends.
    constexpr int kMaxScoreText = 11;
    for (int seat = 1; seat <= 4; ++seat)
        m_score.setScoreText(seat, QString::fromLatin1(fields.take().left(kMaxScoreText)));
    setTurnLimit(limit);
    m_running = true;
    if (countdown > 4) {
        m_clock.resume(countdown);
        // No rack for the running frame: the next deal brings one.
        if (validSeat(m_client.myseat))
            m_noPlay = true;
    }
    setTeam(team);
    emit changed();
}
