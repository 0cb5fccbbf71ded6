#include "chat/smilies.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace smilies {

namespace {

enum class Eyes { Dots, Wink, Closed, Happy, Wide, Glasses, Angry, Crosses };
enum class Mouth { Smile, Grin, Sad, Tongue, Open, Flat, Wavy, Kiss, Laugh, Frown };

struct Face
{
    QColor skin;
    Eyes eyes;
    Mouth mouth;
    enum Extra { None, Tear, Blush, Sleep, Horns, Sweat } extra = None;
};

const QColor kYellow(255, 214, 48);
const QColor kInk(60, 40, 10);

void drawEyes(QPainter &p, Eyes eyes)
{
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(kInk);
    switch (eyes) {
    case Eyes::Dots:
        p.drawEllipse(QPointF(5.8, 6), 1.1, 1.5);
        p.drawEllipse(QPointF(11.2, 6), 1.1, 1.5);
        break;
    case Eyes::Wink:
        p.drawEllipse(QPointF(5.8, 6), 1.1, 1.5);
        p.drawLine(QPointF(9.8, 6.2), QPointF(12.6, 6.2));
        break;
    case Eyes::Closed:
        p.drawLine(QPointF(4.5, 6.5), QPointF(7.2, 6.5));
        p.drawLine(QPointF(9.8, 6.5), QPointF(12.5, 6.5));
        break;
    case Eyes::Happy:
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.4, 5, 3, 3), 0, 180 * 16);
        p.drawArc(QRectF(9.6, 5, 3, 3), 0, 180 * 16);
        break;
    case Eyes::Wide:
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(5.8, 6), 1.8, 2.1);
        p.drawEllipse(QPointF(11.2, 6), 1.8, 2.1);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(5.8, 6.2), 0.6, 0.7);
        p.drawEllipse(QPointF(11.2, 6.2), 0.6, 0.7);
        break;
    case Eyes::Glasses:
        p.setBrush(QColor(20, 20, 20));
        p.drawRoundedRect(QRectF(3.4, 4.8, 4.6, 2.8), 1, 1);
        p.drawRoundedRect(QRectF(9.0, 4.8, 4.6, 2.8), 1, 1);
        p.drawLine(QPointF(8, 5.6), QPointF(9, 5.6));
        break;
    case Eyes::Angry:
        p.drawLine(QPointF(4.2, 4.4), QPointF(7.4, 5.8));
        p.drawLine(QPointF(12.8, 4.4), QPointF(9.6, 5.8));
        p.drawEllipse(QPointF(6.0, 7.0), 0.9, 0.9);
        p.drawEllipse(QPointF(11.0, 7.0), 0.9, 0.9);
        break;
    case Eyes::Crosses:
        p.drawLine(QPointF(4.6, 5.0), QPointF(7.0, 7.4));
        p.drawLine(QPointF(7.0, 5.0), QPointF(4.6, 7.4));
        p.drawLine(QPointF(10.0, 5.0), QPointF(12.4, 7.4));
        p.drawLine(QPointF(12.4, 5.0), QPointF(10.0, 7.4));
        break;
    }
}

// A mouth open from left to the mirrored right edge, its lips at top, its
// curve reaching down towards bottom.
void drawOpenMouth(QPainter &p, qreal left, qreal top, qreal bottom, const QColor &fill)
{
    QPainterPath mouth;
    mouth.moveTo(left, top);
    mouth.quadTo(8.5, bottom, 17 - left, top);
    mouth.closeSubpath();
    p.setBrush(fill);
    p.drawPath(mouth);
}

void drawMouth(QPainter &p, Mouth mouth)
{
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    switch (mouth) {
    case Mouth::Smile:
        p.drawArc(QRectF(4.5, 6.5, 8, 5.5), 200 * 16, 140 * 16);
        break;
    case Mouth::Grin:
        drawOpenMouth(p, 4.5, 9.5, 15, Qt::white);
        break;
    case Mouth::Sad:
        p.drawArc(QRectF(5, 10.5, 7, 4.5), 20 * 16, 140 * 16);
        break;
    case Mouth::Tongue:
        p.drawLine(QPointF(5, 10.5), QPointF(12, 10.5));
        p.setPen(QPen(QColor(170, 30, 40), 0.8));
        p.setBrush(QColor(235, 80, 90));
        p.drawChord(QRectF(8, 8.8, 3.6, 5), 180 * 16, 180 * 16);
        break;
    case Mouth::Open:
        p.setBrush(kInk);
        p.drawEllipse(QPointF(8.5, 11.3), 1.6, 1.9);
        break;
    case Mouth::Flat:
        p.drawLine(QPointF(5.5, 11), QPointF(11.5, 11));
        break;
    case Mouth::Wavy: {
        QPainterPath wave;
        wave.moveTo(5, 11);
        wave.cubicTo(6.5, 9.5, 7.5, 12.5, 8.5, 11);
        wave.cubicTo(9.5, 9.5, 10.5, 12.5, 12, 11);
        p.drawPath(wave);
        break;
    }
    case Mouth::Kiss:
        p.setPen(QPen(QColor(200, 30, 60), 1.3));
        p.drawArc(QRectF(7.3, 9.2, 2.4, 2), 270 * 16, 180 * 16);
        p.drawArc(QRectF(7.3, 11.0, 2.4, 2), 270 * 16, 180 * 16);
        break;
    case Mouth::Laugh:
        drawOpenMouth(p, 4, 9, 16, QColor(150, 30, 30));
        break;
    case Mouth::Frown:
        p.drawArc(QRectF(5, 10.5, 7, 4), 30 * 16, 120 * 16);
        p.drawLine(QPointF(5.8, 4.2), QPointF(7.2, 4.8));
        p.drawLine(QPointF(11.2, 4.2), QPointF(9.8, 4.8));
        break;
    }
}

