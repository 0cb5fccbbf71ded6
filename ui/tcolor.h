#pragma once

#include <QColor>
#include <QtGlobal>

// Colours are kept as the 32-bit values the settings file and the chat
// messages carry: 0x00BBGGRR, red in the low byte.
inline QColor colorFromValue(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline quint32 valueFromColor(const QColor &color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

namespace colortext {

// The colour to draw a colour value of the settings file or the chat with;
// system colours come from the windows' own light palette, not the
// desktop's, and no colour draws as the window text.
QColor toColor(quint32 value);

} // namespace colortext
