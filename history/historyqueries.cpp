#include "history/historyqueries.h"

#include <QLocale>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <map>

namespace history {

namespace {

constexpr qint64 kLongestGameSeconds = 7 * 24 * 3600;

const QString kGameColumns = QStringLiteral(
    "g.id, g.key, g.started, g.duration, g.table_name, g.team, g.seconds_per_turn, g.own_slot, g.joined_late,"
    " g.finished");

// Opponents: the other seats, less a team mate (seats 1 and 3 play
// against seats 2 and 4).
const QString kOpponent = QStringLiteral("o.seat <> g.own_slot AND (g.team = 0 OR o.seat % 2 <> g.own_slot % 2)");

bool inRange(const QVariant &value, int low, int high, int *out)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    *out = number;
    return true;
}

QDateTime utc(const QVariant &seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds.toLongLong(), Qt::UTC);
}

GameRecord gameFrom(const QSqlQuery &q)
{
    GameRecord g;
    g.id = q.value(0).toLongLong();
    g.key = nameOf(q.value(1).toString());
    g.started = utc(q.value(2));
    g.durationSeconds = int(std::clamp<qint64>(q.value(3).toLongLong(), 0, kLongestGameSeconds));
    g.table = nameOf(q.value(4).toString());
    g.team = q.value(5).toBool();
    if (!inRange(q.value(6), 0, 24 * 3600, &g.secondsPerTurn))
        g.secondsPerTurn = 0;
    if (!inRange(q.value(7), 1, kHighestSlot, &g.ownSlot))
        g.ownSlot = 0;
    g.joinedLate = q.value(8).toBool();
    g.finished = q.value(9).toBool();
    return g;
}

// Reads "game, seat, name, computer, total, winner" rows into the games.
void readSeats(QSqlQuery &q, std::map<qint64, GameRecord *> &games)
{
    while (q.next()) {
        const auto found = games.find(q.value(0).toLongLong());
        SeatRecord s;
        if (found == games.end() || !inRange(q.value(1), 1, kSeats, &s.seat)
            || !inRange(q.value(4), 0, kBestScore, &s.total))
            continue;
        s.name = nameOf(q.value(2).toString());
        if (!q.value(3).isNull())
            s.computer = strengthFromText(q.value(3).toString());
        s.winner = q.value(5).toBool();
        found->second->seats.append(s);
    }
}

// "1 game", "2 games".
QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString likeNeedle(const QString &opponent)
{
    return opponent.trimmed().toCaseFolded();
}

} // namespace

QList<GameRecord> gamePage(const QSqlDatabase &db, const QString &opponent, int offset, int limit)
{
    QList<GameRecord> games;
    const QString needle = likeNeedle(opponent);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM games g %2 ORDER BY g.started DESC, g.id DESC LIMIT ? OFFSET ?")
                  .arg(kGameColumns,
                       needle.isEmpty() ? QString()
                                        : QStringLiteral("WHERE EXISTS (SELECT 1 FROM seats o WHERE o.game = g.id"
                                                         " AND o.seat <> g.own_slot AND instr(o.name_key, ?) > 0)")));
    int index = 0;
    if (!needle.isEmpty())
        q.bindValue(index++, needle);
    q.bindValue(index++, std::max(limit, 0));
    q.bindValue(index++, std::max(offset, 0));
    if (!q.exec())
        return games;
    while (q.next())
        games.append(gameFrom(q));
    if (games.isEmpty())
        return games;

    std::map<qint64, GameRecord *> byId;
    QStringList ids;
    for (GameRecord &g : games) {
        byId[g.id] = &g;
        ids.append(QString::number(g.id));
    }
    QSqlQuery seats(db);
    seats.setForwardOnly(true);
    if (seats.exec(QStringLiteral("SELECT game, seat, name, computer, total, winner FROM seats WHERE game IN (%1)"
                                  " ORDER BY game, seat")
                       .arg(ids.join(QLatin1Char(',')))))
        readSeats(seats, byId);
    return games;
}

