#include "ui/artwork.h"

#include "ui/palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>

using namespace palette;

namespace artwork {
namespace {

QPixmap blank(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Caption with a one-pixel shadow, so it stays legible on any ground.
void embossedText(QPainter &p, const QRect &box, const QString &text, const QColor &ink, const QColor &shadow)
{
    p.setPen(shadow);
    p.drawText(box.translated(0, 1), Qt::AlignCenter, text);
    p.setPen(ink);
    p.drawText(box, Qt::AlignCenter, text);
}

// A rounded plate with a vertical gradient, a dark rim and a thin light
// edge along its top: the common shape of buttons and panels.
void plate(QPainter &p, const QRectF &box, qreal radius, const QColor &top, const QColor &bottom,
           const QColor &rim)
{
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setBrush(fill);
    p.setPen(QPen(rim, 1));
    p.drawRoundedRect(box, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(box.left() + radius, box.top() + 1.5), QPointF(box.right() - radius, box.top() + 1.5));
}

// The scorecard's marks as pixel glyphs, 7 x 11 inside the 9 x 13 cell:
// crisp at their one size, where a scaled font would blur.
constexpr std::array<std::array<const char *, 11>, 13> kGlyphs = {{
    {"..###..", ".##.##.", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##",
     ".##.##.", "..###.."},
    {"...##..", "..###..", ".####..", "...##..", "...##..", "...##..", "...##..", "...##..", "...##..",
     "...##..", ".######"},
    {".#####.", "##...##", ".....##", ".....##", "....##.", "...##..", "..##...", ".##....", "##.....",
     "##.....", "#######"},
    {".#####.", "##...##", ".....##", ".....##", "..####.", ".....##", ".....##", ".....##", ".....##",
     "##...##", ".#####."},
    {"....##.", "...###.", "..####.", ".##.##.", "##..##.", "##..##.", "#######", "....##.", "....##.",
     "....##.", "....##."},
    {"#######", "##.....", "##.....", "######.", ".....##", ".....##", ".....##", ".....##", ".....##",
     "##...##", ".#####."},
    {"..####.", ".##....", "##.....", "##.....", "######.", "##...##", "##...##", "##...##", "##...##",
     "##...##", ".#####."},
    {"#######", ".....##", ".....##", "....##.", "....##.", "...##..", "...##..", "..##...", "..##...",
     "..##...", "..##..."},
    {".#####.", "##...##", "##...##", "##...##", ".#####.", "##...##", "##...##", "##...##", "##...##",
     "##...##", ".#####."},
    {".#####.", "##...##", "##...##", "##...##", "##...##", ".######", ".....##", ".....##", ".....##",
     "....##.", ".####.."},
    {".......", ".......", ".......", ".......", ".......", "#######", "#######", ".......", ".......",
     ".......", "......."},
    {".....##", ".....##", "....##.", "....##.", "...##..", "...##..", "..##...", "..##...", ".##....",
     ".##....", "##....."},
    {"##...##", "##...##", ".##.##.", ".##.##.", "..###..", "..###..", "..###..", ".##.##.", ".##.##.",
     "##...##", "##...##"},
}};

QPixmap littleMark(int index)
{
    QImage image(9, 13, QImage::Format_ARGB32);
    if (index == 13 || index == 14) {
        // The empty boxes are opaque and of these exact colours.
        image.fill(index == 13 ? QColor(255, 254, 244) : QColor(236, 235, 230));
        return QPixmap::fromImage(image);
    }
    image.fill(Qt::transparent);
    // Spares and strikes in red, counts in navy, as on a real sheet.
    const QRgb ink = (index == 11 || index == 12 ? kRed : kNavy).rgb();
    const auto &glyph = kGlyphs[index];
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 7; ++x) {
            if (glyph[y][x] == '#')
                image.setPixel(x + 1, y + 1, ink);
        }
    }
    return QPixmap::fromImage(image);
}

// Card geometry: the paint box of marks lies at (101, 23) on the card;
// frame f covers x 26(f-1) .. 26f-1 there, seat bands are 40 high. Mark
// boxes sit 3, 16 (and in frame 10 29) pixels into a frame, 2 below the
// band's top; the total row's digit cells fill offsets 1 .. 25, 22 below.
constexpr int kOx = 101, kOy = 23, kPitch = 26, kBand = 40;
constexpr int kTotalLeft = kOx + 9 * kPitch + 40;   // 375: frame 10 is 40 wide
constexpr int kWordsLeft = kTotalLeft + 34;
constexpr int kBottom = kOy + 4 * kBand;

int frameLeft(int f)
{
    return kOx + kPitch * (f - 1);
}

void markBox(QPainter &p, int x, int y, const QColor &fill, bool closedRight)
{
    // The fill is the box picture's own colour, so a frame whose boxes are
    // not painted over looks the same as one that is.
    p.fillRect(x, y, closedRight ? 9 : 10, 13, fill);
    p.setPen(QColor(124, 132, 150));
    p.drawLine(x - 1, y - 1, x - 1, y + 13);
    p.drawLine(x - 1, y + 13, x + 9, y + 13);
    p.drawLine(x - 1, y - 1, x + 9, y - 1);
    if (closedRight)
        p.drawLine(x + 9, y - 1, x + 9, y + 13);
}

} // namespace

