#include "host/serverform.h"

#include "base/numbers.h"
#include "base/overloaded.h"
#include "base/version.h"
#include "host/pausesetting.h"
#include "host/wordsource.h"
#include "net/connection.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "words/dictn.h"
#include "words/letterwords.h"

#include <QHostAddress>

#include <algorithm>
#include <span>

namespace {

// The program's own word lists: the dictionary `spell` and the letter words.
class ProgramWords : public WordSource
{
public:
    bool lookup(QStringView word) override { return spell.lookup(word); }
    // The dictionary file is written out now, not under the first word.
    void prepare() override { spell.open(); }
    QByteArray draw() override { return letterwords::draw().toLatin1(); }

private:
    TDictn spell;
};


} // namespace

TServer::TServer(QObject *parent) : TServer(std::make_unique<ProgramWords>(), parent) {}

TServer::TServer(std::unique_ptr<WordSource> words, QObject *parent)
    : QObject(parent),
      m_words(std::move(words)),
      m_judge(*this, [this](QStringView word) { return m_words->lookup(word); }),
      m_scorer(*this)
{
    setObjectName(QStringLiteral("Server"));
    FormCreate();
}

TServer::~TServer()
{
    // The connections go quietly while this object still exists.
    for (TPlayerSlot &player : players)
        delete std::exchange(player.conn, nullptr);
    qDeleteAll(std::exchange(m_held, {}));
    qDeleteAll(std::exchange(m_unseated, {}));
    delete std::exchange(Sock1, nullptr);
}

void TServer::FormCreate()
{
    seatcount = game::kSeats;

    Sock1 = new TSock(this);
    Sock1->setObjectName(QStringLiteral("Sock1"));
    Sock1->setPortName(QStringLiteral("7772"));
    Sock1->OnAccept = [this](TSock *listener) { Sock1Accept(listener); };

    receivedlist = new Dispatcher(this);
    receivedlist->setEndHandler([this](quint64 connection) { connectionEnded(connection); });
    receivedlist->setHandler([this](const QByteArray &line, quint64 connection) { received(line, connection); });

    m_clock.start();
    m_now = [this] { return m_clock.elapsed(); };

    timer1.setObjectName(QStringLiteral("timer1"));
    timer1.setInterval(1000);
    connect(&timer1, &QTimer::timeout, this, &TServer::timer1Timer);
}

void TServer::listen(quint16 port, const QHostAddress &address, FirstSlot first)
{
    m_firstSlotReserved.setRemainingTime(first == FirstSlot::HostingWindow ? kFirstSlotWaitMs : 0);
    Sock1->setPortName(QString::number(port));
    Sock1->setListenAddress(address);
    Sock1->setListen(true);
    m_words->prepare();
}

int TServer::pauseSeconds() const
{
    const int seconds = m_pause ? m_pause->pauseBetweenFrames() : game::kDefaultPause;
    return seconds > 0 ? seconds : game::kDefaultPause;
}

void TServer::useManualClock()
{
    disconnect(&timer1, &QTimer::timeout, this, &TServer::timer1Timer);
}

QString TServer::GetString(int id) const
{
    return letterwords::GetString(id);
}

// ---- Connections and roster ----

void TServer::Sock1Accept(TSock *listener)
{
    if (awaitingProbe() && m_held.size() < kMaxHeld) {
        if (TSock *sock = listener->accept(this))
            hold(sock);
        return;
    }
    TSock *sock = listener->accept(this);
    if (!sock)
        return; // nothing was taken
    const int slot = freeSlotFor(sock->hostName());
    if (!slot) {
        const QString peer = sock->hostName();
        try {
            sock->send(msg::encode(msg::Full{}));
        } catch (const ESockException &) {
            // gone already: there is nobody to tell
        }
        sock->close();
        sock->deleteLater();
        emit connectionRefused(peer);
        return;
    }
    seat(slot, new Connection(sock, receivedlist, this));
}

void TServer::seat(int slot, Connection *conn)
{
    slotcount = std::max(slotcount, slot);
    TPlayerSlot &player = players[slot];
    player.conn = conn;
    player.connected = true;
    player.loggedin = false;
    player.chat.reset(m_chatLimit, m_now());
    conn->sock()->setTag(slot);
    emit connectionAccepted(slot, conn->sock()->hostName());
    sendTo(slot, msg::SendLoginInfo{slot});
    // A slot held by somebody who never logs in is given back.
    QTimer::singleShot(m_loginTimeoutMs, conn, [this, slot, conn] {
        if (players[slot].conn == conn && !players[slot].loggedin)
            conn->close();
    });
}

