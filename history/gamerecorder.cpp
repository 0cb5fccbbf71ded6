#include "history/gamerecorder.h"

#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/gameflow.h"
#include "client/roster.h"
#include "history/historydatabase.h"

#include <QUuid>

using namespace history;

namespace {

int clampedCount(int letters)
{
    return letters >= -1 && letters <= kRackLetters ? letters : -1;
}

int clampedRunning(int running)
{
    return running >= -1 && running <= kBestScore ? running : -1;
}

// What became of a write, told back from the history's thread: done, or
// why not. A history that cannot be written at all said so when it was
// opened; its games are not told of again.
struct Written
{
    bool done = false;
    QString reason;
};

Written written(const HistoryStore &store, bool done)
{
    if (done || !store.isWritable())
        return Written{done, QString()};
    return Written{false, store.lastError().isEmpty() ? QStringLiteral("the file refused it") : store.lastError()};
}

} // namespace

GameRecorder::GameRecorder(HistoryDatabase *database, QObject *parent) : QObject(parent), m_database(database) {}

void GameRecorder::follow(const GameClient &client, const Roster &roster, const GameFlow &flow)
{
    m_client = &client;
    m_roster = &roster;
    const GameEvents *events = client.events();
    connect(events, &GameEvents::gameStarted, this, [this](const msg::StartGame &start) {
        startFollowed(false, nullptr, start.isTeam(), start.seconds);
    });
    connect(events, &GameEvents::gameJoined, this, [this](const msg::LoadStats &state) {
        if (state.slot == m_client->myseat())
            startFollowed(true, &state, state.isTeam(), state.seconds);
    });
    connect(events, &GameEvents::rackDealt, this, &GameRecorder::rackDealt);
    connect(events, &GameEvents::turnBegan, this, &GameRecorder::turnBegan);
    // The host names the own word's seat, never its letters: the game flow
    // tells them as it sends the word.
    connect(&flow, &GameFlow::wordSent, this, [this](int, const QString &word) { m_sentWord = word; });
    const auto verdict = [this](int seat, bool accepted) {
        if (seat == m_client->myseat())
            wordPlayed(seat, std::exchange(m_sentWord, QString()), accepted);
    };
    connect(events, &GameEvents::wordAccepted, this,
            [verdict](const msg::GoodWord &word) { verdict(word.seat, true); });
    connect(events, &GameEvents::wordRefused, this, [verdict](int seat) { verdict(seat, false); });
    connect(events, &GameEvents::frameScored, this, &GameRecorder::frameScored);
    connect(events, &GameEvents::gameWon, this, &GameRecorder::gameWon);
    connect(&client, &GameClient::connectionEnded, this, &GameRecorder::gameAbandoned);

    // The roster has the seat's name by now, and forgot what its last
    // player said it is.
    connect(events, &GameEvents::seated, this, [this](int slot) {
        if (m_inGame && isSeat(slot))
            seatTaken(SeatRecord{slot, m_roster->seatName(slot), std::nullopt, 0, false});
    });
    connect(&roster, &Roster::computerIntroduced, this, [this](int seat, Strength strength) {
        if (m_inGame && this->seat(seat))
            seatTaken(SeatRecord{seat, m_roster->seatName(seat), strength, 0, false});
    });
}

void GameRecorder::startFollowed(bool joinedLate, const msg::LoadStats *state, bool team, int secondsPerTurn)
{
    GameStart start;
    start.table = m_client->ishost() ? QStringLiteral("this computer")
                                     : QStringLiteral("%1:%2").arg(m_client->hostaddress()).arg(m_client->port());
    start.team = team;
    start.secondsPerTurn = secondsPerTurn;
    start.ownSlot = m_client->myseat();
    start.joinedLate = joinedLate;
    for (int number = 1; number <= kSeats; ++number) {
        if (!m_roster->isSeated(number))
            continue;
        SeatRecord s{number, m_roster->seatName(number), m_roster->computerAt(number), 0, false};
        if (state)
            s.total = state->scores[number - 1].toInt();
        start.seats.append(s);
    }
    m_sentWord.clear();
    gameStarted(start);
}

