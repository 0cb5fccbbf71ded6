#pragma once

#include "history/gamerecord.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>


// The game history file: an SQLite database in write-ahead-log mode, one
// transaction per frame, so that a crash or a kill loses at most the frame
// in play. Everything here blocks; a store belongs to the thread that made
// it (the recorder's thread, a command, a test).
//
// Schema, version 1 (the schema table holds the version; open() migrates an
// older file forward and leaves a newer one alone, unwritten):
//   games        id, key (unique), started (s since 1970 UTC), duration (s),
//                table_name, team, seconds_per_turn, own_slot, joined_late,
//                finished
//   seats        game, seat, name, name_key (case-folded), computer (NULL or
//                "easy" / "medium" / "hard"), total, winner
//   frames       game, frame, rack, word, bonus2, bonus3
//   frame_scores game, frame, seat, first, second, third (NULL before a late
//                join), running
//   words        game, frame, seat, ord, word, accepted
class HistoryStore
{
public:
    static inline const QString kFileName = QStringLiteral("Pinlex1history.sqlite");
    static constexpr int kSchemaVersion = 1;

    // In the records folder, beside the tally file; the environment
    // variable PINLEX_HISTORY_FILE names another file.
    static QString defaultPath();

    explicit HistoryStore(QString path = defaultPath());
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    const QString &path() const { return m_path; }

    // Opens the file, making it when there is none. A file that cannot be
    // opened or fails its check is kept aside under a dated name and a new
    // one is started. Returns a line for the chat when something of the
    // kind happened or games cannot be recorded; empty when all is well.
    // Check::Later leaves the check of every page, which takes a while for
    // a long history, to check(); a file that is no game history at all is
    // found at once either way.
    enum class Check { Now, Later };
    QString open(Check check = Check::Now);
    // Opens for reading only, as a listing does: nothing in the file or
    // beside it is changed, a damaged file included.
    QString openToRead();
    // The check open() left for later; what it returns is as open()'s.
    QString check();
    // Readable (writable or a newer version's file).
    bool isOpen() const { return m_state != State::Closed; }
    // Games may be recorded.
    bool isWritable() const { return m_state == State::Writable; }
    void close();

    // The name the last damaged file was kept under.
    const QString &keptAside() const { return m_keptAside; }

    // A running total an earlier frame learnt later: a strike's or spare's
    // waits for the next words.
    struct RunningTotal
    {
        int seat = 0;
        int frame = 0;
        int running = -1;

        bool operator==(const RunningTotal &) const = default;
    };

    // One frame's transaction: the game and its seats as they stand
    // (written with its first frame), the frame, and the running totals of
    // earlier frames that changed. False when nothing was written.
    bool writeFrame(const history::GameRecord &game, const history::FrameRecord &frame,
                    const QList<RunningTotal> &earlier);
    // Marks a recorded game finished with its winners and totals; a game
    // of which no frame was written stays unwritten, and one of which a
    // frame could not be written stays unfinished.
    bool finishGame(const history::GameRecord &game);

    // The connection, for queries on this thread.
    QSqlDatabase database() const;
    QString lastError() const { return m_lastError; }

private:
    enum class State { Closed, Writable, ReadOnly };
    enum class Outcome { Ready, Newer, Damaged, Busy };
    static constexpr int kNotOurs = -1;
    static constexpr int kInUse = -2;

    Outcome tryOpen(bool fullCheck, bool readOnly = false);
    Outcome integrity();
    QString startAnew();
    QString notRecorded() const;
    int schemaVersion();
    bool migrate(int from);
    bool keepAside();
    bool exec(const QString &statement);
    qint64 upsertGame(const history::GameRecord &game);

    QString m_path;
    QString m_connection;
    State m_state = State::Closed;
    QString m_keptAside;
    QString m_lastError;
    // Games of this run of which a frame could not be written, by key.
    QSet<QString> m_notWhole;
};
