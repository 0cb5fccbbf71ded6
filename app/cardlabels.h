#pragma once

#include <QObject>

#include <array>

class GameFlow;
class ElidedLabel;
class PictureBox;
class QLabel;
class QWidget;
class RobotTable;
class Roster;
class ScoreCardModel;

// The labels on the painted scorecard: each seat's name, score, last three
// words, watching eyes and winner banner, the kind of game and the word
// line. They show the roster, the card and the game's course; a seat of
// this copy's computer players tells their strength. A click on a word
// asks for its meaning.
class CardLabels : public QObject
{
    Q_OBJECT

public:
    CardLabels(QWidget *board, const Roster &roster, const ScoreCardModel &score, const GameFlow &flow,
               const RobotTable &robots);

signals:
    // The seat's name was right-clicked, at this point of the screen.
    void seatMenuRequested(int seat, const QPoint &at);
    // A played word or the word line was clicked: the word, to look up.
    void wordClicked(const QString &word);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A click on a word asks for its meaning.
    void offerMeaning(QLabel *label);

    void refreshGame();
    void refreshCard();
    void refreshSeat(int seat);

    struct Seat
    {
        ElidedLabel *name = nullptr;
        QLabel *score = nullptr;
        PictureBox *eyes = nullptr;
        PictureBox *winner = nullptr;
        std::array<QLabel *, 4> words{};   // 1 to 3
    };
    const Roster &m_roster;
    const ScoreCardModel &m_score;
    const GameFlow &m_flow;
    const RobotTable &m_robots;
    std::array<Seat, 5> m_seats{};
    QLabel *m_teamGame = nullptr;
    QLabel *m_theWord = nullptr;
};
