#include "host/serverform.h"

#include "base/version.h"
#include "host/pausesetting.h"
#include "host/wordsource.h"
#include "net/connection.h"
#include "net/fields.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "net/wire.h"
#include "words/dictn.h"
#include "words/letterwords.h"

#include <QHostAddress>
#include <QVarLengthArray>

#include <limits>

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

QByteArray number(int value)
{
    return QByteArray::number(value);
}

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
    delete std::exchange(Sock1, nullptr);
}

void TServer::FormCreate()
{
    seatcount = kSeats;

    Sock1 = new TSock(this);
    Sock1->setObjectName(QStringLiteral("Sock1"));
    Sock1->setPortName(QStringLiteral("7772"));
    Sock1->OnAccept = [this](TSock *listener) { Sock1Accept(listener); };

    receivedlist = new Dispatcher(this);
    receivedlist->setEndHandler([this](quint64 connection) { connectionEnded(connection); });
    const auto command = [this](const char *name, void (TServer::*handler)(const QByteArray &, quint64)) {
        receivedlist->addCommand(name, [this, handler](const QByteArray &payload, quint64 connection) {
            (this->*handler)(payload, connection);
        });
    };
    command("CMD_logininfo", &TServer::receivedlogininfo);
    command("CMD_kickhim", &TServer::kickhim);
    command("CMD_chat", &TServer::chat);
    command("CMD_action", &TServer::action);
    command("CMD_startgame", &TServer::startgame);
    command("CMD_justwatch", &TServer::justwatch);
    command("CMD_sendword", &TServer::sendword);
    command("CMD_playasound", &TServer::playasound);

    m_clock.start();
    m_now = [this] { return m_clock.elapsed(); };

    timer1.setObjectName(QStringLiteral("timer1"));
    timer1.setInterval(1000);
    connect(&timer1, &QTimer::timeout, this, &TServer::timer1Timer);
}

void TServer::listen(quint16 port, const QHostAddress &address)
{
    Sock1->setPortName(QString::number(port));
    Sock1->setListenAddress(address);
    Sock1->setListen(true);
    m_words->prepare();
}

int TServer::pauseSeconds() const
{
    const int seconds = m_pause ? m_pause->pauseBetweenFrames() : kDefaultPause;
    return seconds > 0 ? seconds : kDefaultPause;
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
    // The lowest free slot, else a new one while fewer than nine are out.
    int slot = 0;
    for (int s = 1; s <= slotcount && !slot; ++s) {
        if (!players[s].connected)
            slot = s;
    }
    if (!slot && slotcount < kHighestSlot)
        slot = slotcount + 1;

    TSock *sock = listener->accept(this);
    if (!sock)
        return; // nothing was taken: the slot stays free
    if (!slot) {
        const QString peer = sock->hostName();
        try {
            sock->send(wire::message("CMD_full"));
        } catch (const ESockException &) {
            // gone already: there is nobody to tell
        }
        sock->close();
        sock->deleteLater();
        emit connectionRefused(peer);
        return;
    }

    slotcount = std::max(slotcount, slot);
    TPlayerSlot &player = players[slot];
    auto *conn = new Connection(sock, receivedlist, this);
    player.conn = conn;
    player.connected = true;
    player.loggedin = false;
    player.chat.reset(m_chatLimit, m_now());
    sock->setTag(slot);
    emit connectionAccepted(slot, sock->hostName());
    sendTo(slot, wire::message("CMD_sendlogininfo", number(slot)));
    // A slot held by somebody who never logs in is given back.
    QTimer::singleShot(m_loginTimeoutMs, conn, [this, slot, conn] {
        if (players[slot].conn == conn && !players[slot].loggedin)
            conn->close();
    });
}

