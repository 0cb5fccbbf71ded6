#include "history/historystore.h"

#include "base/programfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

using namespace history;

namespace {

constexpr int kMaxDamagedCopies = 100;
constexpr int kBusyTimeoutMs = 5000;

// The statements that bring a file of version n to version n + 1.
const QList<QStringList> &migrationSteps()
{
    static const QList<QStringList> steps = {
        {
            QStringLiteral("CREATE TABLE schema (version INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE games (id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE,"
                           " started INTEGER NOT NULL, duration INTEGER NOT NULL, table_name TEXT NOT NULL,"
                           " team INTEGER NOT NULL, seconds_per_turn INTEGER NOT NULL, own_slot INTEGER NOT NULL,"
                           " joined_late INTEGER NOT NULL, finished INTEGER NOT NULL DEFAULT 0)"),
            QStringLiteral("CREATE INDEX games_by_date ON games (started DESC, id DESC)"),
            QStringLiteral("CREATE TABLE seats (game INTEGER NOT NULL REFERENCES games (id) ON DELETE CASCADE,"
                           " seat INTEGER NOT NULL, name TEXT NOT NULL, name_key TEXT NOT NULL, computer TEXT,"
                           " total INTEGER NOT NULL, winner INTEGER NOT NULL DEFAULT 0,"
                           " PRIMARY KEY (game, seat)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE frames (game INTEGER NOT NULL REFERENCES games (id) ON DELETE CASCADE,"
                           " frame INTEGER NOT NULL, rack TEXT NOT NULL, word TEXT NOT NULL,"
                           " bonus2 TEXT NOT NULL, bonus3 TEXT NOT NULL, PRIMARY KEY (game, frame)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE frame_scores (game INTEGER NOT NULL REFERENCES games (id) ON DELETE CASCADE,"
                           " frame INTEGER NOT NULL, seat INTEGER NOT NULL, first INTEGER, second INTEGER,"
                           " third INTEGER, running INTEGER NOT NULL,"
                           " PRIMARY KEY (game, frame, seat)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE words (game INTEGER NOT NULL REFERENCES games (id) ON DELETE CASCADE,"
                           " frame INTEGER NOT NULL, seat INTEGER NOT NULL, ord INTEGER NOT NULL,"
                           " word TEXT NOT NULL, accepted INTEGER NOT NULL,"
                           " PRIMARY KEY (game, frame, seat, ord)) WITHOUT ROWID"),
        },
    };
    return steps;
}

// Another copy holds the file: not a fault of the file.
bool isBusy(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == 5 || code == 6);   // SQLITE_BUSY, SQLITE_LOCKED
}

// Binds the values to the placeholders in order; a query run again binds
// them anew. A null text would be stored as NULL: it is empty text here.
void bindAll(QSqlQuery &q, std::initializer_list<QVariant> values)
{
    int index = 0;
    for (const QVariant &value : values) {
        const bool nullText = !value.isNull() && value.typeId() == QMetaType::QString && value.toString().isNull();
        q.bindValue(index++, nullText ? QVariant(QStringLiteral("")) : value);
    }
}

QVariant lengthValue(const SeatFrame &s, int ball)
{
    return s.played ? QVariant(s.lengths[ball]) : QVariant(QMetaType(QMetaType::Int));
}

} // namespace

QString HistoryStore::defaultPath()
{
    const QString chosen = qEnvironmentVariable("PINLEX_HISTORY_FILE");
    if (!chosen.isEmpty())
        return chosen;
    return QDir(recordsFolder()).filePath(kFileName);
}

HistoryStore::HistoryStore(QString path) : m_path(std::move(path)) {}

HistoryStore::~HistoryStore()
{
    close();
}

QString HistoryStore::open(Check check)
{
    close();
    m_keptAside.clear();
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QString shown = QDir::toNativeSeparators(m_path);
    switch (tryOpen(check == Check::Now)) {
    case Outcome::Ready:
        m_state = State::Writable;
        return {};
    case Outcome::Newer:
        m_state = State::ReadOnly;
        return QStringLiteral("The game history %1 comes from a newer Pinlex: games are not recorded in it.")
            .arg(shown);
    case Outcome::Busy:
        close();
        return notRecorded();
    case Outcome::Damaged:
        break;
    }
    return startAnew();
}

QString HistoryStore::openToRead()
{
    close();
    // No check of every page: a listing reads few, and a damaged one fails
    // its query.
    if (tryOpen(false, true) == Outcome::Ready) {
        m_state = State::ReadOnly;
        return {};
    }
    close();
    return QStringLiteral("The game history %1 cannot be read (%2).")
        .arg(QDir::toNativeSeparators(m_path),
             m_lastError.isEmpty() ? QStringLiteral("it is no game history") : m_lastError);
}

QString HistoryStore::check()
{
    if (!isWritable() || integrity() != Outcome::Damaged)
        return {};
    return startAnew();
}

QString HistoryStore::startAnew()
{
    close();
    if (keepAside() && tryOpen(true) == Outcome::Ready) {
        m_state = State::Writable;
        return QStringLiteral("The game history %1 could not be read; it is kept as %2 and a new one is started.")
            .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(m_keptAside));
    }
    close();
    return notRecorded();
}

