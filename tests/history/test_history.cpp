// The game history's file: what the recorder wrote survives a kill, a
// damaged file is kept aside for a new one, a newer program's file is left
// alone, the terminal's JSON says what was played, and the statistics count
// the player's own games only.

#include "history/historycommand.h"
#include "history/historydatabase.h"
#include "history/historyqueries.h"
#include "scriptedgame.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace history;

namespace {

// Waits until the database has done everything given to it.
bool settle(HistoryDatabase &database)
{
    bool done = false;
    QObject context;
    database.whenWritten(&context, [&done] { done = true; });
    return QTest::qWaitFor([&done] { return done; });
}

// The scripted game through a real recorder: `frames` frames, then won by
// seat 1 or abandoned.
void record(HistoryDatabase &database, int frames, bool won)
{
    GameRecorder recorder(&database);
    recorder.gameStarted(scripted::start());
    for (int frame = 1; frame <= frames; ++frame)
        scripted::playFrame(recorder, frame);
    if (won)
        recorder.gameWon({1});
    else
        recorder.gameAbandoned();
}

// The game as read back, less what only the file can know.
GameRecord comparable(GameRecord game)
{
    game.id = 0;
    game.key.clear();
    game.started = QDateTime();
    game.durationSeconds = 0;
    return game;
}

// pinlex --history: its status and its lines.
std::pair<int, QList<QByteArray>> run(int last, bool json)
{
    std::FILE *out = std::tmpfile();
    const int status = printHistoryCommand(last, json, out);
    std::rewind(out);
    QByteArray text;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, out))
        text.append(buffer, qsizetype(n));
    std::fclose(out);
    return std::make_pair(status, text.split('\n'));
}

QStringList damagedCopies(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.damaged")}, QDir::Files);
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void killedInFrameSixKeepsFiveFrames();
    void failedWriteIsToldAndNeverSaved_data();
    void failedWriteIsToldAndNeverSaved();
    void damagedFileIsKeptAside_data();
    void damagedFileIsKeptAside();
    void newerFileIsLeftAlone();
    void jsonSaysWhatWasPlayed();
    void statisticsCountOwnGamesOnly();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("history.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestHistory::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("PINLEX_HISTORY_FILE", path().toUtf8());
}

// A frame is one transaction and the log is written before it counts: a
// kill in frame 6 keeps frames 1 to 5 whole, frame 6 not at all, and the
// game reads as unfinished.
void TestHistory::killedInFrameSixKeepsFiveFrames()
{
    QProcess child;
    child.start(QStringLiteral(HISTORY_CHILD), {path()});
    QVERIFY(child.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return child.canReadLine() || child.state() == QProcess::NotRunning; }, 20000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("in frame 6"));
    child.kill();   // SIGKILL: nothing is closed, nothing is flushed
    QVERIFY(child.waitForFinished());

    HistoryStore store(path());
    QCOMPARE(store.open(), QString());
    const QList<GameRecord> games = gamePage(store.database(), QString(), 0, 10);
    QCOMPARE(games.size(), 1);
    const std::optional<GameRecord> game = gameDetail(store.database(), games.first().id);
    QVERIFY(game);
    QCOMPARE(comparable(*game), scripted::expected(5, false));
}

void TestHistory::failedWriteIsToldAndNeverSaved_data()
{
    // The file refuses one write, as a full disk would.
    QTest::addColumn<QString>("refusal");
    QTest::newRow("a frame") << QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON frames WHEN NEW.frame = 3 BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    QTest::newRow("the game's end") << QStringLiteral(
        "CREATE TRIGGER refuse BEFORE UPDATE OF finished ON games WHEN NEW.finished"
        " BEGIN SELECT RAISE(ABORT, 'disk full'); END");
}

// A write the file refused was once dropped unseen and the game announced
// as written: the chat is told once, and the game stays unfinished.
void TestHistory::failedWriteIsToldAndNeverSaved()
{
    QFETCH(QString, refusal);
    {
        HistoryStore store(path());
        QCOMPARE(store.open(), QString());
        QVERIFY(QSqlQuery(store.database()).exec(refusal));
    }
    HistoryDatabase database(path());
    GameRecorder recorder(&database);
    QSignalSpy told(&recorder, &GameRecorder::notice);
    QSignalSpy finished(&recorder, &GameRecorder::gameFinished);
    recorder.gameStarted(scripted::start());
    for (int frame = 1; frame <= kFrames; ++frame)
        scripted::playFrame(recorder, frame);
    recorder.gameWon({1});
    QVERIFY(settle(database));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().first().toString().contains(QLatin1String("disk full")),
             qPrintable(told.first().first().toString()));
    QCOMPARE(finished.size(), 0);
    const auto [status, lines] = run(0, false);
    QCOMPARE(status, 0);
    QVERIFY2(lines.value(1).endsWith("unfinished"), lines.value(1).constData());
}

