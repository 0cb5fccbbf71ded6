#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <stdexcept>

// A field that should hold a number but does not. Handlers let it escape:
// the dispatcher shows it on the general error display and goes on.
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

// The field-parsing loop both sides use: take the text before the next '+'
// as a field and delete everything through that '+'. List payloads get an
// end marker appended ("+@" or "@") and are read until the remainder is "@".
class FieldReader
{
public:
    explicit FieldReader(QByteArray payload) : m_rest(std::move(payload)) {}

    // The text before the next '+'; the whole remainder when there is none.
    QByteArray take();
    int takeInt() { return strToInt(take()); }

    void appendEndMarker(QByteArrayView marker) { m_rest.append(marker); }
    // True while list items remain before the "@" end marker.
    bool hasListItem() const { return !m_rest.isEmpty() && m_rest != "@"; }

    const QByteArray &rest() const { return m_rest; }

private:
    QByteArray m_rest;
};
