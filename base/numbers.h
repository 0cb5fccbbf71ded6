#pragma once

#include <QByteArrayView>
#include <QString>

#include <stdexcept>

// A text that should hold a number but does not. Message handlers let it
// escape: the dispatcher shows it on the general error display and goes on.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Decimal text to a 32-bit integer: optional '-' and digits, nothing else.
// Throws EConvertError "'text' is not a valid integer value".
int strToInt(QByteArrayView text);
// The same without throwing.
bool tryStrToInt(QByteArrayView text, int *value);