int TServer::freeSlotFor(const QString &peer) const
{
    // Slot 1 waits for the hosting window, which connects over the loopback
    // address; nobody from outside may take it meanwhile.
    const bool firstReserved = !m_firstSlotReserved.hasExpired() && !QHostAddress(peer).isLoopback();
    for (int slot = firstReserved ? 2 : 1; slot <= game::kSlots; ++slot) {
        if (!players[slot].connected)
            return slot;
    }
    return 0;
}

void TServer::connectionEnded(quint64 connection)
{
    if (Connection *conn = m_held.take(connection)) {
        conn->deleteLater();
        return;
    }
    if (Connection *conn = m_unseated.take(connection)) {
        conn->deleteLater();
        return;
    }
    // A connection that no longer holds its slot must not free it for the
    // newcomer who has it now.
    int slot = 0;
    for (int s = 1; s <= game::kSlots && !slot; ++s) {
        if (players[s].conn && players[s].conn->id() == connection)
            slot = s;
    }
    if (!slot)
        return;
    TPlayerSlot &player = players[slot];
    const QByteArray name = std::exchange(player.name, QByteArray());
    const bool wasConnected = player.connected;
    player.connected = false;
    player.loggedin = false;
    player.watching = false;
    std::exchange(player.conn, nullptr)->deleteLater();
    // A probe came and went without anybody having seen it.
    if (m_seatedProbes.remove(connection))
        return;
    // Scores, racks and frame records of a seat stay for whoever takes it.
    if (wasConnected)
        sendToAll(msg::PlayerDisconnected{slot, name});
    emit connectionClosed(slot, name);
}

void TServer::disconnectsock(int slot)
{
    if (game::isSlot(slot) && players[slot].connected && players[slot].conn)
        players[slot].conn->close();
}

int TServer::slotOfConnection(quint64 connection) const
{
    if (connection == 0)
        return 0;
    for (int s = 1; s <= game::kSlots; ++s) {
        if (players[s].connected && players[s].conn && players[s].conn->id() == connection)
            return s;
    }
    return 0;
}

bool TServer::isOwnSlot(int slot, quint64 connection) const
{
    return slot != 0 && slot == slotOfConnection(connection);
}

void TServer::sendBytes(int slot, const QByteArray &bytes)
{
    TPlayerSlot &player = players[slot];
    if (!player.connected || !player.conn)
        return;
    try {
        player.conn->send(bytes);
    } catch (const ESockException &) {
        // Its close is on the way and frees the slot; the others still get theirs.
    }
}

void TServer::received(const QByteArray &line, quint64 connection)
{
    if (m_held.contains(connection)) {
        // Only a probe speaks before it is offered a slot; anything else
        // cannot name its slot yet and is dropped.
        std::optional<msg::ToHost> message;
        try {
            message = msg::readToHost(line);
        } catch (const EConvertError &) {
        }
        const auto *probeMessage = message ? std::get_if<msg::Probe>(&*message) : nullptr;
        if (!probeMessage || !probe(*probeMessage, connection))
            seatHeld(connection);
        return;
    }
    const std::optional<msg::ToHost> message = msg::readToHost(line);
    if (!message)
        return;
    std::visit(Overloaded{
                   [&](const msg::LoginInfo &m) { receivedlogininfo(m, connection); },
                   [&](const msg::KickHim &m) { kickhim(m, connection); },
                   [&](const msg::Chat &m) { chat(m, connection); },
                   [&](const msg::Action &m) { action(m, connection); },
                   [&](const msg::StartGame &m) { startgame(m, connection); },
                   [&](const msg::JustWatch &m) { justwatch(m, connection); },
                   [&](const msg::SendWord &m) { sendword(m, connection); },
                   [&](const msg::PlayASound &m) { playasound(m, connection); },
                   [&](const msg::Probe &m) { probe(m, connection); },
               },
               *message);
}

