#include "history/gamerecord.h"

#include <QStringList>

namespace history {

const SeatRecord *GameRecord::seat(int number) const
{
    for (const SeatRecord &s : seats) {
        if (s.seat == number)
            return &s;
    }
    return nullptr;
}

QList<int> GameRecord::winners() const
{
    QList<int> out;
    for (const SeatRecord &s : seats) {
        if (s.winner)
            out.append(s.seat);
    }
    return out;
}

QString GameRecord::winnerNames() const
{
    QStringList names;
    for (const SeatRecord &s : seats) {
        if (s.winner)
            names.append(s.name);
    }
    return names.join(QStringLiteral(", "));
}

QString GameRecord::playersWithTotals() const
{
    QStringList parts;
    for (const SeatRecord &s : seats)
        parts.append(QStringLiteral("%1 %2").arg(s.name).arg(s.total));
    return parts.join(QStringLiteral(", "));
}

QString strengthKey(Strength strength)
{
    return strengthName(strength).toLower();
}

QString wordOf(QStringView text)
{
    QString word;
    for (const QChar c : text) {
        const QChar lower = c.toLower();
        if (lower >= QLatin1Char('a') && lower <= QLatin1Char('z'))
            word.append(lower);
        if (word.size() == kMaxWordLength)
            break;
    }
    return word;
}

QString nameOf(QStringView text)
{
    QStringView kept = text.left(kMaxNameLength);
    // Never keep half of a character.
    if (!kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    return kept.toString();
}

} // namespace history
