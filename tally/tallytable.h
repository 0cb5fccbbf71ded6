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

// The tally's figures as decimal texts, 9 columns by 1 + n rows; an empty
// cell counts as 0.
//   row 0      own totals: 1 games, 2 wins alone, 3 games of 300, 4 strikes,
//              5 average (6 div 1), 6 sum of final scores; 0, 7, 8 unused
//   row r > 0  an opponent: 0 name, 1 games together, 2 the opponent's wins,
//              3 the player's wins, 4 neither won; 5..8 the same for this run
//
// Text layout (CR LF after every line): the column count, the row count,
// then every cell column by column, within a column row by row.
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
    // The winner text of a game the player won alone.
    static inline const QString kAddToMine = QStringLiteral("addtomine");

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
    // Records a finished game: winner is kAddToMine or the single other
    // winner's name; `present` are the other seated players. Throws
    // EConvertError at a cell that is not a number.
    void addgame(const QString &winner, const QStringList &present);
    // Adds a final score to the points sum and recomputes the average; while
    // no game is counted the average stays. Never throws.
    void figureave(int score);

    QStringList opponents() const;
    // The row of a tallied opponent, -1 when not tallied.
    int opponentRow(const QString &name) const;
    // Appends a row of zeros; false when the name is already tallied.
    bool addOpponent(const QString &name);
    void removeOpponent(int row);
    // Own totals emptied, every opponent removed.
    void reset();
    // The state after loading: empty own totals read "0", this run's
    // figures start at 0.
    void startSession();

    QByteArray toText() const;
    // Throws ETallyFormat or EConvertError when the text is not a table.
    static TallyTable fromText(const QByteArray &text);

private:
    using Row = std::array<QString, kColumns>;
    static Row zeroRow();

    std::vector<Row> m_rows;
};
