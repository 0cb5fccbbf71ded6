#include "robots/robot.h"

#include "base/numbers.h"
#include "base/overloaded.h"
#include "base/version.h"
#include "net/connection.h"
#include "net/framing.h"
#include "net/tsock.h"

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
      m_queue(new Dispatcher(this)),
      m_brain(strength, WordIndex::shared(), QRandomGenerator::global()->generate()),
      m_random(QRandomGenerator::global()->generate())
{
    m_clock.start();
    m_thinking.setSingleShot(true);
    connect(&m_thinking, &QTimer::timeout, this, &Robot::playWord);
    m_chatterDelay.setSingleShot(true);
    connect(&m_chatterDelay, &QTimer::timeout, this, &Robot::chatter);

    m_queue->setHandler([this](const QByteArray &line, quint64) { received(line); });
    m_queue->setEndHandler([this](quint64) { ended(); });
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

void Robot::connectTo(const QString &host, quint16 port, const QByteArray &greeting)
{
    if (m_connection)
        return;
    m_connection = std::make_unique<Connection>(m_queue);
    if (!greeting.isEmpty()) {
        connect(m_connection.get(), &Connection::connected, this, [this, greeting] {
            try {
                m_connection->send(greeting);
            } catch (const ESockException &) {
                // its end follows
            }
        });
    }
    connect(m_connection.get(), &Connection::connectFailed, this, [this](const QString &reason) {
        m_failed = true;
        emit connectFailed(reason);
        ended();
    });
    m_connection->open(host, QString::number(port));
}

void Robot::leave()
{
    if (m_connection)
        m_connection->close();
}

QByteArray Robot::nameOf(int slot) const
{
    return game::isSlot(slot) ? m_names[slot] : QByteArray();
}

bool Robot::isBusy() const
{
    return m_thinking.isActive() || m_awaitingVerdict || m_queue->pending() > 0;
}

void Robot::sendBytes(const QByteArray &bytes)
{
    if (!m_connection || !m_connection->isConnected())
        return;
    try {
        m_connection->send(bytes);
    } catch (const ESockException &) {
        // Its end is on the way and reported through the queue.
    }
}

void Robot::received(const QByteArray &line)
{
    const std::optional<msg::ToClient> message = msg::readToClient(line);
    if (!message)
        return;
    std::visit(Overloaded{
                   [this](const msg::SendLoginInfo &m) { sendloginfo(m); },
                   [this](const msg::Chat &m) { chatFromOthers(m.slot); },
                   [this](const msg::Action &m) { chatFromOthers(m.slot); },
                   [this](const msg::NewPlayerInfo &m) { playerinfo(m.slot, m.name); },
                   [this](const msg::ExistingPlayers &m) { playerinfo(m.slot, m.name); },
                   [this](const msg::PlayerDisconnected &m) { playerdisconnected(m); },
                   [this](const msg::StartGame &m) { startthegame(m); },
                   [this](const msg::NextPlayer &m) { getnextplayer(m); },
                   [this](const msg::Winner &m) { winner(m); },
                   [this](const msg::Full &) { full(); },
                   [this](const msg::JustWatching &m) { justwatching(m); },
                   [this](const msg::PostScores &m) { postscores(m); },
                   [this](const msg::TheLetters &m) { theletters(m); },
                   [this](const msg::WordError &m) { worderror(m); },
                   [this](const msg::GoodWord &m) { goodword(m); },
                   [this](const msg::TimeIsUp &) { timeisup(); },
                   [this](const msg::LoadStats &m) { loadstats(m); },
                   [](const auto &) {},
               },
               *message);
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

void Robot::sendloginfo(const msg::SendLoginInfo &message)
{
    if (m_slot)
        return;
    m_slot = message.slot;
    send(msg::LoginInfo{m_slot, kVersionText, m_name.toLatin1()});
}

void Robot::playerinfo(int slot, const QByteArray &name)
{
    m_names[slot] = name;
    if (slot == m_slot && !m_loggedIn) {
        m_loggedIn = true;
        if (m_introduce)
            send(msg::Action{m_slot, computerIntroduction(strength()).toLatin1() + "|clBlack"});
        emit loggedIn(slot);
    }
}

void Robot::playerdisconnected(const msg::PlayerDisconnected &message)
{
    m_names[message.slot].clear();
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

void Robot::justwatching(const msg::JustWatching &message)
{
    if (message.seat == m_slot)
        m_watching = message.watching;   // from the next deal
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

void Robot::worderror(const msg::WordError &message)
{
    if (message.seat != m_slot || !m_awaitingVerdict)
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

void Robot::winner(const msg::Winner &message)
{
    stopPlaying();
    emit gameOver(message.seats);
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