void TestHistory::damagedFileIsKeptAside_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a database") << QStringLiteral("garbage");
    QTest::newRow("cut short") << QStringLiteral("truncated");
    QTest::newRow("another program's database") << QStringLiteral("foreign");
}

// The unreadable file is renamed with the date by the game (never by a
// listing), never deleted or written over; the chat is told where it went;
// a new file records the next game.
void TestHistory::damagedFileIsKeptAside()
{
    QFETCH(QString, kind);
    QByteArray original;
    if (kind == QLatin1String("garbage")) {
        original = QByteArray("this is no game history\n").repeated(400);
    } else if (kind == QLatin1String("truncated")) {
        {
            HistoryDatabase database(path());
            record(database, 10, true);
            record(database, 10, true);
            QVERIFY(settle(database));
        }
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        original = file.readAll();
        QVERIFY(original.size() > 8192);
        original.truncate(original.size() / 2);
    } else {
        const QString connection = QStringLiteral("foreign");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE notes (text TEXT)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        original = file.readAll();
    }
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(original);
    }
    // A listing only reads: the file stays as it is, wherever it is.
    run(0, false);
    QCOMPARE(damagedCopies(m_dir->path()), QStringList());

    {
        HistoryDatabase database(path());
        QSignalSpy notices(&database, &HistoryDatabase::notice);
        record(database, 3, true);
        QVERIFY(settle(database));
        QTRY_COMPARE(notices.size(), 1);
        const QStringList copies = damagedCopies(m_dir->path());
        QCOMPARE(copies.size(), 1);
        QVERIFY2(notices.first().first().toString().contains(copies.first()), qPrintable(notices.first().first().toString()));
        QFile kept(m_dir->filePath(copies.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), original);
    }
    HistoryStore store(path());
    QCOMPARE(store.open(), QString());
    const QList<GameRecord> games = gamePage(store.database(), QString(), 0, 10);
    QCOMPARE(games.size(), 1);
    QCOMPARE(comparable(*gameDetail(store.database(), games.first().id)), scripted::expected(3, true));
}

// A file a later version migrated is neither written nor set aside.
void TestHistory::newerFileIsLeftAlone()
{
    {
        HistoryStore store(path());
        QCOMPARE(store.open(), QString());
        QSqlQuery q(store.database());
        QVERIFY(q.exec(QStringLiteral("UPDATE schema SET version = version + 1")));
    }
    {
        HistoryDatabase database(path());
        QSignalSpy notices(&database, &HistoryDatabase::notice);
        record(database, 3, true);
        QVERIFY(settle(database));
        QTRY_COMPARE(notices.size(), 1);
        QVERIFY(notices.first().first().toString().contains(QStringLiteral("newer")));
    }
    QCOMPARE(damagedCopies(m_dir->path()), QStringList());
    HistoryStore store(path());
    store.open();
    QCOMPARE(gameCount(store.database()), 0);
}

// Each line is one game, newest first, whole: every frame's rack, word,
// letter counts and running totals, each word with its verdict, the winner.
void TestHistory::jsonSaysWhatWasPlayed()
{
    {
        HistoryDatabase database(path());
        record(database, 10, true);
        record(database, 3, false);
        QVERIFY(settle(database));
    }
    auto [status, lines] = run(0, true);
    QCOMPARE(status, 0);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.last(), QByteArray());
    HistoryStore store(path());
    store.open();
    const QList<GameRecord> games = gamePage(store.database(), QString(), 0, 10);
    QCOMPARE(games.size(), 2);
    for (int k = 0; k < 2; ++k) {
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(lines[k], &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        GameRecord expected = k == 0 ? scripted::expected(3, false) : scripted::expected(10, true);
        const GameRecord &read = games[k];
        expected.id = read.id;
        expected.key = read.key;
        expected.started = read.started;
        expected.durationSeconds = read.durationSeconds;
        QCOMPARE(object, gameToJson(expected));
    }
    // What scripts read by name.
    const QJsonObject won = QJsonDocument::fromJson(lines[1]).object();
    QCOMPARE(won[QStringLiteral("finished")], QJsonValue(true));
    QCOMPARE(won[QStringLiteral("winners")], QJsonValue(QJsonArray{1}));
    QCOMPARE(won[QStringLiteral("seats")][1][QStringLiteral("computer")], QJsonValue(QStringLiteral("hard")));
    const QJsonObject first = won[QStringLiteral("frames")][0].toObject();
    QCOMPARE(first[QStringLiteral("words")][0],
             QJsonValue(QJsonObject{{QStringLiteral("seat"), 1},
                                    {QStringLiteral("word"), scripted::refused(1)},
                                    {QStringLiteral("accepted"), false}}));
    QCOMPARE(first[QStringLiteral("scores")][0][QStringLiteral("lengths")], QJsonValue(QJsonArray{10, -1, -1}));
    QCOMPARE(QJsonDocument::fromJson(lines[0]).object()[QStringLiteral("finished")], QJsonValue(false));

    std::tie(status, lines) = run(1, true);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(QJsonDocument::fromJson(lines[0]).object()[QStringLiteral("id")], QJsonValue(games.first().id));
}