QString HistoryStore::notRecorded() const
{
    return QStringLiteral("The game history %1 cannot be opened (%2): games are not recorded.")
        .arg(QDir::toNativeSeparators(m_path), m_lastError);
}

void HistoryStore::close()
{
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = database();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
    m_state = State::Closed;
}

QSqlDatabase HistoryStore::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

HistoryStore::Outcome HistoryStore::tryOpen(bool fullCheck, bool readOnly)
{
    // Connections are named per store: stores on several threads meet here.
    static std::atomic<int> connections{0};
    m_connection = QStringLiteral("pinlex-history-%1").arg(++connections);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        m_lastError = QStringLiteral("Qt's SQLite driver is missing");
        return Outcome::Busy;
    }
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs)
                         + (readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
    if (!db.open()) {
        m_lastError = db.lastError().text();
        return Outcome::Damaged;
    }
    if (fullCheck) {
        if (const Outcome checked = integrity(); checked != Outcome::Ready)
            return checked;
    }
    // Nothing is changed before the file is known to be ours and not newer;
    // a file that is no database at all fails here too.
    const int version = schemaVersion();
    if (version == kInUse)
        return Outcome::Busy;
    if (version == kNotOurs)
        return Outcome::Damaged;
    if (readOnly) {
        // A newer layout keeps what is read here; an empty file has nothing.
        return Outcome::Ready;
    }
    if (version > kSchemaVersion)
        return Outcome::Newer;
    if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !exec(QStringLiteral("PRAGMA synchronous=NORMAL"))
        || !exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        return Outcome::Busy;
    if (version < kSchemaVersion && !migrate(version))
        return Outcome::Busy;
    return Outcome::Ready;
}

// Every page read and checked: a long read for a large file.
HistoryStore::Outcome HistoryStore::integrity()
{
    QSqlQuery check(database());
    if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
        m_lastError = check.lastError().text();
        return isBusy(check.lastError()) ? Outcome::Busy : Outcome::Damaged;
    }
    if (!check.next() || check.value(0).toString() != QLatin1String("ok")) {
        m_lastError = check.value(0).toString();
        return Outcome::Damaged;
    }
    return Outcome::Ready;
}

// 0 for a new file, kNotOurs for a file that is not a game history,
// kInUse when another copy keeps it from being read.
int HistoryStore::schemaVersion()
{
    QSqlQuery q(database());
    const auto failed = [&] {
        m_lastError = q.lastError().text();
        return isBusy(q.lastError()) ? kInUse : kNotOurs;
    };
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema'"))
        || !q.next())
        return failed();
    if (q.value(0).toInt() == 0) {
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
            return failed();
        return q.value(0).toInt() == 0 ? 0 : kNotOurs;
    }
    if (!q.exec(QStringLiteral("SELECT version FROM schema")))
        return failed();
    if (!q.next())
        return kNotOurs;
    bool ok = false;
    const int version = q.value(0).toInt(&ok);
    return ok && version >= 1 ? version : kNotOurs;
}

bool HistoryStore::migrate(int from)
{
    QSqlDatabase db = database();
    if (!db.transaction()) {
        m_lastError = db.lastError().text();
        return false;
    }
    bool ok = true;
    for (int version = from; ok && version < kSchemaVersion; ++version) {
        for (const QString &statement : migrationSteps().at(version))
            ok = ok && exec(statement);
    }
    ok = ok && exec(QStringLiteral("DELETE FROM schema"))
         && exec(QStringLiteral("INSERT INTO schema (version) VALUES (%1)").arg(kSchemaVersion));
    if (ok && db.commit())
        return true;
    db.rollback();
    return false;
}

bool HistoryStore::keepAside()
{
    // Only a file: a folder or a device named here is not ours to move.
    if (!QFileInfo(m_path).isFile()) {
        m_lastError = QStringLiteral("it is not a file");
        return false;
    }
    // As with damaged tallies: the date and time, a number for those of the
    // same second. The log goes along, named as SQLite looks for it.
    const QString stem = m_path + QLatin1Char('.')
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n <= kMaxDamagedCopies; ++n) {
        const QString copy = stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".damaged");
        if (QFileInfo::exists(copy) || QFileInfo::exists(copy + QStringLiteral("-wal")))
            continue;
        QFile file(m_path);
        if (!file.rename(copy)) {
            m_lastError = file.errorString();
            return false;
        }
        m_keptAside = copy;
        for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-journal")}) {
            if (QFileInfo::exists(m_path + suffix) && !QFile::rename(m_path + suffix, copy + suffix)
                && !QFile::remove(m_path + suffix)) {
                // A new file would take the old log for its own.
                m_lastError = QStringLiteral("the old log %1 stays").arg(m_path + suffix);
                return false;
            }
        }
        QFile::remove(m_path + QStringLiteral("-shm"));
        return true;
    }
    m_lastError = QStringLiteral("too many damaged copies");
    return false;
}

bool HistoryStore::exec(const QString &statement)
{
    QSqlQuery q(database());
    if (q.exec(statement))
        return true;
    m_lastError = q.lastError().text();
    return false;
}

