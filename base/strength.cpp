#include "base/strength.h"

QString strengthName(Strength strength)
{
    switch (strength) {
    case Strength::Easy:
        return QStringLiteral("Easy");
    case Strength::Medium:
        return QStringLiteral("Medium");
    case Strength::Hard:
        break;
    }
    return QStringLiteral("Hard");
}

std::optional<Strength> strengthFromText(QStringView text)
{
    for (const Strength strength : {Strength::Easy, Strength::Medium, Strength::Hard}) {
        if (text.compare(strengthName(strength), Qt::CaseInsensitive) == 0)
            return strength;
    }
    return std::nullopt;
}