void drawExtra(QPainter &p, Face::Extra extra)
{
    switch (extra) {
    case Face::None:
        break;
    case Face::Tear:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 150, 240));
        p.drawEllipse(QPointF(5.2, 9.4), 1.1, 1.6);
        p.drawEllipse(QPointF(11.8, 9.4), 1.1, 1.6);
        break;
    case Face::Blush:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 110, 110, 170));
        p.drawEllipse(QPointF(3.8, 9.2), 1.8, 1.1);
        p.drawEllipse(QPointF(13.2, 9.2), 1.8, 1.1);
        break;
    case Face::Sleep: {
        QFont font;
        font.setPixelSize(6);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(40, 70, 160));
        p.drawText(QRectF(11, -1, 6, 7), Qt::AlignCenter, QStringLiteral("z"));
        break;
    }
    case Face::Horns: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(170, 20, 20));
        QPolygonF left({QPointF(2.5, 0), QPointF(2.8, 4.5), QPointF(5.5, 2.8)});
        QPolygonF right({QPointF(14.5, 0), QPointF(14.2, 4.5), QPointF(11.5, 2.8)});
        p.drawPolygon(left);
        p.drawPolygon(right);
        break;
    }
    case Face::Sweat:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 170, 250));
        p.drawEllipse(QPointF(13.6, 4.2), 1.1, 1.5);
        break;
    }
}

QImage paintFace(const Face &face)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(6.5, 5), 10);
    shade.setColorAt(0, face.skin.lighter(125));
    shade.setColorAt(1, face.skin.darker(110));
    p.setPen(QPen(face.skin.darker(170), 0.9));
    p.setBrush(shade);
    p.drawEllipse(QRectF(1, 0.5, 15, 15));
    drawExtra(p, face.extra);
    drawEyes(p, face.eyes);
    drawMouth(p, face.mouth);
    return image;
}

QImage paintHeart()
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath heart;
    heart.moveTo(8.5, 14.5);
    heart.cubicTo(1, 9, 0.5, 3, 4.5, 2);
    heart.cubicTo(6.5, 1.5, 8, 3, 8.5, 4.5);
    heart.cubicTo(9, 3, 10.5, 1.5, 12.5, 2);
    heart.cubicTo(16.5, 3, 16, 9, 8.5, 14.5);
    QLinearGradient fill(0, 0, 0, kHeight);
    fill.setColorAt(0, QColor(255, 110, 120));
    fill.setColorAt(1, QColor(200, 20, 40));
    p.setPen(QPen(QColor(130, 10, 20), 0.9));
    p.setBrush(fill);
    p.drawPath(heart);
    return image;
}

std::array<QImage, kCount> paintAll()
{
    const QColor red(235, 70, 50), green(150, 210, 90), purple(170, 80, 200);
    const std::array<Face, kCount - 1> faces = {{
        {kYellow, Eyes::Dots, Mouth::Smile},                 // 0 smile
        {kYellow, Eyes::Dots, Mouth::Grin},                  // 1 grin
        {kYellow, Eyes::Wink, Mouth::Smile},                 // 2 wink
        {kYellow, Eyes::Dots, Mouth::Sad},                   // 3 sad
        {kYellow, Eyes::Dots, Mouth::Tongue},                // 4 tongue
        {kYellow, Eyes::Wide, Mouth::Open},                  // 5 surprised
        {red, Eyes::Angry, Mouth::Frown},                    // 6 angry
        {kYellow, Eyes::Glasses, Mouth::Smile},              // 7 cool
        {kYellow, Eyes::Closed, Mouth::Sad, Face::Tear},     // 8 crying
        {kYellow, Eyes::Happy, Mouth::Laugh},                // 9 laughing
        {kYellow, Eyes::Dots, Mouth::Wavy, Face::Sweat},     // 10 confused
        {kYellow, Eyes::Closed, Mouth::Kiss, Face::Blush},   // 11 kiss
        {kYellow, Eyes::Happy, Mouth::Smile, Face::Blush},   // 12 blushing
        {kYellow, Eyes::Closed, Mouth::Flat, Face::Sleep},   // 13 sleepy
        {kYellow, Eyes::Dots, Mouth::Flat},                  // 14 neutral
        {purple, Eyes::Angry, Mouth::Grin, Face::Horns},     // 15 devil
        {green, Eyes::Crosses, Mouth::Wavy},                 // 16 sick
    }};
    std::array<QImage, kCount> pictures;
    for (int i = 0; i < kCount - 1; ++i)
        pictures[i] = paintFace(faces[i]);
    pictures[kCount - 1] = paintHeart();   // 17 heart
    return pictures;
}

} // namespace

QImage picture(int index)
{
    // Painted when first shown: most games never show a smiley.
    static const std::array<QImage, kCount> pictures = paintAll();
    return pictures[index >= 0 && index < kCount ? index : 0];
}

QString name(int index)
{
    static const std::array<const char *, kCount> names = {
        "smile", "grin", "wink", "sad", "tongue out", "surprised", "angry", "cool", "crying",
        "laughing", "confused", "kiss", "blushing", "sleepy", "neutral", "devil", "sick", "heart"};
    return QLatin1String(names[index >= 0 && index < kCount ? index : 0]);
}

} // namespace smilies
