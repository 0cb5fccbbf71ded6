#include "board/tileimages.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace tileimages {
namespace {

QFont arial(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QPixmap tile(const QString &letter)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, kSize);
    face.setColorAt(0, QColor(255, 250, 232));
    face.setColorAt(1, QColor(236, 222, 186));
    p.setBrush(face);
    p.setPen(QPen(QColor(140, 110, 70), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 5, 5);
    if (!letter.isEmpty()) {
        p.setPen(QColor(200, 16, 16));
        p.setFont(arial(26, true));
        p.drawText(QRect(0, 0, kSize, kSize - 1), Qt::AlignCenter, letter);
    }
    return pixmap;
}

void drawPin(QPainter &p, const QRectF &box, const QColor &body)
{
    // A bowling pin: head, neck, belly, standing in box.
    const qreal cx = box.center().x();
    const qreal w = box.width();
    const qreal top = box.top();
    const qreal h = box.height();
    QPainterPath pin;
    pin.moveTo(cx, top);
    pin.cubicTo(cx + w * 0.22, top, cx + w * 0.22, top + h * 0.22, cx + w * 0.12, top + h * 0.32);
    pin.cubicTo(cx + w * 0.05, top + h * 0.40, cx + w * 0.40, top + h * 0.55, cx + w * 0.26, top + h);
    pin.lineTo(cx - w * 0.26, top + h);
    pin.cubicTo(cx - w * 0.40, top + h * 0.55, cx - w * 0.05, top + h * 0.40, cx - w * 0.12, top + h * 0.32);
    pin.cubicTo(cx - w * 0.22, top + h * 0.22, cx - w * 0.22, top, cx, top);
    p.setBrush(body);
    p.setPen(QPen(QColor(90, 90, 90), 0.8));
    p.drawPath(pin);
    p.setPen(QPen(QColor(200, 20, 20), 1.6));
    p.drawLine(QPointF(cx - w * 0.11, top + h * 0.30), QPointF(cx + w * 0.11, top + h * 0.30));
}

QPixmap slot(int pin)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(150, 146, 136));
    p.setPen(QPen(QColor(96, 92, 84), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 5, 5);
    if (pin == 0) {
        // Knocked down: the pin lies on its side.
        p.translate(20.5, 24);
        p.rotate(70);
        drawPin(p, QRectF(-9, -15, 18, 30), QColor(225, 222, 214));
        return pixmap;
    }
    drawPin(p, QRectF(11, 4, 19, 33), QColor(250, 250, 246));
    p.setPen(QColor(40, 40, 40));
    p.setFont(arial(9, true));
    p.drawText(QRect(20 + (pin == 10 ? 5 : 8), 28, 14, 12), Qt::AlignLeft | Qt::AlignVCenter, QString::number(pin));
    return pixmap;
}

} // namespace

const QPixmap &picture(int index)
{
    static const std::array<QPixmap, kCount> strip = [] {
        std::array<QPixmap, kCount> pictures;
        pictures[0] = tile(QString());
        for (int i = 1; i <= 26; ++i)
            pictures[i] = tile(QString(QChar(u'A' + i - 1)));
        pictures[kKnockedDown] = slot(0);
        for (int k = 1; k <= 10; ++k)
            pictures[kKnockedDown + k] = slot(k);
        return pictures;
    }();
    static const QPixmap none;
    return index >= 0 && index < kCount ? strip[index] : none;
}

int numofletter(QChar letter)
{
    const char16_t c = letter.unicode();
    return c >= u'a' && c <= u'z' ? c - u'a' + 1 : 0;
}

} // namespace tileimages