void GameRecorder::gameStarted(const GameStart &start)
{
    gameAbandoned();
    m_game = GameRecord();
    m_game.key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_game.started = QDateTime::currentDateTimeUtc();
    m_game.table = nameOf(start.table);
    m_game.team = start.team;
    m_game.secondsPerTurn = std::max(start.secondsPerTurn, 0);
    m_game.ownSlot = start.ownSlot >= 1 && start.ownSlot <= kHighestSlot ? start.ownSlot : 0;
    m_game.joinedLate = start.joinedLate;
    for (const SeatRecord &s : start.seats) {
        if (isSeat(s.seat) && !seat(s.seat))
            m_game.seats.append(s);
    }
    for (SeatRecord &s : m_game.seats) {
        s.name = nameOf(s.name);
        s.total = start.joinedLate && s.total >= 0 && s.total <= kBestScore ? s.total : 0;
        s.winner = false;
    }
    std::sort(m_game.seats.begin(), m_game.seats.end(),
              [](const SeatRecord &a, const SeatRecord &b) { return a.seat < b.seat; });
    for (auto &seat : m_written)
        seat.fill(-2);
    m_clock.start();
    m_inGame = true;
    m_framesGiven = false;
}

void GameRecorder::seatTaken(const SeatRecord &taken)
{
    if (!m_inGame || !isSeat(taken.seat))
        return;
    SeatRecord *s = seat(taken.seat);
    if (!s) {
        SeatRecord added;
        added.seat = taken.seat;
        m_game.seats.append(added);
        std::sort(m_game.seats.begin(), m_game.seats.end(),
                  [](const SeatRecord &a, const SeatRecord &b) { return a.seat < b.seat; });
        s = seat(taken.seat);
    }
    s->name = nameOf(taken.name);
    s->computer = taken.computer;
}

void GameRecorder::rackDealt(const msg::TheLetters &rack)
{
    // A deal to all starts the frame after the last one scored, unless the
    // turn says otherwise (a late joiner's first deal).
    if (!m_inGame || rack.seat != 0 || m_lastScored >= kFrames)
        return;
    m_frame = m_lastScored + 1;
    QString letters(kRackLetters, QLatin1Char(' '));
    for (const msg::TheLetters::Tile &tile : rack.tiles) {
        if (game::isTile(tile.position))
            letters[tile.position - 1] = QLatin1Char(tile.letter);
    }
    m_rack = wordOf(letters);
    m_word = wordOf(QString::fromLatin1(rack.word()));
}

void GameRecorder::turnBegan(const msg::NextPlayer &turn)
{
    if (m_inGame && isFrame(turn.frame) && turn.frame > m_lastScored)
        m_frame = turn.frame;
}

void GameRecorder::wordPlayed(int seat, const QString &word, bool accepted)
{
    if (!m_inGame || !isSeat(seat) || seat != m_game.ownSlot || !isFrame(m_frame) || word.isEmpty()
        || m_ownWords.size() >= kMaxWordsPerSeat)
        return;
    m_ownWords.append({m_frame, WordRecord{seat, wordOf(word), accepted}});
}

