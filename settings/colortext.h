#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The text form of colours used by the settings file and the chat messages.
// A colour is a 32-bit value: 0x00BBGGRR for a plain colour, 0x80000000 plus
// an index for a system colour (the desktop's window text, highlight, ...),
// and 0x1FFFFFFF for no colour.
namespace colortext {

inline constexpr quint32 kBlack = 0x000000;
inline constexpr quint32 kRed = 0x0000FF;
inline constexpr quint32 kBlue = 0xFF0000;
inline constexpr quint32 kSystemColour = 0x80000000;
inline constexpr quint32 kNone = 0x1FFFFFFF;
inline constexpr quint32 kSystemColours = 25;

// A name of the table ("clRed", "clWindowText"), or "$" and eight upper-case
// hexadecimal digits.
QString toText(quint32 value);

// A name of the table in any case, or a number: decimal, or hexadecimal
// after "$". Nothing when the text is neither.
std::optional<quint32> fromText(const QString &text);

} // namespace colortext
