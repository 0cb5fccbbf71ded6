#include "ui/artwork.h"

#include "ui/palette.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

using namespace palette;

namespace artwork {
namespace {

// A clear picture of w x h pixels, at ratio device pixels per pixel: a
// painter on it draws in pixels, finer where the screen is.
QPixmap blank(int w, int h, qreal ratio)
{
    QPixmap pixmap(qCeil(w * ratio), qCeil(h * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A rule along a row or a column, its ends included as drawLine has them,
// a whole number of device pixels thick and as thick as every other rule:
// a one-pixel line scaled by 1.5 would be one device pixel here and two
// there. For pictures painted without a transform of their own.
void rule(QPainter &p, int x1, int y1, int x2, int y2, const QColor &colour)
{
    const qreal ratio = p.device()->devicePixelRatioF();
    const int thickness = std::max(1, int(ratio));
    const auto edge = [ratio](int at) { return qRound(at * ratio); };
    const int left = edge(std::min(x1, x2));
    const int top = edge(std::min(y1, y2));
    const int width = x1 == x2 ? thickness : edge(std::max(x1, x2) + 1) - left;
    const int height = y1 == y2 ? thickness : edge(std::max(y1, y2) + 1) - top;
    p.save();
    p.resetTransform();
    p.scale(1 / ratio, 1 / ratio); // device pixels
    p.fillRect(left, top, width, height, colour);
    p.restore();
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

QPixmap littleMark(int index, qreal ratio)
{
    QPixmap pixmap = blank(9, 13, ratio);
    QPainter p(&pixmap);
    if (index == 13 || index == 14) {
        // The empty boxes are opaque and of these exact colours.
        p.fillRect(QRect(0, 0, 9, 13), index == 13 ? QColor(255, 254, 244) : QColor(236, 235, 230));
        return pixmap;
    }
    // Spares and strikes in red, counts in navy, as on a real sheet. Each
    // glyph pixel covers whole device pixels, so strokes stay sharp.
    const QColor ink = index == 11 || index == 12 ? kRed : kNavy;
    const auto edge = [ratio](int at) { return qRound(at * ratio); };
    p.scale(1 / ratio, 1 / ratio);
    const auto &glyph = kGlyphs[index];
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 7; ++x) {
            if (glyph[y][x] == '#')
                p.fillRect(QRect(QPoint(edge(x + 1), edge(y + 1)), QPoint(edge(x + 2) - 1, edge(y + 2) - 1)), ink);
        }
    }
    return pixmap;
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
    const QColor line(124, 132, 150);
    rule(p, x - 1, y - 1, x - 1, y + 13, line);
    rule(p, x - 1, y + 13, x + 9, y + 13, line);
    rule(p, x - 1, y - 1, x + 9, y - 1, line);
    if (closedRight)
        rule(p, x + 9, y - 1, x + 9, y + 13, line);
}

} // namespace

QPixmap scorecardCard(qreal ratio)
{
    QPixmap pixmap = blank(554, 205, ratio);
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
        const QRect score(kTotalLeft + 3, top + 17, 28, 21);
        p.fillRect(score, QColor(255, 254, 244));
        const QColor edge(200, 184, 150);
        rule(p, score.left(), score.top(), score.right(), score.top(), edge);
        rule(p, score.left(), score.bottom(), score.right(), score.bottom(), edge);
        rule(p, score.left(), score.top(), score.left(), score.bottom(), edge);
        rule(p, score.right(), score.top(), score.right(), score.bottom(), edge);
        // Faint lines under the three words.
        for (const int y : {12, 24, 37})
            rule(p, kWordsLeft + 4, top + y, 546, top + y, QColor(226, 214, 186));
    }

    // Rules: navy under the heads and around the card, lighter between the
    // seats and frames.
    const QColor light(150, 158, 178);
    for (int s = 1; s < 4; ++s)
        rule(p, 1, kOy + kBand * s, 552, kOy + kBand * s, light);
    for (int f = 1; f <= 10; ++f)
        rule(p, frameLeft(f), kOy - 1, frameLeft(f), kBottom, light);
    rule(p, kTotalLeft, kOy - 1, kTotalLeft, kBottom, light);
    rule(p, kWordsLeft, kOy - 1, kWordsLeft, kBottom, light);
    rule(p, 1, kOy - 1, 552, kOy - 1, kNavy);
    rule(p, 1, kBottom, 552, kBottom, kNavy);
    rule(p, 1, kOy - 2, 552, kOy - 2, kRed);
    rule(p, 1, kBottom + 1, 552, kBottom + 1, kRed);

    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWoodEdge, 1));
    p.drawPath(outline);
    return pixmap;
}

