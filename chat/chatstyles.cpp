#include "chat/chatstyles.h"

#include "ui/windowpalette.h"

#include <QPalette>

QFont TextStyle::font() const
{
    QFont font(fontName);
    font.setPointSize(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

bool TextStyle::sameMetrics(const TextStyle &other) const
{
    return fontName == other.fontName && pointSize == other.pointSize && bold == other.bold
           && italic == other.italic;
}

ChatStyles::ChatStyles()
{
    const QColor blue(0, 0, 255), navy(0, 0, 128), maroon(128, 0, 0), green(0, 128, 0), silver(192, 192, 192);
    m_styles[0].colour = blue;
    m_styles[1].colour = blue;
    m_styles[1].bold = true;
    m_styles[2].colour = navy;
    m_styles[2].bold = true;
    m_styles[3].colour = maroon;
    m_styles[3].italic = true;
    for (int link : {4, 5}) {
        m_styles[link].colour = green;
        m_styles[link].underline = true;
        m_styles[link].link = true;
    }
    m_styles[6].colour = silver;
    m_styles[7].colour = silver;
    // The chat's page is white whatever the desktop's theme.
    const QColor windowText = windowpalette::fixed().color(QPalette::Text);
    for (int slot = 8; slot < kCount; ++slot)
        m_styles[slot].colour = windowText;
}

void ChatStyles::setPointSize(int points)
{
    for (TextStyle &style : m_styles)
        style.pointSize = qBound(kMinPointSize, points, kMaxPointSize);
}