int gameCount(const QSqlDatabase &db, const QString &opponent)
{
    const QString needle = likeNeedle(opponent);
    QSqlQuery q(db);
    if (needle.isEmpty()) {
        q.prepare(QStringLiteral("SELECT count(*) FROM games"));
    } else {
        q.prepare(QStringLiteral("SELECT count(*) FROM games g WHERE EXISTS (SELECT 1 FROM seats o WHERE"
                                 " o.game = g.id AND o.seat <> g.own_slot AND instr(o.name_key, ?) > 0)"));
        q.bindValue(0, needle);
    }
    return q.exec() && q.next() ? q.value(0).toInt() : 0;
}

std::optional<GameRecord> gameDetail(const QSqlDatabase &db, qint64 id)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM games g WHERE g.id = ?").arg(kGameColumns));
    q.bindValue(0, id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    GameRecord game = gameFrom(q);
    std::map<qint64, GameRecord *> byId{{id, &game}};

    const auto rows = [&](const QString &statement) {
        QSqlQuery r(db);
        r.setForwardOnly(true);
        r.prepare(statement);
        r.bindValue(0, id);
        r.exec();
        return r;
    };
    QSqlQuery seats = rows(QStringLiteral(
        "SELECT game, seat, name, computer, total, winner FROM seats WHERE game = ? ORDER BY seat"));
    readSeats(seats, byId);

    std::map<int, FrameRecord> frames;
    QSqlQuery f = rows(QStringLiteral("SELECT frame, rack, word, bonus2, bonus3 FROM frames WHERE game = ?"));
    while (f.next()) {
        int number = 0;
        if (!inRange(f.value(0), 1, kFrames, &number))
            continue;
        FrameRecord &frame = frames[number];
        frame.frame = number;
        frame.rack = wordOf(f.value(1).toString());
        frame.word = wordOf(f.value(2).toString());
        frame.bonusWord2 = wordOf(f.value(3).toString());
        frame.bonusWord3 = wordOf(f.value(4).toString());
    }
    QSqlQuery s = rows(QStringLiteral("SELECT frame, seat, first, second, third, running FROM frame_scores"
                                      " WHERE game = ? ORDER BY frame, seat"));
    while (s.next()) {
        int number = 0;
        SeatFrame score;
        if (!inRange(s.value(0), 1, kFrames, &number) || !inRange(s.value(1), 1, kSeats, &score.seat)
            || !inRange(s.value(5), -1, kBestScore, &score.running))
            continue;
        score.played = !s.value(2).isNull();
        bool valid = true;
        for (int ball = 0; score.played && ball < kBalls; ++ball)
            valid = valid && inRange(s.value(2 + ball), -1, kRackLetters, &score.lengths[ball]);
        if (!valid)
            continue;
        FrameRecord &frame = frames[number];
        frame.frame = number;
        frame.seats.append(score);
    }
    QSqlQuery w = rows(QStringLiteral("SELECT frame, seat, word, accepted FROM words WHERE game = ?"
                                      " ORDER BY frame, seat, ord"));
    while (w.next()) {
        int number = 0;
        WordRecord word;
        if (!inRange(w.value(0), 1, kFrames, &number) || !inRange(w.value(1), 1, kSeats, &word.seat))
            continue;
        word.word = wordOf(w.value(2).toString());
        word.accepted = w.value(3).toBool();
        FrameRecord &frame = frames[number];
        frame.frame = number;
        if (frame.words.size() < kSeats * kMaxWordsPerSeat)
            frame.words.append(word);
    }
    for (auto &[number, frame] : frames)
        game.frames.append(std::move(frame));
    return game;
}

