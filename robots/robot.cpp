#include "robots/robot.h"

#include "base/numbers.h"
#include "base/version.h"
#include "net/connection.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "net/wire.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kHighestSeat = 4;
constexpr int kHighestSlot = 9;
constexpr int kRackTiles = 10;
// A word the host refuses is not this robot's to argue about: after a few
// it waits for the next frame.
constexpr int kMaxRefusals = 3;
// The seconds per turn when a number field is not one, as the host does.
constexpr int kFallbackSecondsPerTurn = 90;
// What it may say after a strike: a phrase as an action, or a chatter sound
// ("Yeehaa", "Yippee", "Cheer").
constexpr double kChatterChance = 0.3;
const char *const kPhrases[] = {"says: Strike!", "says: Down they go!", "says: Got that one."};
constexpr int kStrikeSounds[] = {10, 11, 17};
constexpr int kChatterDelayMinMs = 1000;
constexpr int kChatterDelayMaxMs = 3000;

QList<QByteArray> fieldsOf(const QByteArray &payload)
{
    return payload.split('+');
}

int numberOr(const QByteArray &text, int fallback)
{
    int value = 0;
    return tryStrToInt(text, &value) ? value : fallback;
}

// The time to keep free before the turn clock runs out: a quarter of the
// turn, from 2 to 5 seconds.
qint64 marginMs(int secondsPerTurn)
{
    return std::clamp<qint64>(qint64(secondsPerTurn) * 250, 2000, 5000);
}

