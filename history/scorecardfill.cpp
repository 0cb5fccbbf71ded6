#include "history/scorecardfill.h"

#include "board/scorecardmodel.h"
#include "board/scorecardview.h"
#include "ui/artwork.h"

#include <QFont>
#include <QLabel>
#include <QWidget>

#include <array>

namespace history {

namespace {

// Where the main window puts the card, the names and the totals.
constexpr QRect kCard(6, 5, 554, 205);
constexpr std::array<int, kSeats + 1> kSeatTop = {0, 49, 89, 129, 169};
constexpr QSize kPanel(566, 215);

QLabel *seatLabel(QWidget *panel, const QString &name, const QRect &place, int pixels, const QString &described)
{
    auto *label = new QLabel(panel);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleDescription(described);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xDD, 0, 0));
    label->setPalette(palette);
    return label;
}

} // namespace

void fillScoreCard(ScoreCardModel &card, const GameRecord &game)
{
    card.clearall();
    // The card learns a frame as the posted scores tell it: each frame's
    // letter counts, with the running totals the game ended with.
    std::array<std::array<int, kFrames>, kSeats + 1> running;
    for (auto &seat : running)
        seat.fill(-1);
    for (const FrameRecord &frame : game.frames) {
        for (const SeatFrame &s : frame.seats) {
            if (isSeat(s.seat) && isFrame(frame.frame))
                running[s.seat][frame.frame - 1] = s.running;
        }
    }
    for (const FrameRecord &frame : game.frames) {
        if (!isFrame(frame.frame))
            continue;
        msg::PostScores posted;
        posted.frame = frame.frame;
        posted.frameword = frame.word.toLatin1();
        posted.bonusword2 = frame.bonusWord2.toLatin1();
        posted.bonusword3 = frame.bonusWord3.toLatin1();
        for (const SeatRecord &seat : game.seats) {
            msg::SeatScore score;
            score.seat = seat.seat;
            score.total = seat.total;
            for (const SeatFrame &s : frame.seats) {
                if (s.seat == seat.seat && s.played)
                    score.counts = s.lengths;
            }
            score.running = running[seat.seat];
            posted.seats.append(score);
        }
        card.postscores(posted);
    }
    for (const SeatRecord &seat : game.seats)
        card.setScoreText(seat.seat, QString::number(seat.total));
}

QWidget *makeScoreCardPanel(ScoreCardModel *card, QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("history_card"));
    panel->setFixedSize(kPanel);
    auto *picture = new QLabel(panel);
    picture->setGeometry(kCard);
    picture->setPixmap(artwork::scorecardCard());
    picture->setAccessibleName(QStringLiteral("Scorecard"));
    new ScoreCardView(card, panel);
    for (int seat = 1; seat <= kSeats; ++seat) {
        const int top = kSeatTop[seat];
        seatLabel(panel, QStringLiteral("history_name%1").arg(seat), QRect(13, top, 94, 16), 13,
                  QStringLiteral("seat %1 player").arg(seat));
        QLabel *score = seatLabel(panel, QStringLiteral("history_score%1").arg(seat), QRect(381, top - 3, 33, 19),
                                  16, QStringLiteral("seat %1 score").arg(seat));
        score->setAlignment(Qt::AlignCenter);
    }
    return panel;
}

void showSeats(QWidget *panel, const GameRecord &game)
{
    for (int seat = 1; seat <= kSeats; ++seat) {
        auto *name = panel->findChild<QLabel *>(QStringLiteral("history_name%1").arg(seat));
        auto *score = panel->findChild<QLabel *>(QStringLiteral("history_score%1").arg(seat));
        const SeatRecord *s = game.seat(seat);
        if (name)
            name->setText(s ? s->name : QString());
        if (score)
            score->setText(s ? QString::number(s->total) : QString());
    }
}

} // namespace history