Statistics statistics(const QSqlDatabase &db)
{
    Statistics stats;
    QSqlQuery q(db);
    q.setForwardOnly(true);

    if (q.exec(QStringLiteral("SELECT g.started, s.total, g.id FROM games g JOIN seats s ON s.game = g.id"
                              " AND s.seat = g.own_slot WHERE g.finished = 1 ORDER BY g.started, g.id"))) {
        qint64 sum = 0;
        while (q.next()) {
            Statistics::GameTotal t;
            if (!inRange(q.value(1), 0, kBestScore, &t.total))
                continue;
            t.started = utc(q.value(0));
            sum += t.total;
            t.average = double(sum) / double(stats.totals.size() + 1);
            if (!stats.best || t.total > stats.best->total) {
                stats.best = t;
                stats.bestGame = q.value(2).toLongLong();
            }
            stats.totals.append(t);
        }
    }

    // A frame counts once the seat was in it: a late joiner's earlier
    // frames carry no words.
    // The month once a game, not once a frame.
    if (q.exec(QStringLiteral(
            "WITH g AS MATERIALIZED (SELECT id, own_slot, strftime('%Y-%m', started, 'unixepoch', 'localtime')"
            " AS month FROM games WHERE own_slot BETWEEN 1 AND 4)"
            " SELECT g.month, count(*), sum(f.first = 10),"
            " sum(f.first >= 0 AND f.first < 10 AND f.first + f.second = 10)"
            " FROM g JOIN frame_scores f ON f.game = g.id AND f.seat = g.own_slot"
            " WHERE f.first IS NOT NULL GROUP BY g.month ORDER BY g.month"))) {
        while (q.next()) {
            Statistics::MonthRates m;
            m.month = QDate::fromString(q.value(0).toString() + QStringLiteral("-01"), Qt::ISODate);
            m.frames = q.value(1).toInt();
            m.strikes = q.value(2).toInt();
            m.spares = q.value(3).toInt();
            if (m.month.isValid() && m.frames > 0)
                stats.months.append(m);
        }
    }

    // A game counts once for each name or strength met in it, however many
    // seats it filled: against three hard computer players a game is one
    // game against "hard", lost when any of them won.
    const auto results = [&](const QString &key, const QString &shown, const QString &condition) {
        QList<Statistics::Results> out;
        if (!q.exec(QStringLiteral("SELECT min(shown), count(*), sum(mine AND NOT theirs), sum(theirs AND NOT mine),"
                                   " sum(mine AND theirs) FROM (SELECT %1 AS key, min(%2) AS shown,"
                                   " me.winner <> 0 AS mine, max(o.winner <> 0) AS theirs FROM games g"
                                   " JOIN seats me ON me.game = g.id AND me.seat = g.own_slot"
                                   " JOIN seats o ON o.game = g.id AND %3"
                                   " WHERE g.finished = 1 AND %4 GROUP BY %1, g.id)"
                                   " GROUP BY key ORDER BY count(*) DESC, min(shown)")
                        .arg(key, shown, kOpponent, condition)))
            return out;
        while (q.next()) {
            Statistics::Results r;
            r.against = nameOf(q.value(0).toString());
            r.games = q.value(1).toInt();
            r.wins = q.value(2).toInt();
            r.losses = q.value(3).toInt();
            r.ties = q.value(4).toInt();
            out.append(r);
        }
        return out;
    };
    stats.opponents = results(QStringLiteral("o.name_key"), QStringLiteral("o.name"), QStringLiteral("1"));
    stats.strengths = results(QStringLiteral("o.computer"), QStringLiteral("o.computer"),
                              QStringLiteral("o.computer IS NOT NULL"));
    // Named as the game names them, weakest first; anything else is no strength.
    stats.strengths.removeIf([](const Statistics::Results &r) { return !strengthFromText(r.against); });
    std::sort(stats.strengths.begin(), stats.strengths.end(), [](const auto &a, const auto &b) {
        return *strengthFromText(a.against) < *strengthFromText(b.against);
    });
    for (Statistics::Results &r : stats.strengths)
        r.against = strengthName(*strengthFromText(r.against));

    if (q.exec(QStringLiteral("SELECT w.word, max(g.started) FROM words w JOIN games g ON g.id = w.game"
                              " AND w.seat = g.own_slot WHERE w.accepted = 1 GROUP BY w.word"
                              " ORDER BY length(w.word) DESC, max(g.started) DESC LIMIT %1")
                   .arg(kLongestWords))) {
        while (q.next())
            stats.longestWords.append({wordOf(q.value(0).toString()), utc(q.value(1))});
    }
    return stats;
}