QPixmap commandButton(const QString &caption, qreal ratio)
{
    QPixmap pixmap = blank(104, 23, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 103, 22), 11, QColor(204, 44, 48), kRedDark, QColor(84, 8, 14));
    p.setFont(sans(13));
    embossedText(p, QRect(0, 0, 104, 23), caption, kCream, QColor(70, 4, 10));
    return pixmap;
}

QPixmap sortButton(qreal ratio)
{
    // A bowling ball with two arrows chasing round it: the letters change
    // places.
    QPixmap pixmap = blank(32, 32, ratio);
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

QPixmap timerFrame(qreal ratio)
{
    QPixmap pixmap = blank(107, 44, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 106, 43), 6, kMapleLight, kMapleDark, kWoodEdge);
    // The empty track the bar shrinks along.
    p.setBrush(QColor(16, 22, 38));
    p.setPen(QPen(QColor(92, 58, 26), 1));
    p.drawRoundedRect(QRectF(4.5, 3.5, 99, 36), 3, 3);
    return pixmap;
}

QPixmap timerBar(qreal ratio)
{
    QPixmap pixmap = blank(97, 34, ratio);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, 34);
    fill.setColorAt(0, QColor(72, 108, 172));
    fill.setColorAt(0.45, QColor(40, 66, 124));
    fill.setColorAt(1, QColor(24, 40, 82));
    p.fillRect(QRect(0, 0, 97, 34), fill);
    p.fillRect(QRect(0, 1, 97, 1), QColor(255, 255, 255, 60));
    return pixmap;
}

QPixmap logo(qreal ratio)
{
    QPixmap pixmap = blank(58, 24, ratio);
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
QPixmap framedPanel(QSize size, const QColor &frame, int pixelSize, const QRect &textRect, const QString &text,
                    qreal ratio)
{
    QPixmap pixmap = blank(size.width(), size.height(), ratio);
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

QPixmap noPlayBanner(qreal ratio)
{
    return framedPanel({238, 41}, kNavy, 15, QRect(0, 0, 238, 41), QStringLiteral("Not playing this frame"), ratio);
}

QPixmap badWordPanel(qreal ratio)
{
    return framedPanel({240, 57}, kRed, 17, QRect(0, 5, 240, 24), QStringLiteral("Invalid Word"), ratio);
}

QPixmap okPicture(qreal ratio)
{
    QPixmap pixmap = blank(40, 18, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    plate(p, QRectF(0.5, 0.5, 39, 17), 8.5, kNavyLight, kNavy, QColor(10, 16, 34));
    p.setFont(sans(12));
    embossedText(p, QRect(0, 0, 40, 18), QStringLiteral("OK"), kCream, QColor(6, 10, 24));
    return pixmap;
}

QPixmap eyes(qreal ratio)
{
    QPixmap pixmap = blank(25, 9, ratio);
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

QPixmap winnerBanner(qreal ratio)
{
    QPixmap pixmap = blank(94, 16, ratio);
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

QPixmap formBackground(const QSize &size, qreal ratio)
{
    // Maple boards: light wood with soft grain, drawn from a fixed sequence
    // so the program's own random numbers are left alone. Soft enough to be
    // drawn at the finest screen's ratio and shown on any.
    if (ratio <= 0)
        ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1;
    QPixmap pixmap = blank(size.width(), size.height(), ratio);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, QColor(240, 220, 184));
    fill.setColorAt(1, QColor(226, 200, 156));
    p.fillRect(QRect(QPoint(0, 0), size), fill);
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

const QPixmap &littlePicture(int index, qreal ratio)
{
    // One strip per ratio the card has been drawn at.
    static std::map<qreal, std::array<QPixmap, kLittleCount>> strips;
    static const QPixmap none;
    if (index < 0 || index >= kLittleCount)
        return none;
    auto [at, made] = strips.try_emplace(ratio);
    if (made) {
        for (int i = 0; i < kLittleCount; ++i)
            at->second[i] = littleMark(i, ratio);
    }
    return at->second[index];
}

} // namespace artwork