void TServer::receivedlogininfo(const msg::LoginInfo &message, quint64 connection)
{
    const int slot = message.slot;
    if (!isOwnSlot(slot, connection))
        return;
    TPlayerSlot &player = players[slot];
    // Logging in again renames: an announcement to everybody, as cheap to
    // flood as a chat line.
    if (player.loggedin && !mayRelay(slot))
        return;
    player.name = message.name.left(game::kMaxName);
    player.connected = true;
    player.loggedin = true;
    emit playerLoggedIn(slot, player.name, message.version.left(game::kMaxName));

    sendToAll(msg::NewPlayerInfo{slot, player.name});
    for (int k = 1; k <= slotcount; ++k) {
        if (k != slot && players[k].connected)
            sendTo(slot, msg::ExistingPlayers{k, players[k].name});
    }
    if (message.version != kVersionText) {
        sendTo(1, msg::HaveWrongVersion{player.name});
        sendTo(slot, msg::WrongVersion{});
    }
    if (gamestarted) {
        msg::LoadStats stats{slot, timeperturn, teamgame ? "t" : "f", countdown, {}};
        for (int seat = 1; seat <= game::kSeats; ++seat)
            stats.scores[seat - 1] = QByteArray::number(players[seat].total);
        sendTo(slot, stats);
    }
}

void TServer::kickhim(const msg::KickHim &message, quint64 connection)
{
    if (message.requester != 1 || slotOfConnection(connection) != 1)
        return;
    // The one removed hears it first, so that it can tell removal from the
    // host's end; the others hear it when the connection has closed.
    const int target = message.target;
    if (game::isSlot(target) && players[target].connected)
        sendTo(target, msg::PlayerDisconnected{target, players[target].name});
    disconnectsock(target);
}

void TServer::justwatch(const msg::JustWatch &message, quint64 connection)
{
    const int seat = message.seat;
    const int sender = slotOfConnection(connection);
    if (seat > seatcount || (sender != seat && sender != 1))
        return;
    if (message.watch && !gamestarted)
        return;
    // Every switch is a line in everybody's chat.
    if (!mayRelay(sender))
        return;
    // Watching leaves the seat out from the next deal on.
    players[seat].watching = message.watch;
    sendToAll(msg::JustWatching{seat, message.watch});
}

namespace {

// "text|colour" with the text cut to the host's limit; a colour text is a
// few characters at most.
QByteArray boundedChat(const QByteArray &body)
{
    constexpr int kMaxColour = 32;
    const qsizetype bar = body.lastIndexOf('|');
    if (bar < 0)
        return body.left(TServer::kMaxChatText);
    return body.left(std::min<qsizetype>(bar, TServer::kMaxChatText)) + body.mid(bar, kMaxColour + 1);
}

} // namespace

bool TServer::mayRelay(int slot)
{
    switch (players[slot].chat.take(m_now())) {
    case RelayAllowance::Verdict::Relay:
        return true;
    case RelayAllowance::Verdict::DropAndTell:
        sendTo(slot, msg::Chat{0, "You are sending faster than the table can read: "
                                  "some of your lines were not passed on.|clBlue"});
        return false;
    case RelayAllowance::Verdict::Drop:
        return false;
    }
    return false;
}

void TServer::chat(const msg::Chat &message, quint64 connection)
{
    const int slot = message.slot;
    if (isOwnSlot(slot, connection) && mayRelay(slot))
        sendToAll(msg::Chat{slot, players[slot].name + " chats: " + boundedChat(message.body)});
}

void TServer::action(const msg::Action &message, quint64 connection)
{
    const int slot = message.slot;
    if (isOwnSlot(slot, connection) && mayRelay(slot))
        sendToAll(msg::Action{slot, players[slot].name + ' ' + boundedChat(message.body)});
}

void TServer::playasound(const msg::PlayASound &message, quint64 connection)
{
    if (isOwnSlot(message.slot, connection) && mayRelay(message.slot))
        sendToAll(message);
}

// ---- The game's course ----

void TServer::startgame(const msg::StartGame &message, quint64 connection)
{
    if (slotOfConnection(connection) != 1)
        return;
    timer1.stop();
    gamestarted = true;
    // Both texts go to everybody as they came, within the bounds of a name;
    // the time is one the game options offer, whatever was asked for.
    const QByteArray name = message.name.left(game::kMaxName);
    const QByteArray team = message.team.left(game::kMaxName);
    timeperturn = std::clamp(message.seconds, game::kMinTurnSeconds, game::kMaxTurnSeconds);
    teamgame = message.isTeam();
    sendToAll(msg::StartGame{name, timeperturn, team});
    emit gameStarted(name, timeperturn, teamgame);

    for (int seat = 1; seat <= game::kSeats; ++seat) {
        TPlayerSlot &player = players[seat];
        player.total = 0;
        player.watching = false;
        player.words = {};
        player.frames.fill(TFrameScore());
    }
    bonusword2 = m_words->draw();
    shuffleOntoRack(2, bonusword2);
    bonusword3 = m_words->draw();
    shuffleOntoRack(3, bonusword3);
    currentframe = 0;
    startround();
}

