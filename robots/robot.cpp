#include "robots/robot.h"

#include "base/numbers.h"
#include "base/version.h"
#include "client/gameevents.h"
#include "client/gamelink.h"
#include "net/connection.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "protocol/introduction.h"

#include <algorithm>
#include <limits>

namespace {

// A word the host refuses is not this robot's to argue about: after a few
// it waits for the next frame.
constexpr int kMaxRefusals = 3;
// What it may say after a strike: a phrase as an action, or a chatter sound
// ("Yeehaa", "Yippee", "Cheer").
constexpr double kChatterChance = 0.3;
const char *const kPhrases[] = {"says: Strike!", "says: Down they go!", "says: Got that one."};
constexpr int kStrikeSounds[] = {10, 11, 17};
constexpr int kChatterDelayMinMs = 1000;
constexpr int kChatterDelayMaxMs = 3000;


// The time to keep free before the turn clock runs out: a quarter of the
// turn, from 2 to 5 seconds.
qint64 marginMs(int secondsPerTurn)
{
    return std::clamp<qint64>(qint64(secondsPerTurn) * 250, 2000, 5000);
}

// A whole rack: all ten positions, each a letter or a used tile.
std::optional<letterwords::Rack> rackOf(const msg::TheLetters &deal)
{
    if (deal.tiles.size() != game::kTiles)
        return std::nullopt;
    letterwords::Rack rack{};
    for (const msg::TheLetters::Tile &tile : deal.tiles)
        rack[tile.position] = tile.letter;
    return rack;
}

} // namespace

Robot::Robot(Strength strength, QString name, QObject *parent)
    : QObject(parent),
      m_name(std::move(name)),
      m_link(new GameLink(this)),
      m_brain(strength, WordIndex::shared(), QRandomGenerator::global()->generate()),
      m_random(QRandomGenerator::global()->generate())
{
    m_clock.start();
    m_thinking.setSingleShot(true);
    connect(&m_thinking, &QTimer::timeout, this, &Robot::playWord);
    m_chatterDelay.setSingleShot(true);
    connect(&m_chatterDelay, &QTimer::timeout, this, &Robot::chatter);

    follow();
}

Robot::~Robot()
{
    m_hasLeft = true;   // no signal from a robot being destroyed
}

void Robot::setSeed(quint32 seed)
{
    m_brain.reseed(seed);
    m_random.seed(seed ^ 0x9e3779b9u);
}

void Robot::connectTo(const QString &host, quint16 port, const QString &relayCode)
{
    if (std::exchange(m_connecting, true))
        return;
    m_link->open(host, port, relayCode);
}

void Robot::leave()
{
    if (m_connecting)
        m_link->connection()->close();
}

QByteArray Robot::nameOf(int slot) const
{
    return game::isSlot(slot) ? m_names[slot] : QByteArray();
}

bool Robot::isBusy() const
{
    return m_thinking.isActive() || m_awaitingVerdict || m_link->queue()->pending() > 0;
}

void Robot::sendBytes(const QByteArray &bytes)
{
    if (!m_link->connection()->isConnected())
        return;
    try {
        m_link->send(bytes);
    } catch (const ESockException &) {
        // Its end is on the way and reported through the queue.
    }
}

// The robot follows the host's events as a person's window does; what it
// does not connect to (other versions, chatter sounds) it has no use for.
void Robot::follow()
{
    connect(m_link, &GameLink::connectFailed, this, [this](const QString &reason) {
        m_failed = true;
        emit connectFailed(reason);
        ended();
    });
    connect(m_link, &GameLink::relayRefused, this, [this](const QString &reason) {
        m_failed = true;
        emit connectFailed(QStringLiteral("the game directory did not relay this game: %1").arg(reason));
    });
    connect(m_link, &GameLink::ended, this, &Robot::ended);
    const GameEvents *events = m_link->events();
    connect(events, &GameEvents::slotOffered, this, &Robot::sendloginfo);
    connect(events, &GameEvents::full, this, &Robot::full);
    connect(events, &GameEvents::seated, this, &Robot::playerinfo);
    connect(events, &GameEvents::left, this, &Robot::playerdisconnected);
    connect(events, &GameEvents::watching, this, &Robot::justwatching);
    connect(events, &GameEvents::chatLine, this, &Robot::chatFromOthers);
    connect(events, &GameEvents::gameStarted, this, &Robot::startthegame);
    connect(events, &GameEvents::gameJoined, this, &Robot::loadstats);
    connect(events, &GameEvents::rackDealt, this, &Robot::theletters);
    connect(events, &GameEvents::turnBegan, this, &Robot::getnextplayer);
    connect(events, &GameEvents::wordAccepted, this, &Robot::goodword);
    connect(events, &GameEvents::wordRefused, this, &Robot::worderror);
    connect(events, &GameEvents::timeUp, this, &Robot::timeisup);
    connect(events, &GameEvents::frameScored, this, &Robot::postscores);
    connect(events, &GameEvents::gameWon, this, &Robot::winner);
}

void Robot::ended()
{
    stopPlaying();
    m_chatterDelay.stop();
    if (std::exchange(m_hasLeft, true))
        return;
    emit left();
}

// ---- Login and roster ----

void Robot::sendloginfo(int slot)
{
    if (m_slot)
        return;
    m_slot = slot;
    send(msg::LoginInfo{m_slot, kVersionText, m_name.toLatin1()});
}

void Robot::playerinfo(int slot, const QByteArray &name)
{
    m_names[slot] = name;
    if (slot == m_slot && !m_loggedIn) {
        m_loggedIn = true;
        if (m_introduce)
            send(msg::computerIntroduction(m_slot, strength()));
        emit loggedIn(slot);
    }
}