void GameRecorder::frameScored(const msg::PostScores &scores)
{
    if (!m_inGame || !isFrame(scores.frame))
        return;
    const int number = scores.frame;
    FrameRecord frame;
    frame.frame = number;
    frame.word = wordOf(QString::fromLatin1(scores.frameword));
    if (frame.word.isEmpty() && m_frame == number)
        frame.word = m_word;
    if (m_frame == number)
        frame.rack = m_rack;
    if (number == kFrames) {
        frame.bonusWord2 = wordOf(QString::fromLatin1(scores.bonusword2));
        frame.bonusWord3 = wordOf(QString::fromLatin1(scores.bonusword3));
    }

    QList<HistoryStore::RunningTotal> earlier;
    for (const msg::SeatScore &posted : scores.seats) {
        SeatRecord *s = seat(posted.seat);
        // The host posts all four seats; an empty one is no player.
        if (!s || std::any_of(frame.seats.cbegin(), frame.seats.cend(),
                              [&](const SeatFrame &done) { return done.seat == posted.seat; }))
            continue;
        if (posted.total >= 0 && posted.total <= kBestScore)
            s->total = posted.total;
        SeatFrame result;
        result.seat = posted.seat;
        for (int ball = 0; ball < kBalls; ++ball)
            result.lengths[ball] = clampedCount(posted.counts[ball]);
        result.running = clampedRunning(posted.running[number - 1]);
        frame.seats.append(result);
        // Only what changed goes with the frame: mostly the one or two
        // frames before it.
        for (int k = 1; k < number; ++k) {
            const int running = clampedRunning(posted.running[k - 1]);
            if (running != m_written[posted.seat][k])
                earlier.append({posted.seat, k, running});
        }
        for (int k = 1; k <= number; ++k)
            m_written[posted.seat][k] = clampedRunning(posted.running[k - 1]);
    }
    frame.words = wordsOf(scores);
    m_ownWords.removeIf([number](const auto &pending) { return pending.first <= number; });
    m_lastScored = std::max(m_lastScored, number);
    touch();

    m_framesGiven = true;
    m_database->write<Written>(
        this,
        [game = m_game, frame, earlier](HistoryStore &store) {
            return written(store, store.writeFrame(game, frame, earlier));
        },
        [this, key = m_game.key](const Written &result) {
            if (!result.done)
                writeFailed(key, result.reason);
        });
}

// Each seat's words in the order played: this copy's own with the host's
// verdicts, the others' accepted ones as posted. An own accepted word the
// posting names again is not counted twice.
QList<WordRecord> GameRecorder::wordsOf(const msg::PostScores &scores) const
{
    QList<WordRecord> words;
    QList<WordRecord> ownAccepted;
    for (const auto &[frame, word] : m_ownWords) {
        if (frame == scores.frame) {
            words.append(word);
            if (word.accepted)
                ownAccepted.append(word);
        }
    }
    for (const msg::SeatScore &posted : scores.seats) {
        if (!m_game.seat(posted.seat))
            continue;
        for (const QByteArray &text : posted.words) {
            const WordRecord word{posted.seat, wordOf(QString::fromLatin1(text)), true};
            if (word.word.isEmpty())
                continue;
            if (const qsizetype at = ownAccepted.indexOf(word); at >= 0)
                ownAccepted.removeAt(at);
            else
                words.append(word);
        }
    }
    return words;
}

void GameRecorder::gameWon(const QList<int> &winners)
{
    if (!m_inGame)
        return;
    for (SeatRecord &s : m_game.seats)
        s.winner = winners.contains(s.seat);
    m_game.finished = true;
    touch();
    m_inGame = false;
    // Nothing of a game without a scored frame was written: nothing to finish.
    if (!m_framesGiven)
        return;
    m_database->write<Written>(
        this, [game = m_game](HistoryStore &store) { return written(store, store.finishGame(game)); },
        [this, key = m_game.key](const Written &result) {
            if (result.done)
                emit gameFinished();
            else
                writeFailed(key, result.reason);
        });
}

void GameRecorder::writeFailed(const QString &key, const QString &reason)
{
    // The history said already that it records nothing; and once a game is enough.
    if (reason.isEmpty() || key == m_reported)
        return;
    m_reported = key;
    emit notice(QStringLiteral("this game could not be written whole (%1); it is kept as unfinished.").arg(reason));
}

void GameRecorder::gameAbandoned()
{
    // What was written stays, unfinished; the frame in play goes.
    m_inGame = false;
    m_lastScored = 0;
    m_frame = 0;
    m_rack.clear();
    m_word.clear();
    m_ownWords.clear();
}

SeatRecord *GameRecorder::seat(int number)
{
    for (SeatRecord &s : m_game.seats) {
        if (s.seat == number)
            return &s;
    }
    return nullptr;
}

void GameRecorder::touch()
{
    m_game.durationSeconds = int(m_clock.elapsed() / 1000);
}
