#include "ui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace artwork {
namespace {

QFont arial(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QPixmap blank(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

const QColor kInk(55, 68, 72);
const QColor kRed(221, 0, 0);

} // namespace

QPixmap scorecardCard()
{
    // Card geometry: the paint box of marks lies at (101, 23) on the card;
    // frame f covers x 26(f-1) .. 26f-1 there, seat bands are 40 high.
    constexpr int kOx = 101, kOy = 23, kBand = 40;
    QPixmap pixmap = blank(554, 205);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0.5, 0.5, 553, 204), 6, 6);
    QLinearGradient paper(0, 0, 0, 205);
    paper.setColorAt(0, QColor(255, 253, 240));
    paper.setColorAt(1, QColor(244, 238, 214));
    p.fillPath(outline, paper);
    p.setPen(QPen(QColor(120, 96, 60), 1));
    p.drawPath(outline);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Heads.
    p.setFont(arial(10, true));
    p.setPen(kInk);
    for (int f = 1; f <= 10; ++f)
        p.drawText(QRect(kOx + 26 * (f - 1), 6, f == 10 ? 36 : 26, 16), Qt::AlignCenter, QString::number(f));
    p.drawText(QRect(375, 6, 33, 16), Qt::AlignCenter, QStringLiteral("Total"));
    p.drawText(QRect(415, 6, 130, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Words"));

    // Seat bands and frame cells.
    const QColor rule(170, 150, 110);
    for (int s = 0; s < 4; ++s) {
        const int top = kOy + kBand * s;
        p.fillRect(QRect(4, top, 546, kBand), s % 2 ? QColor(238, 232, 206, 120) : QColor(255, 255, 255, 90));
        p.setPen(rule);
        p.drawLine(4, top, 549, top);
        for (int f = 1; f <= 10; ++f) {
            const int x = kOx + 26 * (f - 1);
            const int w = f == 10 ? 38 : 26;
            p.drawRect(x, top + 1, w, kBand - 2);
            // The mark boxes' frame: the marks themselves are painted over.
            p.drawRect(x + 2, top + 1, w - 2, 15);
        }
        p.drawRect(375, top + 17, 33, 21); // behind the seat's score
    }
    p.setPen(rule);
    p.drawLine(4, kOy + 4 * kBand, 549, kOy + 4 * kBand);
    return pixmap;
}

QPixmap commandButton(const QString &caption)
{
    QPixmap pixmap = blank(104, 23);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 23);
    fill.setColorAt(0, QColor(146, 36, 28));
    fill.setColorAt(1, QColor(96, 18, 14));
    p.setBrush(fill);
    p.setPen(QPen(QColor(60, 10, 8), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, 103, 22), 10, 10);
    p.setPen(QColor(255, 240, 200));
    p.setFont(arial(12, true));
    p.drawText(pixmap.rect(), Qt::AlignCenter, caption);
    return pixmap;
}

QPixmap sortButton()
{
    QPixmap pixmap = blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(146, 36, 28));
    p.setPen(QPen(QColor(60, 10, 8), 1));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setPen(QPen(QColor(255, 240, 200), 2));
    // Two crossing arrows: the letters change places.
    p.drawLine(9, 11, 23, 21);
    p.drawLine(9, 21, 23, 11);
    p.drawLine(23, 21, 18, 21);
    p.drawLine(23, 21, 23, 16);
    p.drawLine(23, 11, 18, 11);
    p.drawLine(23, 11, 23, 16);
    return pixmap;
}

QPixmap timerFrame()
{
    QPixmap pixmap = blank(107, 44);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(60, 52, 40));
    p.setPen(QPen(QColor(30, 24, 18), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, 106, 43), 6, 6);
    return pixmap;
}

QPixmap timerBar()
{
    QPixmap pixmap(97, 34);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, 34);
    fill.setColorAt(0, QColor(64, 140, 72));
    fill.setColorAt(1, QColor(24, 84, 36));
    p.fillRect(pixmap.rect(), fill);
    return pixmap;
}

QPixmap logo()
{
    QPixmap pixmap = blank(58, 24);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(96, 18, 14));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, 58, 24), 5, 5);
    p.setPen(QColor(255, 236, 180));
    p.setFont(arial(13, true));
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Pinlex"));
    return pixmap;
}

QPixmap noPlayBanner()
{
    QPixmap pixmap = blank(238, 41);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 250, 230, 235));
    p.setPen(QPen(kRed, 2));
    p.drawRoundedRect(QRectF(1, 1, 236, 39), 8, 8);
    p.setPen(kRed);
    p.setFont(arial(14, true));
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Not playing this frame"));
    return pixmap;
}

QPixmap badWordPanel()
{
    QPixmap pixmap = blank(240, 57);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 250, 230));
    p.setPen(QPen(kRed, 2));
    p.drawRoundedRect(QRectF(1, 1, 238, 55), 8, 8);
    p.setPen(kRed);
    p.setFont(arial(16, true));
    p.drawText(QRect(0, 4, 240, 26), Qt::AlignCenter, QStringLiteral("Invalid Word"));
    return pixmap;
}

QPixmap okPicture()
{
    return commandButton(QStringLiteral("OK")).scaled(40, 18, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap eyes()
{
    QPixmap pixmap = blank(25, 9);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    for (int x : {1, 14}) {
        p.setBrush(Qt::white);
        p.setPen(QPen(Qt::black, 1));
        p.drawEllipse(QRectF(x + 0.5, 0.5, 9, 8));
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(x + 3.5, 2.5, 4, 4));
    }
    return pixmap;
}

QPixmap winnerBanner()
{
    QPixmap pixmap = blank(94, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(236, 190, 40));
    p.setPen(QPen(QColor(140, 100, 10), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, 93, 15), 7, 7);
    p.setPen(QColor(90, 50, 0));
    p.setFont(arial(11, true));
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("WINNER"));
    return pixmap;
}

QPixmap formBackground(const QSize &size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, QColor(205, 196, 168));
    fill.setColorAt(1, QColor(178, 168, 136));
    p.fillRect(pixmap.rect(), fill);
    return pixmap;
}

} // namespace artwork
