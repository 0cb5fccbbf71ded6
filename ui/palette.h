#pragma once

#include <QColor>
#include <QFont>

// The bowling-alley palette every painted picture shares.
namespace palette {

inline const QColor kMapleLight(240, 208, 156);
inline const QColor kMaple(218, 172, 108);
inline const QColor kMapleDark(168, 114, 58);
inline const QColor kWoodEdge(112, 70, 32);
inline const QColor kCream(255, 250, 236);
inline const QColor kCreamShade(244, 232, 204);
inline const QColor kRed(178, 26, 34);
inline const QColor kRedDark(118, 12, 20);
inline const QColor kNavy(28, 42, 76);
inline const QColor kNavyLight(58, 84, 138);
inline const QColor kSteel(150, 154, 162);
inline const QColor kSteelDark(96, 100, 110);

inline QFont sans(int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace palette
