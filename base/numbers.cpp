#include "base/numbers.h"

#include <limits>

EConvertError::EConvertError(const QString &message) : std::runtime_error(message.toStdString()) {}

bool tryStrToInt(QByteArrayView text, int *value)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative)
        ++i;
    if (i == text.size())
        return false;
    qint64 result = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
        if (result > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return false;
    if (value)
        *value = int(result);
    return true;
}

int strToInt(QByteArrayView text)
{
    int value = 0;
    if (!tryStrToInt(text, &value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    return value;
}
