#pragma once

#include "base/numbers.h"

#include <QByteArray>
#include <QByteArrayView>

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