void TServer::connectionEnded(quint64 connection)
{
    // A connection that no longer holds its slot must not free it for the
    // newcomer who has it now.
    int slot = 0;
    for (int s = 1; s <= kHighestSlot && !slot; ++s) {
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
    // Scores, racks and frame records of a seat stay for whoever takes it.
    if (wasConnected)
        sendToAll(wire::message("CMD_playerdisconnected", number(slot) + '+' + name));
    emit connectionClosed(slot, name);
}

void TServer::disconnectsock(int slot)
{
    if (isSlot(slot) && players[slot].connected && players[slot].conn)
        players[slot].conn->close();
}

int TServer::slotOfConnection(quint64 connection) const
{
    if (connection == 0)
        return 0;
    for (int s = 1; s <= kHighestSlot; ++s) {
        if (players[s].connected && players[s].conn && players[s].conn->id() == connection)
            return s;
    }
    return 0;
}

// Reads the slot field a message speaks for: the slot when it is the
// sender's own, else 0.
int TServer::ownSlot(FieldReader &fields, quint64 connection) const
{
    const int slot = fields.takeInt();
    return slot != 0 && slot == slotOfConnection(connection) ? slot : 0;
}

void TServer::sendTo(int slot, const QByteArray &message)
{
    TPlayerSlot &player = players[slot];
    if (!player.connected || !player.conn)
        return;
    try {
        player.conn->send(message);
    } catch (const ESockException &) {
        // Its close is on the way and frees the slot; the others still get theirs.
    }
}

void TServer::sendToAll(const QByteArray &message)
{
    for (int slot = 1; slot <= slotcount; ++slot)
        sendTo(slot, message);
}

void TServer::receivedlogininfo(const QByteArray &payload, quint64 connection)
{
    FieldReader fields(payload);
    const int slot = ownSlot(fields, connection);
    if (!slot)
        return;
    TPlayerSlot &player = players[slot];
    // Logging in again renames: an announcement to everybody, as cheap to
    // flood as a chat line.
    if (player.loggedin && !mayRelay(slot))
        return;
    const QByteArray version = fields.take();
    player.name = fields.rest().left(kMaxName);
    player.connected = true;
    player.loggedin = true;
    emit playerLoggedIn(slot, player.name, version.left(kMaxName));

    sendToAll(wire::message("CMD_newplayerinfo", number(slot) + '+' + player.name));
    for (int k = 1; k <= slotcount; ++k) {
        if (k != slot && players[k].connected)
            sendTo(slot, wire::message("CMD_existingplayers", number(k) + '+' + players[k].name));
    }
    if (version != kVersionText) {
        sendTo(1, wire::message("CMD_havewrongversion", player.name));
        sendTo(slot, wire::message("CMD_wrongversion"));
    }
    if (gamestarted) {
        sendTo(slot, wire::message("CMD_loadstats",
                                   wire::fields(slot, timeperturn, teamgame ? "t" : "f", countdown, players[1].total,
                                                players[2].total, players[3].total, players[4].total)
                                       + '+'));
    }
}

void TServer::kickhim(const QByteArray &payload, quint64 connection)
{
    FieldReader fields(payload);
    const int requester = fields.takeInt();
    if (requester != 1 || slotOfConnection(connection) != 1)
        return;
    disconnectsock(fields.takeInt());
}

void TServer::justwatch(const QByteArray &payload, quint64 connection)
{
    FieldReader fields(payload);
    const int seat = fields.takeInt();
    const int sender = slotOfConnection(connection);
    if (seat < 1 || seat > seatcount || (sender != seat && sender != 1))
        return;
    const int request = fields.takeInt();
    if (request != 2 && !(request == 1 && gamestarted))
        return;
    // Every switch is a line in everybody's chat.
    if (!mayRelay(sender))
        return;
    // Watching leaves the seat out from the next deal on.
    players[seat].watching = request == 1;
    sendToAll(wire::message("CMD_justwatching", number(seat) + '+' + number(request)));
}

namespace {

// "text|colour" with the text cut to the host's limit; a colour text is a
// few characters at most.
QByteArray boundedChat(const QByteArray &rest)
{
    constexpr int kMaxColour = 32;
    const qsizetype bar = rest.lastIndexOf('|');
    if (bar < 0)
        return rest.left(TServer::kMaxChatText);
    return rest.left(std::min<qsizetype>(bar, TServer::kMaxChatText)) + rest.mid(bar, kMaxColour + 1);
}

} // namespace

bool TServer::mayRelay(int slot)
{
    switch (players[slot].chat.take(m_now())) {
    case RelayAllowance::Verdict::Relay:
        return true;
    case RelayAllowance::Verdict::DropAndTell:
        sendTo(slot, wire::message("CMD_chat", "0+You are sending faster than the table can read: "
                                               "some of your lines were not passed on.|clBlue"));
        return false;
    case RelayAllowance::Verdict::Drop:
        return false;
    }
    return false;
}

void TServer::chat(const QByteArray &payload, quint64 connection)
{
    FieldReader fields(payload);
    if (const int slot = ownSlot(fields, connection); slot && mayRelay(slot))
        sendToAll(wire::message("CMD_chat", number(slot) + '+' + players[slot].name + " chats: "
                                                + boundedChat(fields.rest())));
}

void TServer::action(const QByteArray &payload, quint64 connection)
{
    FieldReader fields(payload);
    if (const int slot = ownSlot(fields, connection); slot && mayRelay(slot))
        sendToAll(wire::message("CMD_action", number(slot) + '+' + players[slot].name + ' '
                                                  + boundedChat(fields.rest())));
}

void TServer::playasound(const QByteArray &payload, quint64 connection)
{
    constexpr int kMaxSoundName = 16;   // "wave20+" and room to spare
    FieldReader fields(payload);
    if (const int slot = ownSlot(fields, connection); slot && mayRelay(slot))
        sendToAll(wire::message("CMD_playasound", number(slot) + '+' + fields.rest().left(kMaxSoundName)));
}

// ---- The game's course ----

void TServer::startgame(const QByteArray &payload, quint64 connection)
{
    if (slotOfConnection(connection) != 1)
        return;
    timer1.stop();
    gamestarted = true;
    FieldReader fields(payload);
    // Both texts go to everybody as they came, within the bounds of a name.
    const QByteArray name = fields.take().left(kMaxName);
    const QByteArray seconds = fields.take();
    const QByteArray team = fields.take().left(kMaxName);
    if (!tryStrToInt(seconds, &timeperturn))
        timeperturn = 90;
    teamgame = team == "t";
    sendToAll(wire::message("CMD_startgame", wire::fields(name, timeperturn, team) + '+'));
    emit gameStarted(name, timeperturn, teamgame);

    for (int seat = 1; seat <= kSeats; ++seat) {
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

void TServer::shuffleOntoRack(int rack, const QByteArray &word, QByteArray *deal)
{
    std::array<Rack *, kSeats> seats{};
    for (int seat = 1; seat <= kSeats; ++seat) {
        players[seat].tiles[rack].fill(0);
        seats[seat - 1] = &players[seat].tiles[rack];
    }
    const QByteArray text = letterwords::shuffleOntoRack(QString::fromLatin1(word), mastertiles[rack], seats);
    if (deal)
        *deal = text;
}

void TServer::startround()
{
    ++currentframe;
    if (currentframe > kFrames) {
        currentframe = kFrames + 1;
        checkforwin();
        return;
    }
    frameword = m_words->draw();
    QByteArray deal;
    shuffleOntoRack(1, frameword, &deal);
    for (int seat = 1; seat <= kSeats; ++seat) {
        TPlayerSlot &player = players[seat];
        player.words = {};
        player.letterset = 1;
        player.letterword = frameword;
    }
    sendToAll(wire::message("CMD_theletters", "0" + deal));
    findplayer();
}

void TServer::findplayer()
{
    for (int seat = 1; seat <= kSeats; ++seat) {
        const TPlayerSlot &player = players[seat];
        players[seat].balls = player.connected && !player.watching ? 0 : 4;
    }
    for (int slot = 1; slot <= slotcount; ++slot) {
        const int turn = isSeat(slot) ? slot : 1;
        sendTo(slot, wire::message("CMD_nextplayer", wire::fields(turn, currentframe) + '+'));
    }
    // A time per turn near the integer limit must not wrap the clock.
    const int grace = 4;
    startTimer1(TimerMode::Frame,
                timeperturn > std::numeric_limits<int>::max() - grace ? std::numeric_limits<int>::max()
                                                                       : timeperturn + grace);
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
    sendToAll(wire::message("CMD_timeisup"));
    postheirscores();
}

void TServer::sendword(const QByteArray &payload, quint64 connection)
{
    FieldReader fields(payload);
    const int seat = fields.takeInt();
    if (seat != slotOfConnection(connection) || !m_judge.canPlay(seat))
        return;
    // Every position is read before any tile is touched, so a bad field
    // leaves the rack as it was.
    QVarLengthArray<int, 10> positions;
    if (!fields.rest().isEmpty()) {
        fields.appendEndMarker("+@");
        while (fields.hasListItem())
            positions.append(fields.takeInt());
    }
    const WordJudge::Verdict verdict = m_judge.judge(seat, positions);
    switch (verdict.outcome) {
    case WordJudge::Outcome::Ignored:
        return;
    case WordJudge::Outcome::Refused:
        sendTo(seat, wire::message("CMD_worderror", number(seat) + '+'));
        return;
    case WordJudge::Outcome::Accepted:
        break;
    }
    sendTo(seat, wire::message("CMD_goodword", wire::fields(seat, currentframe, players[seat].total, verdict.balls,
                                                            verdict.letters)
                                                   + '+'));
    if (verdict.sendRack)
        sendRack(seat, verdict.sendRack);
    if (verdict.frameOver) {
        timer1.stop();
        postheirscores();
    }
}

void TServer::sendRack(int seat, int rack)
{
    QByteArray text = number(seat);
    const Rack &tiles = players[seat].tiles[rack];
    for (int position = 1; position <= 10; ++position) {
        text += '+' + number(position) + '+';
        if (tiles[position])
            text += tiles[position];
    }
    sendTo(seat, wire::message("CMD_theletters", text));
}

void TServer::postheirscores()
{
    if (!frameInPlay())
        return;
    const QByteArray scores = m_scorer.scoreAll();
    QByteArray framewords = '+' + frameword;
    if (currentframe == kFrames)
        framewords += '+' + bonusword2 + '+' + bonusword3;
    for (int slot = 1; slot <= slotcount; ++slot) {
        const QByteArray &ownword = isSeat(slot) ? players[slot].letterword : frameword;
        sendTo(slot, wire::message("CMD_postscores", number(currentframe) + '+' + ownword + framewords + scores));
    }
    emit frameEnded(currentframe);
    startTimer1(TimerMode::Pause, pauseSeconds());
}

void TServer::checkforwin()
{
    const QByteArray winners = m_scorer.winners();
    sendToAll(wire::message("CMD_winner", winners + '+'));
    gamestarted = false;
    emit winnerAnnounced(winners);
}
