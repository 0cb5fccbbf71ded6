#include "tally/tallytable.h"

#include "base/numbers.h"

#include <QList>

namespace {

// An empty cell counts as 0; anything else must be a decimal number.
bool tryFigure(const QString &text, int *value)
{
    if (text.isEmpty()) {
        *value = 0;
        return true;
    }
    return tryStrToInt(text.toLatin1(), value);
}

int figure(const QString &text)
{
    return text.isEmpty() ? 0 : strToInt(text.toLatin1());
}

QString number(qint64 value)
{
    return QString::number(value);
}

} // namespace

TallyTable::TallyTable() : m_rows{zeroRow()} {}

TallyTable::Row TallyTable::zeroRow()
{
    Row row;
    row.fill(QStringLiteral("0"));
    return row;
}

QString TallyTable::cell(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= rowCount())
        return QString();
    return m_rows[size_t(row)][size_t(column)];
}

void TallyTable::setCell(int column, int row, const QString &text)
{
    if (column < 0 || column >= kColumns || row < 0 || row >= rowCount())
        return;
    m_rows[size_t(row)][size_t(column)] = text;
}

int TallyTable::addit(int column, int row)
{
    const qint64 value = qint64(figure(cell(column, row))) + 1;
    setCell(column, row, number(value));
    return int(value);
}

QString TallyTable::addtomineincrease(int column)
{
    int value = 0;
    const QString text = tryFigure(cell(column, 0), &value) ? number(qint64(value) + 1) : QStringLiteral("1");
    setCell(column, 0, text);
    return text;
}

void TallyTable::addgame(const TallyWinner &winner, const QStringList &opponents)
{
    addtomineincrease(kGames);
    if (winner.isPlayer())
        addtomineincrease(kWins);
    for (const QString &name : opponents) {
        const int row = opponentRow(name);
        if (row < 0)
            continue;
        for (int column = 1; column < kColumns; ++column) {
            if (cell(column, row).isEmpty())
                setCell(column, row, QStringLiteral("0"));
        }
        int result = kNeitherWon;
        if (winner.isPlayer())
            result = kMyWins;
        else if (name == winner.name())
            result = kTheirWins;
        for (const int column : {kTogether, result}) {
            addit(column, row);
            addit(column + kSession, row);
        }
    }
}

void TallyTable::figureave(int score)
{
    int points = 0;
    if (!tryFigure(cell(kPoints, 0), &points))
        return;
    const qint64 sum = qint64(points) + score;
    setCell(kPoints, 0, number(sum));
    int games = 0;
    if (!tryFigure(cell(kGames, 0), &games) || games == 0)
        return;
    setCell(kAverage, 0, number(sum / games));
}

QStringList TallyTable::opponents() const
{
    QStringList names;
    for (size_t row = 1; row < m_rows.size(); ++row)
        names.append(m_rows[row][0]);
    return names;
}

int TallyTable::opponentRow(const QString &name) const
{
    for (size_t row = 1; row < m_rows.size(); ++row) {
        if (m_rows[row][0] == name)
            return int(row);
    }
    return -1;
}

bool TallyTable::addOpponent(const QString &name)
{
    // A row the file could not hold would make the whole file unreadable.
    if (rowCount() >= kMaxRows || name.toUtf8().size() > kMaxLineBytes || opponentRow(name) >= 0)
        return false;
    Row row = zeroRow();
    row[0] = name;
    m_rows.push_back(row);
    return true;
}

void TallyTable::removeOpponent(int row)
{
    if (row >= 1 && row < rowCount())
        m_rows.erase(m_rows.begin() + row);
}

void TallyTable::reset()
{
    m_rows.assign(1, Row());
}

void TallyTable::startSession()
{
    for (int column = kGames; column <= kPoints; ++column) {
        if (cell(column, 0).isEmpty())
            setCell(column, 0, QStringLiteral("0"));
    }
    for (size_t row = 1; row < m_rows.size(); ++row) {
        for (int column = kTogether + kSession; column < kColumns; ++column)
            m_rows[row][size_t(column)] = QStringLiteral("0");
    }
}

QByteArray TallyTable::toText() const
{
    const QByteArray end = "\r\n";
    QByteArray text = QByteArray::number(kColumns) + end + QByteArray::number(rowCount()) + end;
    for (int column = 0; column < kColumns; ++column) {
        for (const Row &row : m_rows) {
            // A line break inside a name would shift every later cell.
            QString cellText = row[size_t(column)];
            cellText.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            text += cellText.toUtf8() + end;
        }
    }
    return text;
}

TallyTable TallyTable::fromText(const QByteArray &text)
{
    if (text.size() > kMaxTextBytes)
        throw ETallyFormat("the table's text is too long");
    // Lines end at LF, a CR before it dropped; only the lines the table
    // needs are read, each checked against the limit as it is taken.
    qsizetype at = 0;
    const auto nextLine = [&text, &at]() -> QByteArrayView {
        if (at >= text.size())
            throw ETallyFormat("the table's rows are missing");
        qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            end = text.size();
        QByteArrayView line = QByteArrayView(text).sliced(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > kMaxLineBytes)
            throw ETallyFormat("a line of the table is too long");
        return line;
    };
    if (text.isEmpty())
        throw ETallyFormat("the table's size is missing");
    if (strToInt(nextLine()) != kColumns)
        throw ETallyFormat("the table does not have 9 columns");
    const int rows = strToInt(nextLine());
    if (rows < 1 || rows > kMaxRows)
        throw ETallyFormat("the table's row count is out of range");
    std::vector<QByteArrayView> cells;
    cells.reserve(size_t(rows) * kColumns);
    bool utf8 = true;
    for (int k = 0; k < rows * kColumns; ++k) {
        cells.push_back(nextLine());
        utf8 = utf8 && cells.back().isValidUtf8();
    }
    // Files written by older single-byte versions are not UTF-8.
    TallyTable table;
    table.m_rows.assign(size_t(rows), Row());
    auto cell = cells.cbegin();
    for (int column = 0; column < kColumns; ++column) {
        for (Row &row : table.m_rows) {
            row[size_t(column)] = utf8 ? QString::fromUtf8(*cell) : QString::fromLatin1(*cell);
            ++cell;
        }
    }
    return table;
}
