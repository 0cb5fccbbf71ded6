#include "protocol/messages.h"

#include "base/numbers.h"
#include "protocol/fields.h"

#include <utility>

Q_LOGGING_CATEGORY(lcMessages, "pinlex.protocol.messages")

namespace msg {

namespace {

using fields::Parser;
using fields::Reader;
using fields::as;
using fields::empty;
using fields::read;
using fields::Writer;
using fields::split;
using game::isFrame;
using game::isSeat;
using game::isSlot;
using game::isTile;

QByteArray wave(int number)
{
    return "wave" + QByteArray::number(number);
}

// A seat's or the frame's word: never more letters than a rack holds.
bool fitsRack(QByteArrayView word)
{
    return word.size() <= game::kTiles;
}

std::optional<QList<int>> seatList(Reader &fields)
{
    QList<int> seats;
    while (!fields.atEnd()) {
        const std::optional<int> seat = fields.takeInt(1, game::kSeats);
        if (!seat)
            return std::nullopt;
        if (!seats.contains(*seat))
            seats << *seat;
    }
    if (seats.isEmpty())
        return std::nullopt;
    return seats;
}

std::optional<SeatScore> readSeatScore(QByteArrayView starfield, QByteArrayView hashfield)
{
    // seat, total, the letters of each word, each word
    const QList<QByteArrayView> star = split(starfield, '*');
    if (star.size() != 2 + 2 * game::kBalls)
        return std::nullopt;
    SeatScore score;
    score.seat = strToInt(star[0]);
    score.total = strToInt(star[1]);
    if (!isSeat(score.seat) || score.total < 0 || score.total > game::kPerfectGame)
        return std::nullopt;
    for (int k = 0; k < game::kBalls; ++k) {
        const int count = strToInt(star[2 + k]);
        const QByteArrayView word = star[2 + game::kBalls + k];
        if (count < -1 || count > game::kTiles || !fitsRack(word))
            return std::nullopt;
        score.counts[k] = count;
        score.words[k] = word.toByteArray();
    }

    const QList<QByteArrayView> hash = split(hashfield, '#');
    if (hash.size() % 2 != 1 || hash.size() > 1 + 2 * game::kFrames || strToInt(hash[0]) != score.seat)
        return std::nullopt;
    score.running.fill(-1);
    for (qsizetype i = 1; i + 1 < hash.size(); i += 2) {
        const int frame = strToInt(hash[i]);
        const int running = strToInt(hash[i + 1]);
        if (!isFrame(frame) || running < -1 || running > game::kPerfectGame)
            return std::nullopt;
        score.running[frame - 1] = running;
    }
    return score;
}

void appendSeatScore(Writer &out, const SeatScore &score)
{
    QByteArray star = QByteArray::number(score.seat) + '*' + QByteArray::number(score.total);
    for (const int count : score.counts)
        star += '*' + QByteArray::number(count);
    for (const QByteArray &word : score.words)
        star += '*' + word;
    QByteArray hash = QByteArray::number(score.seat);
    for (int k = 1; k <= game::kFrames; ++k)
        hash += '#' + QByteArray::number(k) + '#' + QByteArray::number(score.running[k - 1]);
    out.field(star).field(hash);
}

// ---- Parsers, one per message ----

std::optional<Chat> readChat(Reader &f, int lowestSlot)
{
    Chat m;
    const std::optional<int> slot = f.takeInt(lowestSlot, game::kSlots);
    if (!slot)
        return std::nullopt;
    m.slot = *slot;
    m.body = f.rest().toByteArray();
    return m;
}

std::optional<Action> readAction(Reader &f, int lowestSlot)
{
    const std::optional<Chat> chat = readChat(f, lowestSlot);
    if (!chat)
        return std::nullopt;
    return Action{chat->slot, chat->body};
}

std::optional<StartGame> readStartGame(Reader &f)
{
    StartGame m;
    m.name = f.take().toByteArray();
    if (!tryStrToInt(f.take(), &m.seconds))
        m.seconds = game::kFallbackTurnSeconds;
    m.team = f.take().toByteArray();
    return m;
}

std::optional<PlayASound> readPlayASound(Reader &f)
{
    PlayASound m;
    const std::optional<int> slot = f.takeInt(1, game::kSlots);
    const QByteArrayView name = f.take();
    int number = 0;
    // "wave" in any case, then 1 to 20 without a leading zero.
    if (!slot || name.size() < 5 || qstrnicmp(name.data(), "wave", 4) != 0 || name[4] == '0'
        || !tryStrToInt(name.sliced(4), &number) || number < 1 || number > game::kChatterSounds)
        return std::nullopt;
    m.slot = *slot;
    m.wave = number;
    return m;
}

template <typename Named>
std::optional<Named> readSlotAndName(Reader &f)
{
    const std::optional<int> slot = f.takeInt(1, game::kSlots);
    if (!slot)
        return std::nullopt;
    return Named{*slot, f.rest().toByteArray()};
}

std::optional<SendWord> readSendWord(Reader &f)
{
    SendWord m;
    const std::optional<int> seat = f.takeInt(1, game::kSeats);
    if (!seat)
        return std::nullopt;
    m.seat = *seat;
    if (f.rest().isEmpty())
        return m;
    // No trailing '+' here: every field up to the end is a position.
    for (const QByteArrayView field : split(f.rest(), '+')) {
        const int position = strToInt(field);
        if (!isTile(position) || m.positions.size() == game::kTiles)
            return std::nullopt;
        m.positions << position;
    }
    return m;
}

std::optional<TheLetters> readTheLetters(Reader &f)
{
    TheLetters m;
    const std::optional<int> seat = f.takeInt(0, game::kSeats);
    if (!seat)
        return std::nullopt;
    m.seat = *seat;
    while (!f.atEnd()) {
        const int position = f.takeInt();
        if (f.exhausted() || !isTile(position) || m.tiles.size() == game::kTiles)
            return std::nullopt;
        const QByteArrayView letter = f.take();
        if (letter.size() > 1 || (letter.size() == 1 && (letter[0] < 'a' || letter[0] > 'z')))
            return std::nullopt;
        m.tiles << TheLetters::Tile{position, letter.isEmpty() ? '\0' : letter[0]};
    }
    return m;
}

std::optional<PostScores> readPostScores(Reader &f)
{
    PostScores m;
    const std::optional<int> frame = f.takeInt(1, game::kFrames);
    if (!frame)
        return std::nullopt;
    m.frame = *frame;
    m.ownword = f.take().toByteArray();
    m.frameword = f.take().toByteArray();
    if (m.frame == game::kFrames) {
        m.bonusword2 = f.take().toByteArray();
        m.bonusword3 = f.take().toByteArray();
    }
    for (const QByteArray *word : {&m.ownword, &m.frameword, &m.bonusword2, &m.bonusword3}) {
        if (!fitsRack(*word))
            return std::nullopt;
    }
    while (!f.atEnd()) {
        const QByteArrayView starfield = f.take();
        if (f.exhausted() || m.seats.size() == game::kSeats)
            return std::nullopt;
        const std::optional<SeatScore> score = readSeatScore(starfield, f.take());
        if (!score || m.seat(score->seat))
            return std::nullopt;
        m.seats << *score;
    }
    return m;
}

std::optional<GoodWord> readGoodWord(Reader &f)
{
    const std::optional<int> seat = f.takeInt(1, game::kSeats);
    const std::optional<int> frame = seat ? f.takeInt(1, game::kFrames) : std::nullopt;
    const std::optional<int> total = frame ? f.takeInt(0, game::kPerfectGame) : std::nullopt;
    const std::optional<int> ball = total ? f.takeInt(1, game::kBalls) : std::nullopt;
    const std::optional<int> letters = ball ? f.takeInt(0, game::kTiles) : std::nullopt;
    if (!letters)
        return std::nullopt;
    return GoodWord{*seat, *frame, *total, *ball, *letters};
}

std::optional<LoadStats> readLoadStats(Reader &f)
{
    // A score is a few digits, whatever a peer sends.
    constexpr int kMaxScoreText = 11;
    LoadStats m;
    const std::optional<int> slot = f.takeInt(1, game::kSlots);
    if (!slot)
        return std::nullopt;
    m.slot = *slot;
    if (!tryStrToInt(f.take(), &m.seconds))
        m.seconds = game::kFallbackTurnSeconds;
    m.team = f.take().toByteArray();
    m.countdown = f.takeInt();
    if (m.countdown < 0)
        return std::nullopt;
    for (QByteArray &score : m.scores) {
        const QByteArrayView text = f.take();
        score = text.first(std::min<qsizetype>(text.size(), kMaxScoreText)).toByteArray();
    }
    return m;
}

// The seat a one-field message names, in [low, high].
template <typename M>
std::optional<M> readSeat(Reader &f, int low, int high)
{
    const std::optional<int> seat = f.takeInt(low, high);
    if (!seat)
        return std::nullopt;
    return M{*seat};
}

// A seat and a 1 (watch) or 2 (play again).
template <typename M>
std::optional<M> readWatch(Reader &f)
{
    const std::optional<int> seat = f.takeInt(1, game::kSeats);
    const std::optional<int> request = seat ? f.takeInt(1, 2) : std::nullopt;
    if (!request)
        return std::nullopt;
    return M{*seat, *request == 1};
}

std::optional<LoginInfo> readLoginInfo(Reader &f)
{
    const std::optional<int> slot = f.takeInt(1, game::kSlots);
    if (!slot)
        return std::nullopt;
    LoginInfo m;
    m.slot = *slot;
    m.version = f.take().toByteArray();
    m.name = f.rest().toByteArray();
    return m;
}

std::optional<KickHim> readKickHim(Reader &f)
{
    const std::optional<int> requester = f.takeInt(1, game::kSlots);
    const std::optional<int> target = requester ? f.takeInt(1, game::kSlots) : std::nullopt;
    if (!target)
        return std::nullopt;
    return KickHim{*requester, *target};
}

std::optional<Chat> readChatToHost(Reader &f) { return readChat(f, 1); }
std::optional<Action> readActionToHost(Reader &f) { return readAction(f, 1); }
// The host speaks as slot 0.
std::optional<Chat> readChatToClient(Reader &f) { return readChat(f, 0); }
std::optional<Action> readActionToClient(Reader &f) { return readAction(f, 0); }

std::optional<Probe> readProbe(Reader &f)
{
    const QByteArrayView challenge = f.take();
    if (!fields::isToken(challenge))
        return std::nullopt;
    return Probe{challenge.toByteArray()};
}

std::optional<HaveWrongVersion> readHaveWrongVersion(Reader &f) { return HaveWrongVersion{f.rest().toByteArray()}; }

std::optional<NextPlayer> readNextPlayer(Reader &f)
{
    const std::optional<int> seat = f.takeInt(1, game::kSeats);
    const std::optional<int> frame = seat ? f.takeInt(1, game::kFrames) : std::nullopt;
    if (!frame)
        return std::nullopt;
    return NextPlayer{*seat, *frame};
}

std::optional<Winner> readWinner(Reader &f)
{
    std::optional<QList<int>> seats = seatList(f);
    if (!seats)
        return std::nullopt;
    return Winner{std::move(*seats)};
}

std::optional<SendLoginInfo> readSendLoginInfo(Reader &f) { return readSeat<SendLoginInfo>(f, 1, game::kSlots); }
std::optional<WordError> readWordError(Reader &f) { return readSeat<WordError>(f, 1, game::kSeats); }
std::optional<JustWatch> readJustWatch(Reader &f) { return readWatch<JustWatch>(f); }
std::optional<JustWatching> readJustWatching(Reader &f) { return readWatch<JustWatching>(f); }

} // namespace

// ---- Bodies of chat lines ----

namespace {
QByteArray beforeBar(const QByteArray &body)
{
    const qsizetype bar = body.indexOf('|');
    return bar < 0 ? body : body.left(bar);
}
QByteArray afterBar(const QByteArray &body)
{
    const qsizetype bar = body.indexOf('|');
    return bar < 0 ? QByteArray() : body.mid(bar + 1);
}
} // namespace

QByteArray Chat::text() const { return beforeBar(body); }
QByteArray Chat::colour() const { return afterBar(body); }
QByteArray Action::text() const { return beforeBar(body); }
QByteArray Action::colour() const { return afterBar(body); }

QByteArray TheLetters::word() const
{
    QByteArray text;
    for (const Tile &tile : tiles) {
        if (tile.letter)
            text += tile.letter;
    }
    return text;
}

const SeatScore *PostScores::seat(int seat) const
{
    for (const SeatScore &score : seats) {
        if (score.seat == seat)
            return &score;
    }
    return nullptr;
}

// ---- Encoders ----

QByteArray encode(const LoginInfo &m) { return Writer("CMD_logininfo").field(m.slot).field(m.version).field(m.name).done(); }
QByteArray encode(const KickHim &m) { return Writer("CMD_kickhim").field(m.requester).field(m.target).trailingPlus().done(); }
QByteArray encode(const JustWatch &m) { return Writer("CMD_justwatch").field(m.seat).field(m.watch ? 1 : 2).done(); }

QByteArray encode(const SendWord &m)
{
    Writer out("CMD_sendword");
    out.field(m.seat);
    for (const int position : m.positions)
        out.field(position);
    return out.done();
}

QByteArray encode(const Chat &m) { return Writer("CMD_chat").field(m.slot).field(m.body).done(); }
QByteArray encode(const Action &m) { return Writer("CMD_action").field(m.slot).field(m.body).done(); }

QByteArray encode(const StartGame &m)
{
    return Writer("CMD_startgame").field(m.name).field(m.seconds).field(m.team).trailingPlus().done();
}

QByteArray encode(const PlayASound &m)
{
    return Writer("CMD_playasound").field(m.slot).field(wave(m.wave)).trailingPlus().done();
}

QByteArray encode(const Probe &m) { return Writer("CMD_probe").field(m.challenge).done(); }

QByteArray encode(const SendLoginInfo &m) { return Writer("CMD_sendlogininfo").field(m.slot).done(); }
QByteArray encode(const NewPlayerInfo &m) { return Writer("CMD_newplayerinfo").field(m.slot).field(m.name).done(); }
QByteArray encode(const ExistingPlayers &m) { return Writer("CMD_existingplayers").field(m.slot).field(m.name).done(); }

QByteArray encode(const PlayerDisconnected &m)
{
    return Writer("CMD_playerdisconnected").field(m.slot).field(m.name).done();
}

QByteArray encode(const HaveWrongVersion &m) { return Writer("CMD_havewrongversion").field(m.name).done(); }
QByteArray encode(const WrongVersion &) { return Writer("CMD_wrongversion").done(); }
QByteArray encode(const Full &) { return Writer("CMD_full").done(); }
QByteArray encode(const TimeIsUp &) { return Writer("CMD_timeisup").done(); }

QByteArray encode(const JustWatching &m)
{
    return Writer("CMD_justwatching").field(m.seat).field(m.watching ? 1 : 2).done();
}

QByteArray encode(const NextPlayer &m) { return Writer("CMD_nextplayer").field(m.seat).field(m.frame).trailingPlus().done(); }

QByteArray encode(const Winner &m)
{
    Writer out("CMD_winner");
    for (const int seat : m.seats)
        out.field(seat);
    return out.trailingPlus().done();
}

QByteArray encode(const TheLetters &m)
{
    Writer out("CMD_theletters");
    out.field(m.seat);
    for (const TheLetters::Tile &tile : m.tiles)
        out.field(tile.position).field(tile.letter ? QByteArrayView(&tile.letter, 1) : QByteArrayView());
    return out.done();
}

QByteArray encode(const WordError &m) { return Writer("CMD_worderror").field(m.seat).trailingPlus().done(); }

QByteArray encode(const GoodWord &m)
{
    return Writer("CMD_goodword")
        .field(m.seat)
        .field(m.frame)
        .field(m.total)
        .field(m.ball)
        .field(m.letters)
        .trailingPlus()
        .done();
}

QByteArray encode(const PostScores &m)
{
    Writer out("CMD_postscores");
    out.field(m.frame).field(m.ownword).field(m.frameword);
    if (m.frame == game::kFrames)
        out.field(m.bonusword2).field(m.bonusword3);
    for (const SeatScore &score : m.seats)
        appendSeatScore(out, score);
    return out.done();
}

QByteArray encode(const LoadStats &m)
{
    Writer out("CMD_loadstats");
    out.field(m.slot).field(m.seconds).field(m.team).field(m.countdown);
    for (const QByteArray &score : m.scores)
        out.field(score);
    return out.trailingPlus().done();
}

// ---- Parsers ----

std::optional<ToHost> readToHost(QByteArrayView line)
{
    using V = ToHost;
    static const std::vector<std::pair<QByteArrayView, Parser<V>>> table = {
        {"CMD_logininfo", as<V>(&readLoginInfo)},
        {"CMD_kickhim", as<V>(&readKickHim)},
        {"CMD_chat", as<V>(&readChatToHost)},
        {"CMD_action", as<V>(&readActionToHost)},
        {"CMD_startgame", as<V>(&readStartGame)},
        {"CMD_justwatch", as<V>(&readJustWatch)},
        {"CMD_sendword", as<V>(&readSendWord)},
        {"CMD_playasound", as<V>(&readPlayASound)},
        {"CMD_probe", as<V>(&readProbe)},
    };
    return read(line, table);
}

std::optional<ToClient> readToClient(QByteArrayView line)
{
    using V = ToClient;
    static const std::vector<std::pair<QByteArrayView, Parser<V>>> table = {
        {"CMD_sendlogininfo", as<V>(&readSendLoginInfo)},
        {"CMD_chat", as<V>(&readChatToClient)},
        {"CMD_action", as<V>(&readActionToClient)},
        {"CMD_newplayerinfo", as<V>(&readSlotAndName<NewPlayerInfo>)},
        {"CMD_havewrongversion", as<V>(&readHaveWrongVersion)},
        {"CMD_wrongversion", empty<V, WrongVersion>()},
        {"CMD_existingplayers", as<V>(&readSlotAndName<ExistingPlayers>)},
        {"CMD_playerdisconnected", as<V>(&readSlotAndName<PlayerDisconnected>)},
        {"CMD_startgame", as<V>(&readStartGame)},
        {"CMD_nextplayer", as<V>(&readNextPlayer)},
        {"CMD_winner", as<V>(&readWinner)},
        {"CMD_full", empty<V, Full>()},
        {"CMD_justwatching", as<V>(&readJustWatching)},
        {"CMD_postscores", as<V>(&readPostScores)},
        {"CMD_theletters", as<V>(&readTheLetters)},
        {"CMD_worderror", as<V>(&readWordError)},
        {"CMD_goodword", as<V>(&readGoodWord)},
        {"CMD_timeisup", empty<V, TimeIsUp>()},
        {"CMD_loadstats", as<V>(&readLoadStats)},
        {"CMD_playasound", as<V>(&readPlayASound)},
    };
    return read(line, table);
}

} // namespace msg
