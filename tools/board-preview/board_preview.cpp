// Not a test: composes a mock board and scorecard, as the main window lays
// them out, into PNG files to look at while drawing the artwork.
//   cmake --build build --target board_preview && build/bin/board_preview <folder>
#include "board/boardview.h"
#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "board/scorecardview.h"
#include "board/tileimages.h"
#include "client/turnclock.h"
#include "client/turnclockview.h"
#include "protocol/messages.h"
#include "ui/artwork.h"
#include "ui/controls.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>

namespace {

// A message from the host, as the board receives it.
template <typename Message>
Message fromHost(const QByteArray &command, const QByteArray &payload)
{
    return std::get<Message>(*msg::readToClient(command + '+' + payload));
}

msg::PostScores scores(const QByteArray &payload)
{
    return fromHost<msg::PostScores>("CMD_postscores", payload);
}

QLabel *label(QWidget *parent, const QRect &box, const QString &text, int px, const QColor &colour,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(box);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(px);
    font.setBold(true);
    l->setFont(font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    l->setAlignment(align);
    return l;
}

PictureBox *picture(QWidget *parent, const QRect &box, const QPixmap &pixmap, bool stretch = false)
{
    auto *p = new PictureBox(parent);
    p->setGeometry(box);
    p->setPicture(pixmap, stretch);
    return p;
}

QByteArray postscoresPayload()
{
    // Seats after frame 4 of a game.
    return "4+stroke+backstroke"
           "+1*71*10*-1*-1*backstroke**+1#1#20#2#38#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
           "+2*45*6*4*-1*stroke*back*+2#1#9#2#17#3#45#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
           "+3*22*3*0*-1*tor**+3#1#5#2#12#3#19#4#22#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
           "+4*0*-1*-1*-1***+4#1#0#2#0#3#0#4#0#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1";
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    QWidget panel;
    panel.resize(567, 335);
    panel.setAutoFillBackground(true);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, QColor(190, 183, 155));
    panel.setPalette(pal);

    picture(&panel, {6, 5, 554, 205}, artwork::scorecardCard());
    ScoreCardModel score;
    score.goodword(1, 3, 1, 10);
    score.postscores(scores("1+backstroke+backstroke+1*10*10*-1*-1*backstroke**+1#1#-1"));
    score.postscores(scores("2+stroke+backstroke+1*20*6*4*-1*stroke*back*+1#1#20"));
    score.postscores(scores("3+stroke+backstroke+1*20*9*0*-1*stroke*back*+1#2#39#3#48"));
    score.postscores(scores(postscoresPayload()));
    score.postscores(scores("10+stroke+backstroke+upholster+lumberjack+3*300*10*10*10*backstroke*upholster*lumberjack+3#10#300"
                     "+4*0*3*7*3*tor*backs*tor+4#10#105"));
    score.goodword(1, 5, 1, 6);
    new ScoreCardView(&score, &panel);

    label(&panel, {16, 15, 87, 14}, QStringLiteral("Good Luck!"), 11, Qt::black);
    const QStringList names = {QString(), QStringLiteral("Alice"), QStringLiteral("Bob"), QStringLiteral("Carmen"),
                               QStringLiteral("<Waiting>")};
    const int tops[5][4] = {{}, {0, 28, 41, 53}, {0, 68, 80, 93}, {0, 108, 120, 133}, {0, 147, 160, 173}};
    for (int s = 1; s <= 4; ++s) {
        const int y = 49 + 40 * (s - 1);
        label(&panel, {13, y, 94, 16}, names[s], 13, QColor(221, 0, 0));
        label(&panel, {381, y - 3, 33, 19}, score.scoreText(s), 16, QColor(221, 0, 0), Qt::AlignCenter);
        for (int k = 1; k <= 3; ++k)
            label(&panel, {421, tops[s][k], 134, 13}, score.wordText(s, k), 11, Qt::black);
    }
    picture(&panel, {11, 32, 94, 16}, artwork::winnerBanner());
    picture(&panel, {12, 83, 25, 9}, artwork::eyes());
    label(&panel, {16, 189, 536, 14}, score.theWordCaption(), 13, QColor(72, 68, 55),
          Qt::AlignRight | Qt::AlignVCenter);

    picture(&panel, {8, 213, 104, 23}, artwork::commandButton(QStringLiteral("Clear")));
    picture(&panel, {120, 213, 104, 23}, artwork::commandButton(QStringLiteral("Send")));
    label(&panel, {230, 216, 327, 16}, QStringLiteral("You knocked down 6 pins."), 13, Qt::black);

    RackModel rack;
    rack.setMyseat(1);
    rack.theletters(fromHost<msg::TheLetters>("CMD_theletters", "0+4+b+9+a+2+c+7+k+1+s+10+t+3+r+6+o+5+k+8+e"));
    rack.openBoard();
    rack.selectTile(4);
    rack.selectTile(9);
    rack.selectTile(5);
    rack.liftTile(7);
    new BoardView(&rack, &panel);

    picture(&panel, {465, 241, 32, 32}, artwork::sortButton());
    picture(&panel, {453, 288, 107, 44}, artwork::timerFrame());
    TurnClock clock;
    clock.setTurnlimit(60);
    clock.start();
    for (int i = 0; i < 44; ++i)
        clock.tick();
    picture(&panel, {459, 293, turnclockview::barWidth(clock), 34}, artwork::timerBar(), true);
    label(&panel, {463, 301, 90, 18}, clock.text(), 15, QColor(224, 227, 157));
    label(&panel, {450, 275, 113, 14}, clock.turnTimeText(), 11, Qt::black);
    picture(&panel, {6, 300, 58, 24}, artwork::logo());

    const QImage board = panel.grab().toImage();
    board.save(out.filePath(QStringLiteral("board.png")));
    // Closer looks, three times the size.
    const auto zoom = [&](const QRect &part, const QString &name) {
        board.copy(part).scaled(part.size() * 3).save(out.filePath(name));
    };
    zoom({0, 0, 200, 110}, QStringLiteral("zoom-card-left.png"));
    zoom({300, 0, 267, 110}, QStringLiteral("zoom-card-right.png"));
    zoom({0, 205, 240, 130}, QStringLiteral("zoom-board-left.png"));
    zoom({330, 205, 237, 130}, QStringLiteral("zoom-board-right.png"));

    // The invalid-word panel and the not-playing picture over the board.
    auto *bad = picture(&panel, {120, 246, 240, 57}, artwork::badWordPanel());
    picture(bad, {100, 33, 40, 18}, artwork::okPicture());
    panel.grab().save(out.filePath(QStringLiteral("board-badword.png")));
    bad->hide();
    picture(&panel, {128, 262, 238, 41}, artwork::noPlayBanner());
    panel.grab().save(out.filePath(QStringLiteral("board-noplay.png")));

    // Every tile and mark, four times their size.
    QImage strip(10 * 43 + 2, 4 * 43 + 2 + 15, QImage::Format_ARGB32);
    strip.fill(QColor(190, 183, 155));
    {
        QPainter p(&strip);
        for (int i = 0; i < tileimages::kCount; ++i)
            p.drawPixmap(2 + 43 * (i % 10), 2 + 43 * (i / 10), tileimages::picture(i));
        for (int i = 0; i < artwork::kLittleCount; ++i)
            p.drawPixmap(2 + 11 * i, 4 * 43 + 2, artwork::littlePicture(i));
    }
    strip.scaled(strip.size() * 3).save(out.filePath(QStringLiteral("strips.png")));
    return 0;
}
