#include "protocol/joincode.h"

#include <QString>

namespace joincode {

QByteArray normalised(QByteArrayView typed)
{
    QByteArray code;
    for (const char c : typed) {
        if (c == ' ' || c == '-' || c == '\t')
            continue;
        const char upper = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        if (code.size() == kLength || !QByteArrayView(kAlphabet).contains(upper))
            return QByteArray();
        code += upper;
    }
    return code.size() == kLength ? code : QByteArray();
}

bool isCode(QStringView typed)
{
    if (typed.contains(QLatin1Char('.')) || typed.contains(QLatin1Char(':')) || typed.size() > 2 * kLength)
        return false;
    return !normalised(typed.toLatin1()).isEmpty();
}

} // namespace joincode