void TestHistory::statisticsCountOwnGamesOnly()
{
    HistoryStore store(path());
    QCOMPARE(store.open(), QString());
    int games = 0;
    // own: the player's letter counts per frame; a refused ten-letter word
    // in each game must not count among the longest words.
    const auto write = [&](const QString &day, int ownSlot, bool team, const QList<SeatRecord> &seats,
                           const QList<std::array<int, kBalls>> &own, const QStringList &ownWords, bool finished) {
        GameRecord g;
        g.key = QString::number(++games);
        g.started = QDateTime(QDate::fromString(day, Qt::ISODate), QTime(12, 0));
        g.ownSlot = ownSlot;
        g.team = team;
        g.seats = seats;
        for (int k = 1; k <= own.size(); ++k) {
            FrameRecord f;
            f.frame = k;
            for (const SeatRecord &s : seats)
                f.seats.append(SeatFrame{s.seat, true, s.seat == ownSlot ? own[k - 1] : std::array{1, 1, -1}, -1});
            if (k == 1) {
                f.words.append(WordRecord{ownSlot, QStringLiteral("abcdefghij"), false});
                for (const QString &w : ownWords)
                    f.words.append(WordRecord{ownSlot, w, true});
            }
            QVERIFY2(store.writeFrame(g, f, {}), qPrintable(store.lastError()));
        }
        g.finished = finished;
        if (finished)
            QVERIFY(store.finishGame(g));
    };
    const auto seat = [](int n, const char *name, int total, bool winner, std::optional<Strength> computer = {}) {
        return SeatRecord{n, QString::fromLatin1(name), computer, total, winner};
    };
    write(QStringLiteral("2024-01-10"), 1, false,
          {seat(1, "Ann", 150, true), seat(2, "Bob", 120, false), seat(3, "Robot (Easy)", 90, false, Strength::Easy)},
          {{10, -1, -1}, {6, 4, -1}, {5, 3, -1}}, {QStringLiteral("streamline")}, true);
    // A team game: Cat in seat 3 plays with Ann, not against her.
    write(QStringLiteral("2024-02-05"), 1, true,
          {seat(1, "Ann", 100, false), seat(2, "bob", 110, true), seat(3, "Cat", 60, false),
           seat(4, "Dan", 80, true)},
          {{3, 3, -1}}, {QStringLiteral("cat")}, true);
    write(QStringLiteral("2024-02-20"), 2, false, {seat(1, "Bob", 30, false), seat(2, "Ann", 10, false)},
          {{10, -1, -1}}, {QStringLiteral("backstroke")}, false);
    // Watched: not the player's game at all.
    write(QStringLiteral("2024-03-01"), 6, false, {seat(1, "Bob", 200, true), seat(2, "Eve", 100, false)},
          {{10, -1, -1}}, {}, true);

    const Statistics stats = statistics(store.database());
    QCOMPARE(stats.totals.size(), 2);
    QCOMPARE(stats.totals[0].total, 150);
    QCOMPARE(stats.totals[1].total, 100);
    QCOMPARE(stats.totals[1].average, 125.0);
    QVERIFY(stats.best);
    QCOMPARE(stats.best->total, 150);

    QCOMPARE(stats.months.size(), 2);
    QCOMPARE(stats.months[0].month, QDate(2024, 1, 1));
    QCOMPARE(std::tuple(stats.months[0].frames, stats.months[0].strikes, stats.months[0].spares), std::tuple(3, 1, 1));
    QCOMPARE(std::tuple(stats.months[1].frames, stats.months[1].strikes, stats.months[1].spares), std::tuple(2, 1, 0));

    QCOMPARE(stats.opponents.size(), 3);
    const auto results = [](const Statistics::Results &r) { return std::tuple(r.against.toLower(), r.games, r.wins, r.losses); };
    QCOMPARE(results(stats.opponents[0]), std::tuple(QStringLiteral("bob"), 2, 1, 1));
    QStringList others{stats.opponents[1].against, stats.opponents[2].against};
    others.sort();
    QCOMPARE(others, (QStringList{QStringLiteral("Dan"), QStringLiteral("Robot (Easy)")}));
    QCOMPARE(stats.strengths.size(), 1);
    QCOMPARE(results(stats.strengths[0]), std::tuple(QStringLiteral("easy"), 1, 1, 0));

    QCOMPARE(stats.longestWords.size(), 3);
    QCOMPARE(stats.longestWords[0].word, QStringLiteral("backstroke"));
    QCOMPARE(stats.longestWords[1].word, QStringLiteral("streamline"));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