QPixmap scorecardCard()
{
    QPixmap pixmap = blank(554, 205);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0.5, 0.5, 553, 204), 7, 7);
    p.fillPath(outline, kCream);

    // Maple strips above and below the bands: the heads and the word line.
    p.save();
    p.setClipPath(outline);
    QLinearGradient wood(0, 0, 0, kOy);
    wood.setColorAt(0, kMapleLight);
    wood.setColorAt(1, kMaple);
    p.fillRect(QRect(0, 0, 554, kOy - 1), wood);
    QLinearGradient foot(0, kBottom, 0, 205);
    foot.setColorAt(0, kMaple);
    foot.setColorAt(1, kMapleLight);
    p.fillRect(QRect(0, kBottom + 1, 554, 205 - kBottom), foot);
    p.restore();
    p.setRenderHint(QPainter::Antialiasing, false);

    // Seat bands, a shade apart.
    for (int s = 0; s < 4; ++s)
        p.fillRect(QRect(1, kOy + kBand * s, 552, kBand), s % 2 ? QColor(248, 241, 222) : kCream);

    // Heads.
    p.setFont(sans(12));
    p.setPen(kNavy);
    for (int f = 1; f <= 10; ++f)
        p.drawText(QRect(frameLeft(f), 3, f == 10 ? 40 : kPitch, 18), Qt::AlignCenter, QString::number(f));
    p.setFont(sans(10));
    p.drawText(QRect(kTotalLeft, 3, 34, 18), Qt::AlignCenter, QStringLiteral("TOTAL"));
    p.drawText(QRect(kWordsLeft + 6, 3, 130, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("WORDS"));

    for (int s = 0; s < 4; ++s) {
        const int top = kOy + kBand * s;
        for (int f = 1; f <= 10; ++f) {
            const int x = frameLeft(f);
            markBox(p, x + 3, top + 2, QColor(255, 254, 244), true);
            markBox(p, x + 16, top + 2, QColor(236, 235, 230), f == 10);
            if (f == 10)
                markBox(p, x + 29, top + 2, QColor(236, 235, 230), true);
            // The running total's three cells.
            p.fillRect(x + 1, top + 22, f == 10 ? 38 : 25, 13, QColor(255, 254, 244));
        }
        // Behind the seat's score.
        p.setPen(QColor(200, 184, 150));
        p.setBrush(QColor(255, 254, 244));
        p.drawRect(kTotalLeft + 3, top + 17, 27, 20);
        p.setBrush(Qt::NoBrush);
        // Faint lines under the three words.
        p.setPen(QColor(226, 214, 186));
        for (const int y : {12, 24, 37})
            p.drawLine(kWordsLeft + 4, top + y, 546, top + y);
    }

    // Rules: navy under the heads and around the card, lighter between the
    // seats and frames.
    const QColor rule(150, 158, 178);
    p.setPen(rule);
    for (int s = 1; s < 4; ++s)
        p.drawLine(1, kOy + kBand * s, 552, kOy + kBand * s);
    for (int f = 1; f <= 10; ++f)
        p.drawLine(frameLeft(f), kOy - 1, frameLeft(f), kBottom);
    p.drawLine(kTotalLeft, kOy - 1, kTotalLeft, kBottom);
    p.drawLine(kWordsLeft, kOy - 1, kWordsLeft, kBottom);
    p.setPen(kNavy);
    p.drawLine(1, kOy - 1, 552, kOy - 1);
    p.drawLine(1, kBottom, 552, kBottom);
    p.setPen(kRed);
    p.drawLine(1, kOy - 2, 552, kOy - 2);
    p.drawLine(1, kBottom + 1, 552, kBottom + 1);

    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWoodEdge, 1));
    p.drawPath(outline);
    return pixmap;
}

