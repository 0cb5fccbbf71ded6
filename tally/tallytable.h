#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <stdexcept>
#include <vector>

// Text that does not hold a tally table.
class ETallyFormat : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The winner of a finished game as the tally records it: the player, or the
// one other seat that won, by the name its label shows. Kept apart from any
// name, so that an opponent can be called anything at all.
class TallyWinner
{
public:
    static TallyWinner player() { return TallyWinner(QString(), true); }
    static TallyWinner opponent(const QString &name) { return TallyWinner(name, false); }

    bool isPlayer() const { return m_player; }
    // The opponent's name; empty for the player.
    const QString &name() const { return m_name; }

private:
    TallyWinner(QString name, bool player) : m_name(std::move(name)), m_player(player) {}

    QString m_name;
    bool m_player;
};

// The tally's figures as decimal texts, 9 columns by 1 + n rows; an empty
// cell counts as 0.
//   row 0      own totals: 1 games, 2 wins alone, 3 games of 300, 4 strikes,
//              5 average (6 div 1), 6 sum of final scores; 0, 7, 8 unused
//   row r > 0  an opponent: 0 name, 1 games together, 2 the opponent's wins,
//              3 the player's wins, 4 neither won; 5..8 the same for this run
//
// Text layout (CR LF after every line): the column count, the row count,
// then every cell column by column, within a column row by row. A text of
// more than kMaxRows rows, a line longer than kMaxLineBytes or a text longer
// than kMaxTextBytes is not a tally but a damaged file.
class TallyTable
{
public:
    static constexpr int kColumns = 9;
    // Own totals in row 0.
    static constexpr int kGames = 1;
    static constexpr int kWins = 2;
    static constexpr int kPerfectGames = 3;
    static constexpr int kStrikes = 4;
    static constexpr int kAverage = 5;
    static constexpr int kPoints = 6;
    // Opponent rows; the same figures for this run are kSession columns on.
    static constexpr int kTogether = 1;
    static constexpr int kTheirWins = 2;
    static constexpr int kMyWins = 3;
    static constexpr int kNeitherWon = 4;
    static constexpr int kSession = 4;
    // Far beyond any real tally, and small enough that a file cannot make
    // the program read or build more than some tens of megabytes.
    static constexpr int kMaxRows = 10000;
    static constexpr int kMaxLineBytes = 4096;
    static constexpr qint64 kMaxTextBytes = qint64(kMaxRows) * (kMaxLineBytes + 1);

    TallyTable();

    int rowCount() const { return int(m_rows.size()); }
    // Out-of-range cells read as empty and ignore writes.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    // Adds 1 to a cell and returns the new value; throws EConvertError when
    // the cell holds something other than a number.
    int addit(int column, int row);
    // Adds 1 to an own total; a cell that is not a number becomes "1".
    QString addtomineincrease(int column);
    // Records a finished game that one seat won; `opponents` are the other
    // seated players' names. Throws EConvertError at a cell that is not a
    // number.
    void addgame(const TallyWinner &winner, const QStringList &opponents);
    // Adds a final score to the points sum and recomputes the average; while
    // no game is counted the average stays. Never throws.
    void figureave(int score);

    QStringList opponents() const;
    // The row of a tallied opponent, -1 when not tallied.
    int opponentRow(const QString &name) const;
    // Appends a row of zeros; false when the name is already tallied, is
    // longer than a line of the text may be, or the table is full.
    bool addOpponent(const QString &name);
    void removeOpponent(int row);
    // Own totals emptied, every opponent removed.
    void reset();
    // The state after loading: empty own totals read "0", this run's
    // figures start at 0.
    void startSession();

    QByteArray toText() const;
    // Throws ETallyFormat or EConvertError when the text is not a table or
    // exceeds the limits above. Lines after the table's last cell are ignored.
    static TallyTable fromText(const QByteArray &text);

private:
    using Row = std::array<QString, kColumns>;
    static Row zeroRow();

    std::vector<Row> m_rows;
};