qint64 HistoryStore::upsertGame(const GameRecord &game)
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral(
        "INSERT INTO games (key, started, duration, table_name, team, seconds_per_turn, own_slot, joined_late,"
        " finished) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (key) DO UPDATE SET"
        " duration = excluded.duration, finished = excluded.finished RETURNING id"));
    bindAll(q, {game.key, game.started.toSecsSinceEpoch(), game.durationSeconds, game.table, game.team,
                game.secondsPerTurn, game.ownSlot, game.joinedLate, game.finished});
    if (!q.exec() || !q.next()) {
        m_lastError = q.lastError().text();
        return 0;
    }
    const qint64 id = q.value(0).toLongLong();
    q.finish();

    QSqlQuery seat(database());
    seat.prepare(QStringLiteral(
        "INSERT INTO seats (game, seat, name, name_key, computer, total, winner) VALUES (?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT (game, seat) DO UPDATE SET name = excluded.name, name_key = excluded.name_key,"
        " computer = excluded.computer, total = excluded.total, winner = excluded.winner"));
    for (const SeatRecord &s : game.seats) {
        bindAll(seat, {id, s.seat, s.name, s.name.toCaseFolded(),
                       s.computer ? QVariant(strengthKey(*s.computer)) : QVariant(QMetaType(QMetaType::QString)),
                       s.total, s.winner});
        if (!seat.exec()) {
            m_lastError = seat.lastError().text();
            return 0;
        }
    }
    return id;
}

bool HistoryStore::writeFrame(const GameRecord &game, const FrameRecord &frame, const QList<RunningTotal> &earlier)
{
    if (!isWritable() || !isFrame(frame.frame))
        return false;
    QSqlDatabase db = database();
    if (!db.transaction()) {
        m_lastError = db.lastError().text();
        m_notWhole.insert(game.key);
        return false;
    }
    const qint64 id = upsertGame(game);
    bool ok = id > 0;
    const auto run = [&](QSqlQuery &q) {
        if (ok && !q.exec()) {
            m_lastError = q.lastError().text();
            ok = false;
        }
    };

    QSqlQuery f(db);
    f.prepare(QStringLiteral("INSERT OR REPLACE INTO frames (game, frame, rack, word, bonus2, bonus3)"
                             " VALUES (?, ?, ?, ?, ?, ?)"));
    bindAll(f, {id, frame.frame, frame.rack, frame.word, frame.bonusWord2, frame.bonusWord3});
    run(f);

    // Earlier frames learn their running totals late (a strike waits for
    // the next two words); a late joiner's first frames have nothing else.
    QSqlQuery late(db);
    late.prepare(QStringLiteral(
        "INSERT INTO frame_scores (game, frame, seat, running) VALUES (?, ?, ?, ?)"
        " ON CONFLICT (game, frame, seat) DO UPDATE SET running = excluded.running"));
    for (const RunningTotal &r : earlier) {
        if (r.frame >= 1 && r.frame < frame.frame && isSeat(r.seat)) {
            bindAll(late, {id, r.frame, r.seat, r.running});
            run(late);
        }
    }
    QSqlQuery score(db);
    score.prepare(QStringLiteral("INSERT OR REPLACE INTO frame_scores (game, frame, seat, first, second, third,"
                                 " running) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const SeatFrame &s : frame.seats) {
        bindAll(score, {id, frame.frame, s.seat, lengthValue(s, 0), lengthValue(s, 1), lengthValue(s, 2), s.running});
        run(score);
    }

    QSqlQuery clear(db);
    clear.prepare(QStringLiteral("DELETE FROM words WHERE game = ? AND frame = ?"));
    bindAll(clear, {id, frame.frame});
    run(clear);
    QSqlQuery word(db);
    word.prepare(QStringLiteral("INSERT INTO words (game, frame, seat, ord, word, accepted) VALUES (?, ?, ?, ?, ?, ?)"));
    std::array<int, kSeats + 1> ord{};
    for (const WordRecord &w : frame.words) {
        if (!isSeat(w.seat))
            continue;
        bindAll(word, {id, frame.frame, w.seat, ++ord[w.seat], w.word, w.accepted});
        run(word);
    }

    if (ok && db.commit())
        return true;
    if (ok)
        m_lastError = db.lastError().text();
    db.rollback();
    m_notWhole.insert(game.key);
    return false;
}

bool HistoryStore::finishGame(const GameRecord &game)
{
    if (!isWritable())
        return false;
    if (m_notWhole.contains(game.key)) {
        m_lastError = QStringLiteral("a frame of it is missing");
        return false;
    }
    QSqlDatabase db = database();
    if (!db.transaction()) {
        m_lastError = db.lastError().text();
        return false;
    }
    QSqlQuery known(db);
    known.prepare(QStringLiteral("SELECT 1 FROM games WHERE key = ?"));
    bindAll(known, {game.key});
    bool ok = known.exec() && known.next();
    known.finish();
    ok = ok && upsertGame(game) > 0;
    if (ok && db.commit())
        return true;
    db.rollback();
    return false;
}