QPixmap commandButton(const QString &caption)
{
    QPixmap pixmap = blank(104, 23);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 103, 22), 11, QColor(204, 44, 48), kRedDark, QColor(84, 8, 14));
    p.setFont(sans(13));
    embossedText(p, pixmap.rect(), caption, kCream, QColor(70, 4, 10));
    return pixmap;
}

QPixmap sortButton()
{
    // A bowling ball with two arrows chasing round it: the letters change
    // places.
    QPixmap pixmap = blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient ball(QPointF(11, 9), 22);
    ball.setColorAt(0, kNavyLight);
    ball.setColorAt(1, QColor(14, 22, 44));
    p.setBrush(ball);
    p.setPen(QPen(QColor(8, 12, 26), 1));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kCream, 2.2, Qt::SolidLine, Qt::RoundCap));
    const QRectF ring(9, 9, 14, 14);
    p.drawArc(ring, 30 * 16, 120 * 16);
    p.drawArc(ring, 210 * 16, 120 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kCream);
    p.drawPolygon(QPolygonF({QPointF(5.5, 15), QPointF(12.5, 15), QPointF(9, 20)}));
    p.drawPolygon(QPolygonF({QPointF(19.5, 17), QPointF(26.5, 17), QPointF(23, 12)}));
    return pixmap;
}

QPixmap timerFrame()
{
    QPixmap pixmap = blank(107, 44);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 106, 43), 6, kMapleLight, kMapleDark, kWoodEdge);
    // The empty track the bar shrinks along.
    p.setBrush(QColor(16, 22, 38));
    p.setPen(QPen(QColor(92, 58, 26), 1));
    p.drawRoundedRect(QRectF(4.5, 3.5, 99, 36), 3, 3);
    return pixmap;
}

QPixmap timerBar()
{
    QPixmap pixmap(97, 34);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, 34);
    fill.setColorAt(0, QColor(72, 108, 172));
    fill.setColorAt(0.45, QColor(40, 66, 124));
    fill.setColorAt(1, QColor(24, 40, 82));
    p.fillRect(pixmap.rect(), fill);
    p.fillRect(QRect(0, 1, 97, 1), QColor(255, 255, 255, 60));
    return pixmap;
}

QPixmap logo()
{
    QPixmap pixmap = blank(58, 24);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 57, 23), 5, kNavyLight, kNavy, QColor(10, 16, 34));
    p.setFont(sans(13));
    embossedText(p, QRect(0, 0, 58, 23), QStringLiteral("Pinlex"), kCream, QColor(6, 10, 24));
    p.setPen(QPen(kRed, 2));
    p.drawLine(QPointF(12, 19.5), QPointF(46, 19.5));
    return pixmap;
}