// Ten (position, letter) pairs, in any order; nullopt unless every pair is a
// position 1 to 10 and a letter a..z (an empty letter is a used tile).
std::optional<letterwords::Rack> rackOf(const QList<QByteArray> &fields, qsizetype from)
{
    if (fields.size() < from + 2 * kRackTiles)
        return std::nullopt;
    letterwords::Rack rack{};
    for (int pair = 0; pair < kRackTiles; ++pair) {
        const int position = numberOr(fields[from + 2 * pair], 0);
        const QByteArray &letter = fields[from + 2 * pair + 1];
        if (position < 1 || position > kRackTiles || letter.size() > 1)
            return std::nullopt;
        if (letter.isEmpty())
            continue;
        if (letter[0] < 'a' || letter[0] > 'z')
            return std::nullopt;
        rack[position] = letter[0];
    }
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

    const auto command = [this](const char *name, auto handler) {
        m_queue->addCommand(name, [this, handler](const QByteArray &payload, quint64) { (this->*handler)(payload); });
    };
    command("CMD_sendlogininfo", &Robot::sendloginfo);
    command("CMD_chat", &Robot::chatFromOthers);
    command("CMD_action", &Robot::chatFromOthers);
    command("CMD_newplayerinfo", &Robot::playerinfo);
    command("CMD_existingplayers", &Robot::playerinfo);
    command("CMD_playerdisconnected", &Robot::playerdisconnected);
    command("CMD_startgame", &Robot::startthegame);
    command("CMD_nextplayer", &Robot::getnextplayer);
    command("CMD_winner", &Robot::winner);
    m_queue->addCommand("CMD_full", [this](const QByteArray &, quint64) { full(); });
    command("CMD_justwatching", &Robot::justwatching);
    command("CMD_postscores", &Robot::postscores);
    command("CMD_theletters", &Robot::theletters);
    command("CMD_worderror", &Robot::worderror);
    command("CMD_goodword", &Robot::goodword);
    m_queue->addCommand("CMD_timeisup", [this](const QByteArray &, quint64) { timeisup(); });
    command("CMD_loadstats", &Robot::loadstats);
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

void Robot::connectTo(const QString &host, quint16 port)
{
    if (m_connection)
        return;
    m_connection = std::make_unique<Connection>(m_queue);
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
    return slot >= 1 && slot <= kHighestSlot ? m_names[slot] : QByteArray();
}

bool Robot::isBusy() const
{
    return m_thinking.isActive() || m_awaitingVerdict || m_queue->pending() > 0;
}

void Robot::send(const QByteArray &command, const QByteArray &payload)
{
    if (!m_connection || !m_connection->isConnected())
        return;
    try {
        m_connection->send(wire::message(command, payload));
    } catch (const ESockException &) {
        // Its end is on the way and reported through the queue.
    }
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

void Robot::sendloginfo(const QByteArray &payload)
{
    const int slot = numberOr(payload, 0);
    if (slot < 1 || slot > kHighestSlot || m_slot)
        return;
    m_slot = slot;
    send("CMD_logininfo", QByteArray::number(slot) + '+' + kVersionText + '+' + m_name.toLatin1());
}

void Robot::playerinfo(const QByteArray &payload)
{
    const qsizetype plus = payload.indexOf('+');
    const int slot = numberOr(payload.left(plus), 0);
    if (plus < 0 || slot < 1 || slot > kHighestSlot)
        return;
    m_names[slot] = payload.mid(plus + 1);
    if (slot == m_slot && !m_loggedIn) {
        m_loggedIn = true;
        emit loggedIn(slot);
    }
}

void Robot::playerdisconnected(const QByteArray &payload)
{
    const int slot = numberOr(fieldsOf(payload).value(0), 0);
    if (slot >= 1 && slot <= kHighestSlot)
        m_names[slot].clear();
}

void Robot::chatFromOthers(const QByteArray &payload)
{
    // The host's own notices come as slot 0; only people make a burst.
    const int slot = numberOr(fieldsOf(payload).value(0), 0);
    if (slot >= 1 && slot <= kHighestSlot && slot != m_slot)
        m_chatter.otherPlayerSpoke(now());
}

void Robot::full()
{
    m_failed = true;
    emit connectFailed(QStringLiteral("the game is full"));
}

// ---- The game ----

void Robot::startthegame(const QByteArray &payload)
{
    const QList<QByteArray> fields = fieldsOf(payload);
    m_secondsPerTurn = numberOr(fields.value(1), kFallbackSecondsPerTurn);
    m_watching = false;   // a new game deals everybody in again
    m_frame = 0;
    m_deal.reset();
    m_chatter.newGame();
    stopPlaying();
    emit gameStarted(fields.value(0), m_secondsPerTurn);
}

void Robot::loadstats(const QByteArray &payload)
{
    const QList<QByteArray> fields = fieldsOf(payload);
    if (numberOr(fields.value(0), 0) != m_slot)
        return;
    // Joined a running game: in play from the next deal.
    m_secondsPerTurn = numberOr(fields.value(1), kFallbackSecondsPerTurn);
    m_chatter.newGame();
}

void Robot::justwatching(const QByteArray &payload)
{
    const QList<QByteArray> fields = fieldsOf(payload);
    if (numberOr(fields.value(0), 0) == m_slot)
        m_watching = numberOr(fields.value(1), 0) == 1;   // from the next deal
}

void Robot::theletters(const QByteArray &payload)
{
    const QList<QByteArray> fields = fieldsOf(payload);
    const int to = numberOr(fields.value(0), -1);
    const std::optional<Rack> rack = rackOf(fields, 1);
    if (to == 0) {
        // A new frame's deal: whatever was going on is over.
        stopPlaying();
        m_deal = rack;
        return;
    }
    if (to != m_slot || !m_inPlay || !rack)
        return;
    // A bonus rack of the tenth frame: after a strike it takes two words,
    // after a second strike or a spare one.
    m_brain.newRack(*rack, m_balls >= 2 ? 1 : 2);
    m_awaitingVerdict = false;
    thinkOfNextWord();
}

void Robot::getnextplayer(const QByteArray &payload)
{
    const QList<QByteArray> fields = fieldsOf(payload);
    const int turn = numberOr(fields.value(0), 0);
    const int frame = numberOr(fields.value(1), 0);
    stopPlaying();
    if (frame < 1 || frame > 10)
        return;
    m_frame = frame;
    if (turn != m_slot || !isSeated() || m_watching || !m_deal)
        return;
    m_inPlay = true;
    m_balls = 0;
    m_refusals = 0;
    const qint64 turnMs = qint64(std::max(m_secondsPerTurn, 0)) * 1000;
    m_deadline = now() + turnMs - marginMs(m_secondsPerTurn);
    m_brain.newRack(*m_deal, 2);
    thinkOfNextWord();
}

void Robot::goodword(const QByteArray &payload)
{
    const QList<QByteArray> fields = fieldsOf(payload);
    if (numberOr(fields.value(0), 0) != m_slot || !m_awaitingVerdict || !m_move)
        return;
    const int ball = numberOr(fields.value(3), 0);
    const int letters = numberOr(fields.value(4), 0);
    m_awaitingVerdict = false;
    m_balls = std::clamp(ball, 0, 3);
    const QByteArray word = m_move->word;
    m_move.reset();
    m_brain.accepted();
    emit wordPlayed(m_frame, word, m_balls);
    if (letters == kRackTiles)
        maybeChatter();
    // Another word from what is left of this rack, if it takes one; a bonus
    // rack arrives by itself.
    thinkOfNextWord();
}

void Robot::worderror(const QByteArray &payload)
{
    if (numberOr(fieldsOf(payload).value(0), 0) != m_slot || !m_awaitingVerdict)
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

void Robot::postscores(const QByteArray &payload)
{
    if (!isSeated())
        return;
    // frame + ownword + frameword [+ bonus words], then per seat
    // starfield (seat*total*first*second*third*word1*word2*word3) + hashfield.
    const QList<QByteArray> fields = fieldsOf(payload);
    const int frame = numberOr(fields.value(0), 0);
    if (frame < 1 || frame > 10)
        return;
    const QByteArray own = QByteArray::number(m_slot) + '*';
    for (const QByteArray &field : fields) {
        if (!field.startsWith(own))
            continue;
        const QList<QByteArray> star = field.split('*');
        if (star.size() != 8)
            return;
        QByteArrayList words;
        for (qsizetype i = 5; i < 8; ++i) {
            if (!star[i].isEmpty())
                words << star[i];
        }
        emit frameScored(frame, numberOr(star[1], 0), words);
        return;
    }
}

void Robot::winner(const QByteArray &payload)
{
    stopPlaying();
    QList<int> winners;
    for (const QByteArray &field : fieldsOf(payload)) {
        const int seat = numberOr(field, 0);
        if (seat >= 1 && seat <= kHighestSeat && !winners.contains(seat))
            winners << seat;
    }
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
    QByteArray payload = QByteArray::number(m_slot);
    for (const int tile : std::as_const(m_move->positions))
        payload += '+' + QByteArray::number(tile);
    m_awaitingVerdict = true;
    send("CMD_sendword", payload);
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
    const QByteArray slot = QByteArray::number(m_slot);
    if (m_random.bounded(2) == 0) {
        const char *phrase = kPhrases[m_random.bounded(int(std::size(kPhrases)))];
        send("CMD_action", slot + '+' + phrase + "|clBlack");
    } else {
        const int sound = kStrikeSounds[m_random.bounded(int(std::size(kStrikeSounds)))];
        send("CMD_playasound", slot + "+wave" + QByteArray::number(sound) + '+');
    }
}
