#pragma once

#include "base/gamenumbers.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

// One seat's result in one frame as the client knows it: the letters of its
// first, second and third word and its running total. The start values 13
// and 14 are the pictures of an empty white and an empty grey box, so that
// an unplayed frame draws as empty boxes.
struct FrameScore
{
    int first = 13;
    int second = 14;
    int third = 14;
    int running = -1;     // -1 while not yet known

    bool operator==(const FrameScore &) const = default;
};

// Pictures of the scorecard's mark strip (9 x 13 each).
namespace markpic {
inline constexpr int kNone = -1;      // nothing drawn
inline constexpr int kDash = 10;      // a word of no letters
inline constexpr int kSpare = 11;
inline constexpr int kStrike = 12;
inline constexpr int kWhiteBox = 13;
inline constexpr int kGreyBox = 14;
inline constexpr int kCount = 15;
} // namespace markpic

// The scorecard without its widgets: every seat's frames, the texts of the
// score, word and word-line labels, the mark and digit rules and the
// geometry of the paint box. The view paints what it answers.
class ScoreCardModel : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSeats = game::kSeats;
    static constexpr int kFrames = game::kFrames;
    static constexpr int kWords = game::kBalls;

    // The picture of each mark box (box 3 only in frame 10), kNone where
    // nothing is drawn.
    using Marks = std::array<int, 3>;
    // The three digit cells of a total: hundreds, tens, units.
    using Digits = std::array<int, 3>;

    // What an accepted own word means to the player.
    struct GoodWord
    {
        QString status;       // the status line; empty leaves it as it is
        QString sound;        // "strike" or "goodword"
        Marks marks{markpic::kNone, markpic::kNone, markpic::kNone};
        bool strike = false;  // a strike to count in the tally
        bool reopen = false;  // another word may be made from what is left
    };

    explicit ScoreCardModel(QObject *parent = nullptr);

    // The rules, as plain functions.
    static Marks markPictures(const FrameScore &score, int frame);
    static Digits figurefour(int running);
    // The verdict for a word of letters letters accepted as ball (1..3) of
    // frame, given the seat's frame record before it; nothing for numbers
    // out of range.
    static std::optional<GoodWord> goodwordVerdict(const FrameScore &before, int frame, int ball, int letters);

    // Geometry of the paint box. Rows 1..3 are a seat's mark row, row 4 its
    // total row; nothing for a seat or row out of range.
    static std::optional<int> gettop(int seat, int row);
    static int boxLeft(int frame, int box);      // mark box 1..3
    static int cellLeft(int frame, int cell);    // digit cell 0..2
    static constexpr int kPictureWidth = 9;
    static constexpr int kPictureHeight = 13;
    static constexpr int kWidth = 273;
    static constexpr int kHeight = 160;

    // The table; seats 1..4 and frames 1..10, anything else a blank frame.
    const FrameScore &scores(int seat, int frame) const;
    // What the card shows for a frame: the marks an accepted own word drew,
    // or else the mark rules.
    Marks marks(int seat, int frame) const;
    // "seat 2 frame 3: 4 /, total 45" for a screen reader.
    QString accessibleText(int seat, int frame) const;

    // Texts of the labels around the card.
    QString scoreText(int seat) const;
    void setScoreText(int seat, const QString &text);
    QString wordText(int seat, int word) const;
    QString theWordCaption() const { return m_theWordCaption; }
    QString theWordHint() const { return m_theWordHint; }

    // Game start: every frame blank, scores "0", no words.
    void clearall();
    // A frame's scores were posted.
    void postscores(const msg::PostScores &scores);
    // The own word was accepted: store its letters and its marks.
    std::optional<GoodWord> goodword(int seat, int frame, int ball, int letters);
    // A frame's turn begins: the word line shows what its hint kept, and
    // the words of the last frame go.
    void showLastWord();
    void clearWords();

signals:
    void cardChanged();
    void textsChanged();
    void statusText(const QString &text);
    // The seat's own word of the frame just posted, for the word row.
    void ownWordPosted(const QString &ownword);

private:
    static bool validSeat(int seat) { return seat >= 1 && seat <= kSeats; }
    static bool validFrame(int frame) { return frame >= 1 && frame <= kFrames; }

    std::array<std::array<FrameScore, kFrames + 1>, kSeats + 1> m_scores{};
    // Marks an accepted own word drew, kNone where the rules decide.
    std::array<std::array<Marks, kFrames + 1>, kSeats + 1> m_drawn{};
    std::array<QString, kSeats + 1> m_scoreText;
    std::array<std::array<QString, kWords + 1>, kSeats + 1> m_wordText;
    QString m_theWordCaption;
    QString m_theWordHint;
};