void Robot::playerdisconnected(int slot)
{
    m_names[slot].clear();
}

void Robot::chatFromOthers(int slot)
{
    // The host's own notices come as slot 0; only people make a burst.
    if (slot != 0 && slot != m_slot)
        m_chatter.otherPlayerSpoke(now());
}

void Robot::full()
{
    m_failed = true;
    emit connectFailed(QStringLiteral("the game is full"));
}

// ---- The game ----

void Robot::startthegame(const msg::StartGame &message)
{
    m_secondsPerTurn = message.seconds;
    m_watching = false;   // a new game deals everybody in again
    m_frame = 0;
    m_deal.reset();
    m_chatter.newGame();
    stopPlaying();
    emit gameStarted(message.name, m_secondsPerTurn);
}

void Robot::loadstats(const msg::LoadStats &message)
{
    if (message.slot != m_slot)
        return;
    // Joined a running game: in play from the next deal.
    m_secondsPerTurn = message.seconds;
    m_chatter.newGame();
}

void Robot::justwatching(int seat, bool watching)
{
    if (seat == m_slot)
        m_watching = watching;   // from the next deal
}

void Robot::theletters(const msg::TheLetters &message)
{
    const std::optional<Rack> rack = rackOf(message);
    if (message.seat == 0) {
        // A new frame's deal: whatever was going on is over.
        stopPlaying();
        m_deal = rack;
        return;
    }
    if (message.seat != m_slot || !m_inPlay || !rack)
        return;
    // A bonus rack of the tenth frame: after a strike it takes two words,
    // after a second strike or a spare one.
    m_brain.newRack(*rack, m_balls >= 2 ? 1 : 2);
    m_awaitingVerdict = false;
    thinkOfNextWord();
}

void Robot::getnextplayer(const msg::NextPlayer &message)
{
    stopPlaying();
    m_frame = message.frame;
    if (message.seat != m_slot || !isSeated() || m_watching || !m_deal)
        return;
    m_inPlay = true;
    m_balls = 0;
    m_refusals = 0;
    const qint64 turnMs = qint64(std::max(m_secondsPerTurn, 0)) * 1000;
    m_deadline = now() + turnMs - marginMs(m_secondsPerTurn);
    m_brain.newRack(*m_deal, 2);
    thinkOfNextWord();
}

void Robot::goodword(const msg::GoodWord &message)
{
    if (message.seat != m_slot || !m_awaitingVerdict || !m_move)
        return;
    m_awaitingVerdict = false;
    m_balls = message.ball;
    const QByteArray word = m_move->word;
    m_move.reset();
    m_brain.accepted();
    emit wordPlayed(m_frame, word, m_balls);
    if (message.letters == game::kTiles)
        maybeChatter();
    // Another word from what is left of this rack, if it takes one; a bonus
    // rack arrives by itself.
    thinkOfNextWord();
}

void Robot::worderror(int seat)
{
    if (seat != m_slot || !m_awaitingVerdict)
        return;
    m_awaitingVerdict = false;
    const QByteArray word = m_move ? m_move->word : QByteArray();
    m_move.reset();
    m_brain.refused();
    emit wordRefused(m_frame, word);
    if (++m_refusals < kMaxRefusals)
        thinkOfNextWord();
}

void Robot::timeisup()
{
    stopPlaying();
}

void Robot::postscores(const msg::PostScores &message)
{
    const msg::SeatScore *own = isSeated() ? message.seat(m_slot) : nullptr;
    if (!own)
        return;
    QByteArrayList words;
    for (const QByteArray &word : own->words) {
        if (!word.isEmpty())
            words << word;
    }
    emit frameScored(message.frame, own->total, words);
}

void Robot::winner(const QList<int> &winners)
{
    stopPlaying();
    emit gameOver(winners);
}

// ---- Playing ----

void Robot::stopPlaying()
{
    m_inPlay = false;
    m_awaitingVerdict = false;
    m_move.reset();
    m_thinking.stop();
}

void Robot::thinkOfNextWord()
{
    if (!m_inPlay || m_awaitingVerdict || m_thinking.isActive())
        return;
    const qint64 left = m_instant ? std::numeric_limits<int>::max() : m_deadline - now();
    m_move = m_brain.think(left);
    if (!m_move)
        return;   // nothing more this frame, unless a bonus rack comes
    m_thinking.start(m_instant ? 0 : m_move->thinkMs);
}

void Robot::playWord()
{
    if (!m_inPlay || !m_move)
        return;
    m_awaitingVerdict = true;
    send(msg::SendWord{m_slot, m_move->positions});
}

void Robot::maybeChatter()
{
    if (!isSeated() || !m_chatter.mayChatter(m_frame, now()) || m_random.generateDouble() >= kChatterChance)
        return;
    m_chatter.chattered(m_frame);   // this frame's one chance, said or not
    m_chatterDelay.start(m_instant ? 0 : m_random.bounded(kChatterDelayMinMs, kChatterDelayMaxMs + 1));
}

void Robot::chatter()
{
    // Somebody may have started typing meanwhile.
    if (!m_chatter.othersQuiet(now()))
        return;
    if (m_random.bounded(2) == 0) {
        const char *phrase = kPhrases[m_random.bounded(int(std::size(kPhrases)))];
        send(msg::Action{m_slot, QByteArray(phrase) + "|clBlack"});
    } else {
        send(msg::PlayASound{m_slot, kStrikeSounds[m_random.bounded(int(std::size(kStrikeSounds)))]});
    }
}