namespace {

// A cream panel framed in colour, with an embossed line of text.
QPixmap framedPanel(QSize size, const QColor &frame, int pixelSize, const QRect &textRect, const QString &text)
{
    QPixmap pixmap = blank(size.width(), size.height());
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF border(1, 1, size.width() - 2, size.height() - 2);
    plate(p, border, 8, kCream, kCreamShade, frame);
    p.setPen(QPen(frame, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(border, 8, 8);
    p.setFont(sans(pixelSize));
    embossedText(p, textRect, text, frame, QColor(255, 255, 255));
    return pixmap;
}

} // namespace

QPixmap noPlayBanner()
{
    return framedPanel({238, 41}, kNavy, 15, QRect(0, 0, 238, 41), QStringLiteral("Not playing this frame"));
}

QPixmap badWordPanel()
{
    return framedPanel({240, 57}, kRed, 17, QRect(0, 5, 240, 24), QStringLiteral("Invalid Word"));
}

QPixmap okPicture()
{
    QPixmap pixmap = blank(40, 18);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 39, 17), 8.5, kNavyLight, kNavy, QColor(10, 16, 34));
    p.setFont(sans(12));
    embossedText(p, pixmap.rect(), QStringLiteral("OK"), kCream, QColor(6, 10, 24));
    return pixmap;
}

QPixmap eyes()
{
    QPixmap pixmap = blank(25, 9);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    for (const qreal x : {1.0, 14.0}) {
        QPainterPath eye;
        eye.moveTo(x, 4.5);
        eye.quadTo(x + 5, -1.5, x + 10, 4.5);
        eye.quadTo(x + 5, 10.5, x, 4.5);
        p.setPen(QPen(kNavy, 1));
        p.setBrush(Qt::white);
        p.drawPath(eye);
        p.setPen(Qt::NoPen);
        p.setBrush(kNavyLight);
        p.drawEllipse(QPointF(x + 5, 4.5), 2.4, 2.4);
        p.setBrush(kNavy);
        p.drawEllipse(QPointF(x + 5, 4.5), 1.1, 1.1);
    }
    return pixmap;
}

QPixmap winnerBanner()
{
    QPixmap pixmap = blank(94, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 93, 15), 7.5, QColor(204, 44, 48), kRedDark, QColor(84, 8, 14));
    // A gold star at either end.
    const auto star = [&p](QPointF c) {
        QPolygonF points;
        for (int i = 0; i < 10; ++i) {
            const qreal r = i % 2 ? 2.2 : 5;
            const qreal a = M_PI / 5 * i - M_PI / 2;
            points << c + QPointF(r * std::cos(a), r * std::sin(a));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(246, 200, 72));
        p.drawPolygon(points);
    };
    star(QPointF(10, 8.5));
    star(QPointF(84, 8.5));
    p.setFont(sans(11));
    embossedText(p, QRect(0, 0, 94, 15), QStringLiteral("WINNER"), kCream, QColor(70, 4, 10));
    return pixmap;
}

QPixmap formBackground(const QSize &size)
{
    // Maple boards: light wood with soft grain, drawn from a fixed sequence
    // so the program's own random numbers are left alone.
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, QColor(240, 220, 184));
    fill.setColorAt(1, QColor(226, 200, 156));
    p.fillRect(pixmap.rect(), fill);
    p.setRenderHint(QPainter::Antialiasing);
    quint32 seed = 12345;
    const auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    };
    for (int y = 2; y < size.height(); y += 3 + next(4)) {
        QPainterPath grain;
        grain.moveTo(0, y);
        for (int x = 0; x < size.width(); x += 60)
            grain.quadTo(x + 30, y + next(5) - 2, x + 60, y);
        p.setPen(QPen(QColor(196, 156, 100, 40 + next(40)), 1));
        p.drawPath(grain);
    }
    return pixmap;
}

const QPixmap &littlePicture(int index)
{
    static const std::array<QPixmap, kLittleCount> strip = [] {
        std::array<QPixmap, kLittleCount> pictures;
        for (int i = 0; i < kLittleCount; ++i)
            pictures[i] = littleMark(i);
        return pictures;
    }();
    static const QPixmap none;
    return index >= 0 && index < kLittleCount ? strip[index] : none;
}

} // namespace artwork
