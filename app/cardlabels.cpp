#include "app/cardlabels.h"

#include "app/formhelpers.h"
#include "board/scorecardmodel.h"
#include "client/gameflow.h"
#include "client/roster.h"
#include "robots/robottable.h"
#include "ui/artwork.h"

#include <QMouseEvent>

using namespace formhelpers;

CardLabels::CardLabels(QWidget *b, const Roster &roster, const ScoreCardModel &score, const GameFlow &flow,
                       const RobotTable &robots)
    : QObject(b), m_roster(roster), m_score(score), m_flow(flow), m_robots(robots)
{
    m_teamGame = makeLabel(b, QStringLiteral("label_teamgame"), {16, 15, 87, 14}, QStringLiteral("Good Luck!"),
                           QStringLiteral("game kind"));
    m_teamGame->setFont(arial(11, true));
    constexpr std::array<int, 5> kSeatY = {0, 49, 89, 129, 169};
    constexpr std::array<int, 5> kWinnerY = {0, 32, 73, 113, 154};
    constexpr std::array<std::array<int, 4>, 5> kWordTops = {{{}, {0, 28, 41, 53}, {0, 68, 80, 93},
                                                              {0, 108, 120, 133}, {0, 147, 160, 173}}};
    for (int n = 1; n <= 4; ++n) {
        Seat &seat = m_seats[n];
        const int y = kSeatY[n];
        // A long name is drawn cut short; the whole name stays the label's text.
        seat.name = new ElidedLabel(QStringLiteral("<Waiting>"), b);
        seat.name->setObjectName(QStringLiteral("label_playername%1").arg(n));
        seat.name->setGeometry(13, y, 94, 16);
        seat.name->setAccessibleDescription(QStringLiteral("seat %1 player").arg(n));
        seat.name->setFont(arial(13, true));
        seat.name->setProperty("tag", n);
        seat.name->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(seat.name, &QWidget::customContextMenuRequested, this,
                [this, n](const QPoint &at) { emit seatMenuRequested(n, m_seats[n].name->mapToGlobal(at)); });
        seat.score = makeLabel(b, QStringLiteral("label_score%1").arg(n), {381, y - 3, 33, 19}, QStringLiteral("0"));
        seat.score->setAlignment(Qt::AlignCenter);
        seat.score->setFont(arial(16, true));
        seat.eyes = makeLazyPicture(b, QStringLiteral("image_eyes%1").arg(n), {12, y - 6, 25, 9}, &artwork::eyes,
                                    QStringLiteral("seat %1 is just watching").arg(n));
        seat.eyes->hide();
        seat.winner = makeLazyPicture(b, QStringLiteral("image_winner%1").arg(n), {11, kWinnerY[n], 94, 16},
                                      &artwork::winnerBanner, QStringLiteral("seat %1 won").arg(n));
        seat.winner->hide();
        for (int k = 1; k <= 3; ++k) {
            seat.words[k] = makeLabel(b, QStringLiteral("label_word%1%2").arg(n).arg(k),
                                      {421, kWordTops[n][k], 134, 13}, QString(),
                                      QStringLiteral("seat %1 word %2").arg(n).arg(k));
            seat.words[k]->setFont(arial(11, true));
            offerMeaning(seat.words[k]);
        }
    }
    m_theWord = makeLabel(b, QStringLiteral("label_theword"), {16, 189, 536, 14}, QString(),
                          QStringLiteral("word line"));
    m_theWord->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_theWord->setFont(arial(13, true));
    setTextColour(m_theWord, 3621960);
    offerMeaning(m_theWord);

    connect(&roster, &Roster::seatChanged, this, [this](int seat) {
        if (seat < 1 || seat > 4)
            return;
        m_seats[seat].name->setText(m_roster.seatName(seat));
        m_seats[seat].name->show();
        m_seats[seat].score->show();
        refreshSeat(seat);
    });
    connect(&robots, &RobotTable::seatsChanged, this, [this] {
        for (int seat = 1; seat <= 4; ++seat)
            refreshSeat(seat);
    });
    connect(&roster, &Roster::watchingChanged, this, [this](int seat, bool watching) {
        if (seat >= 1 && seat <= 4)
            m_seats[seat].eyes->setVisible(watching);
    });
    connect(&score, &ScoreCardModel::textsChanged, this, &CardLabels::refreshCard);
    connect(&flow, &GameFlow::changed, this, &CardLabels::refreshGame);
    refreshGame();
    refreshCard();
}

void CardLabels::offerMeaning(QLabel *label)
{
    label->installEventFilter(this);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(QStringLiteral("Click to see what the word means"));
}

bool CardLabels::eventFilter(QObject *watched, QEvent *event)
{
    const auto *click = event->type() == QEvent::MouseButtonRelease ? static_cast<QMouseEvent *>(event) : nullptr;
    if (!click || click->button() != Qt::LeftButton)
        return false;
    const auto *label = static_cast<QLabel *>(watched);
    // The word line reads "Original Word: SPARE" or "Original Words: A / B / C".
    const QString word = label == m_theWord ? label->text().section(QStringLiteral(": "), 1).section(u' ', 0, 0)
                                            : label->text();
    if (!word.isEmpty())
        emit wordClicked(word);
    return false;
}

void CardLabels::refreshGame()
{
    m_teamGame->setText(m_flow.teamGameText());
    for (int seat = 1; seat <= 4; ++seat) {
        m_seats[seat].winner->setVisible(m_flow.winnerShown(seat));
        setTextColour(m_seats[seat].name, m_flow.seatColour(seat));
        setTextColour(m_seats[seat].score, m_flow.seatColour(seat));
    }
}

void CardLabels::refreshSeat(int seat)
{
    const std::optional<Strength> strength = m_robots.strengthAt(seat);
    const QString kind = strength ? QStringLiteral("computer player (%1)").arg(strengthName(*strength)) : QString();
    ElidedLabel *name = m_seats[seat].name;
    name->setNote(kind.isEmpty() ? kind : kind.at(0).toUpper() + kind.mid(1));
    const QString description = QStringLiteral("seat %1 player").arg(seat);
    name->setAccessibleDescription(kind.isEmpty() ? description : description + QStringLiteral(", ") + kind);
}

void CardLabels::refreshCard()
{
    for (int seat = 1; seat <= 4; ++seat) {
        const QString total = m_score.scoreText(seat);
        m_seats[seat].score->setText(total);
        // Read with its meaning first, as a listener needs it.
        m_seats[seat].score->setAccessibleName(QStringLiteral("Seat %1, total %2").arg(seat).arg(total));
        for (int k = 1; k <= 3; ++k)
            m_seats[seat].words[k]->setText(m_score.wordText(seat, k));
    }
    m_theWord->setText(m_score.theWordCaption());
}
