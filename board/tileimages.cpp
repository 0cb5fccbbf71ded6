#include "board/tileimages.h"

#include "ui/palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <QtMath>

#include <array>
#include <map>

using namespace palette;

namespace tileimages {
namespace {

// A letter tile: cream face in a maple rim, the capital in deep red.
// A clear picture of a tile's size, at ratio device pixels per pixel.
QPixmap blank(qreal ratio)
{
    QPixmap pixmap(qCeil(kSize * ratio), qCeil(kSize * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap tile(const QString &letter, qreal ratio)
{
    QPixmap pixmap = blank(ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient rim(0, 0, kSize, kSize);
    rim.setColorAt(0, kMapleLight);
    rim.setColorAt(1, kMapleDark);
    p.setBrush(rim);
    p.setPen(QPen(kWoodEdge, 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 5, 5);

    QLinearGradient face(0, 3, 0, kSize - 3);
    face.setColorAt(0, kCream);
    face.setColorAt(1, kCreamShade);
    p.setBrush(face);
    p.setPen(QPen(QColor(150, 100, 50, 160), 1));
    p.drawRoundedRect(QRectF(3.5, 3.5, kSize - 7, kSize - 8), 3, 3);

    if (!letter.isEmpty()) {
        p.setFont(sans(25));
        const QRect box(3, 2, kSize - 6, kSize - 6);
        p.setPen(QColor(255, 255, 255, 200));
        p.drawText(box.translated(0, 1), Qt::AlignCenter, letter);
        p.setPen(kRed);
        p.drawText(box, Qt::AlignCenter, letter);
    }
    return pixmap;
}

// A bowling pin standing in box: round head, narrow neck with two red
// stripes, full belly, flat foot.
QPainterPath pinShape(const QRectF &box)
{
    const qreal cx = box.center().x();
    const qreal w = box.width();
    const qreal top = box.top();
    const qreal h = box.height();
    QPainterPath pin;
    pin.moveTo(cx, top);
    pin.cubicTo(cx + 0.38 * w, top, cx + 0.36 * w, top + 0.22 * h, cx + 0.17 * w, top + 0.31 * h);
    pin.cubicTo(cx + 0.12 * w, top + 0.36 * h, cx + 0.5 * w, top + 0.50 * h, cx + 0.5 * w, top + 0.70 * h);
    pin.cubicTo(cx + 0.5 * w, top + 0.86 * h, cx + 0.36 * w, top + h, cx + 0.28 * w, top + h);
    pin.lineTo(cx - 0.28 * w, top + h);
    pin.cubicTo(cx - 0.36 * w, top + h, cx - 0.5 * w, top + 0.86 * h, cx - 0.5 * w, top + 0.70 * h);
    pin.cubicTo(cx - 0.5 * w, top + 0.50 * h, cx - 0.12 * w, top + 0.36 * h, cx - 0.17 * w, top + 0.31 * h);
    pin.cubicTo(cx - 0.36 * w, top + 0.22 * h, cx - 0.38 * w, top, cx, top);
    pin.closeSubpath();
    return pin;
}

void drawPin(QPainter &p, const QRectF &box, int shade)
{
    const QPainterPath pin = pinShape(box);
    // Lit from the left: the body rounds off towards its right edge.
    QLinearGradient body(box.left(), 0, box.right(), 0);
    body.setColorAt(0, QColor(236 - shade, 236 - shade, 232 - shade));
    body.setColorAt(0.35, QColor(255 - shade, 255 - shade, 252 - shade));
    body.setColorAt(1, QColor(196 - shade, 196 - shade, 192 - shade));
    p.setBrush(body);
    p.setPen(QPen(QColor(70, 72, 80), 0.9));
    p.drawPath(pin);
    p.save();
    p.setClipPath(pin);
    const qreal h = box.height();
    p.fillRect(QRectF(box.left(), box.top() + 0.33 * h, box.width(), 0.045 * h), kRed);
    p.fillRect(QRectF(box.left(), box.top() + 0.41 * h, box.width(), 0.045 * h), kRed);
    p.restore();
}

// The lane-grey slot of the word row, darker once its pin is down.
void slotGround(QPainter &p, bool down)
{
    QLinearGradient ground(0, 0, 0, kSize);
    ground.setColorAt(0, down ? QColor(120, 124, 134) : QColor(176, 180, 188));
    ground.setColorAt(1, down ? QColor(92, 96, 106) : QColor(138, 142, 152));
    p.setBrush(ground);
    p.setPen(QPen(kSteelDark, 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 5, 5);
    p.setPen(QPen(QColor(0, 0, 0, 50), 1));
    p.drawLine(QPointF(4, 2.5), QPointF(kSize - 4, 2.5));
}

QPixmap slot(int pin, qreal ratio)
{
    QPixmap pixmap = blank(ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    slotGround(p, pin == 0);
    if (pin == 0) {
        // Knocked down: the pin lies on its side across the slot.
        p.save();
        p.translate(20.5, 22);
        p.rotate(-72);
        drawPin(p, QRectF(-8, -16, 16, 32), 30);
        p.restore();
        return pixmap;
    }
    // A soft shadow at the foot, then the pin.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(QRectF(10, 34, 17, 4));
    drawPin(p, QRectF(10.5, 3, 16, 33), 0);
    // The pin's number in the corner, navy on a cream dot.
    p.setBrush(kCream);
    p.setPen(QPen(kNavy, 0.8));
    const QRectF dot(pin == 10 ? 24.5 : 26.5, 25.5, pin == 10 ? 15 : 13, 13);
    p.drawRoundedRect(dot, 6.5, 6.5);
    p.setPen(kNavy);
    p.setFont(sans(10));
    p.drawText(dot.adjusted(0, 0, 0, 0.5), Qt::AlignCenter, QString::number(pin));
    return pixmap;
}

} // namespace

const QPixmap &picture(int index, qreal ratio)
{
    // Each picture is painted the first time it is asked for at a ratio,
    // and kept: a window that shows ten pins at start paints ten pictures,
    // not 38.
    static std::map<qreal, std::array<QPixmap, kCount>> strips;
    static const QPixmap none;
    if (index < 0 || index >= kCount)
        return none;
    QPixmap &picture = strips[ratio][index];
    if (picture.isNull()) {
        if (index == 0)
            picture = tile(QString(), ratio);
        else if (index <= 26)
            picture = tile(QString(QChar(u'A' + index - 1)), ratio);
        else
            picture = slot(index - kKnockedDown, ratio);
    }
    return picture;
}

int numofletter(QChar letter)
{
    const char16_t c = letter.unicode();
    return c >= u'a' && c <= u'z' ? c - u'a' + 1 : 0;
}

QString describe(int index)
{
    if (index >= 1 && index <= 26)
        return QString(QChar(u'A' + index - 1));
    if (index == kKnockedDown)
        return QStringLiteral("knocked-down pin");
    if (index > kKnockedDown && index < kCount)
        return QStringLiteral("pin %1").arg(index - kKnockedDown);
    return index == 0 ? QStringLiteral("blank tile") : QStringLiteral("empty");
}

} // namespace tileimages