QList<msg::TheLetters::Tile> TServer::shuffleOntoRack(int rack, const QByteArray &word)
{
    std::array<Rack *, game::kSeats> seats{};
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        players[seat].tiles[rack].fill(0);
        seats[seat - 1] = &players[seat].tiles[rack];
    }
    const QList<int> positions = letterwords::shuffleOntoRack(QString::fromLatin1(word), mastertiles[rack], seats);
    QList<msg::TheLetters::Tile> tiles;
    for (qsizetype i = 0; i < positions.size(); ++i)
        tiles << msg::TheLetters::Tile{positions[i], word[i]};
    return tiles;
}

void TServer::startround()
{
    ++currentframe;
    if (currentframe > game::kFrames) {
        currentframe = game::kFrames + 1;
        checkforwin();
        return;
    }
    frameword = m_words->draw();
    const QList<msg::TheLetters::Tile> deal = shuffleOntoRack(1, frameword);
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        TPlayerSlot &player = players[seat];
        player.words = {};
        player.letterset = 1;
        player.letterword = frameword;
    }
    sendToAll(msg::TheLetters{0, deal});
    findplayer();
}

void TServer::findplayer()
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        const TPlayerSlot &player = players[seat];
        players[seat].balls = player.connected && !player.watching ? 0 : TPlayerSlot::kFinished;
    }
    for (int slot = 1; slot <= slotcount; ++slot) {
        // A spectator hears of the turn as seat 1 does.
        const int turn = game::isSeat(slot) ? slot : 1;
        sendTo(slot, msg::NextPlayer{turn, currentframe});
    }
    // Time for the messages to arrive, on top of the turn.
    const int grace = 4;
    startTimer1(TimerMode::Frame, timeperturn + grace);
}

void TServer::startTimer1(TimerMode mode, int seconds)
{
    timer1.stop();
    timer1Mode = mode;
    countdown = seconds;
    timer1.start();
}

void TServer::timer1Timer()
{
    if (!timer1.isActive())
        return; // a tick that the stop overtook
    if (--countdown > 0)
        return;
    timer1.stop();
    if (timer1Mode == TimerMode::Pause)
        startround();
    else
        timeup();
}

void TServer::timeup()
{
    m_scorer.timeUp();
    sendToAll(msg::TimeIsUp{});
    postheirscores();
}

void TServer::sendword(const msg::SendWord &message, quint64 connection)
{
    const int seat = message.seat;
    if (seat != slotOfConnection(connection) || !m_judge.canPlay(seat))
        return;
    const WordJudge::Verdict verdict = m_judge.judge(seat, std::span(message.positions.constData(), message.positions.size()));
    switch (verdict.outcome) {
    case WordJudge::Outcome::Ignored:
        return;
    case WordJudge::Outcome::Refused:
        sendTo(seat, msg::WordError{seat});
        return;
    case WordJudge::Outcome::Accepted:
        break;
    }
    sendTo(seat, msg::GoodWord{seat, currentframe, players[seat].total, verdict.balls, verdict.letters});
    if (verdict.sendRack)
        sendRack(seat, verdict.sendRack);
    if (verdict.frameOver) {
        timer1.stop();
        postheirscores();
    }
}

void TServer::sendRack(int seat, int rack)
{
    msg::TheLetters deal{seat, {}};
    const Rack &tiles = players[seat].tiles[rack];
    for (int position = 1; position <= game::kTiles; ++position)
        deal.tiles << msg::TheLetters::Tile{position, tiles[position]};
    sendTo(seat, deal);
}

void TServer::postheirscores()
{
    if (!frameInPlay())
        return;
    msg::PostScores scores{currentframe, {}, frameword, {}, {}, m_scorer.scoreAll()};
    if (currentframe == game::kFrames) {
        scores.bonusword2 = bonusword2;
        scores.bonusword3 = bonusword3;
    }
    for (int slot = 1; slot <= slotcount; ++slot) {
        scores.ownword = game::isSeat(slot) ? players[slot].letterword : frameword;
        sendTo(slot, scores);
    }
    emit frameEnded(currentframe);
    startTimer1(TimerMode::Pause, pauseSeconds());
}

void TServer::checkforwin()
{
    const QList<int> winners = m_scorer.winners();
    sendToAll(msg::Winner{winners});
    gamestarted = false;
    emit winnerAnnounced(winners);
}