QString totalsSummary(const Statistics &stats)
{
    if (stats.totals.isEmpty())
        return QStringLiteral("Total per game: no finished games yet.");
    const Statistics::GameTotal &last = stats.totals.last();
    const auto day = [](const Statistics::GameTotal &t) {
        return QLocale().toString(t.started.toLocalTime().date(), QLocale::ShortFormat);
    };
    if (stats.totals.size() == 1)
        return QStringLiteral("Total per game: 1 game, on %1, total %2.").arg(day(last)).arg(last.total);
    int low = kBestScore;
    int high = 0;
    for (const Statistics::GameTotal &t : stats.totals) {
        low = std::min(low, t.total);
        high = std::max(high, t.total);
    }
    return QStringLiteral("Total per game: %1 games from %2 to %3, totals between %4 and %5; "
                          "the running average is now %6, the last game scored %7.")
        .arg(stats.totals.size())
        .arg(day(stats.totals.first()), day(last))
        .arg(low)
        .arg(high)
        .arg(last.average, 0, 'f', 1)
        .arg(last.total);
}

QString ratesSummary(const Statistics &stats)
{
    if (stats.months.isEmpty())
        return QStringLiteral("Strikes and spares per month: no frames played yet.");
    QStringList months;
    for (const Statistics::MonthRates &m : stats.months) {
        months.append(QStringLiteral("%1: %2% strikes, %3% spares of %4")
                          .arg(QLocale().toString(m.month, QStringLiteral("MMMM yyyy")))
                          .arg(100 * m.strikes / m.frames)
                          .arg(100 * m.spares / m.frames)
                          .arg(counted(m.frames, "frame", "frames")));
    }
    return QStringLiteral("Strikes and spares per month. ") + months.join(QStringLiteral("; ")) + QLatin1Char('.');
}

QString resultsSummary(const QList<Statistics::Results> &results, const QString &what)
{
    if (results.isEmpty())
        return QStringLiteral("Results against %1: no finished games yet.").arg(what);
    QStringList parts;
    bool tied = false;
    for (const Statistics::Results &r : results) {
        // Every game is told once, so that the counts add up.
        QString part = QStringLiteral("%1: %2: %3 won, %4 lost")
                           .arg(r.against, counted(r.games, "game", "games"))
                           .arg(r.wins)
                           .arg(r.losses);
        if (r.ties > 0)
            part += QStringLiteral(", %1 tied").arg(r.ties);
        if (r.othersWon() > 0)
            part += QStringLiteral(", %1 won by another player").arg(r.othersWon());
        parts.append(part);
        tied = tied || r.ties > 0;
    }
    QString text =
        QStringLiteral("Results against %1. ").arg(what) + parts.join(QStringLiteral("; ")) + QLatin1Char('.');
    if (tied)
        text += QStringLiteral(" A tie is a game you both won, on equal totals.");
    return text;
}

QString bestSummary(const Statistics &stats)
{
    QString text = stats.best ? QStringLiteral("Best game: %1 on %2.")
                                    .arg(stats.best->total)
                                    .arg(QLocale().toString(stats.best->started.toLocalTime(),
                                                            QLocale::ShortFormat))
                              : QStringLiteral("Best game: none finished yet.");
    if (!stats.longestWords.isEmpty()) {
        QStringList words;
        for (const Statistics::Word &w : stats.longestWords)
            words.append(w.word.toUpper());
        text += QStringLiteral(" Longest words: ") + words.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    return text;
}

} // namespace history
