#pragma once

#include "base/gamenumbers.h"
#include "protocol/messages.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

// One seat's result in one frame as the client knows it: the letters of its
// first, second and third word (the third in frame 10 only) and its running
// total.
struct FrameScore
{
    static constexpr int kNoWord = -1;   // the seat made no word for the ball
    static constexpr int kNotYet = -2;   // the ball has not been played

    int first = kNotYet;
    int second = kNotYet;
    int third = kNotYet;
    int running = -1;     // -1 while not yet known

    bool operator==(const FrameScore &) const = default;
};

// What one box of the card shows.
struct Mark
{
    enum class Kind { None, Digit, Dash, Spare, Strike, EmptyWhite, EmptyGrey };

    Kind kind = Kind::None;
    int digit = 0;        // 0 .. 9, for a Digit

    // A word's letters: a digit for 0 .. 9, a strike for all ten, nothing
    // for anything else.
    static Mark count(int letters);
    bool operator==(const Mark &) const = default;
};

// The scorecard without its widgets: every seat's frames, the texts of the
// score, word and word-line labels, and the mark and digit rules. The view
// places and paints what it answers.
class ScoreCardModel : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSeats = game::kSeats;
    static constexpr int kFrames = game::kFrames;
    static constexpr int kWords = game::kBalls;

    // The marks of boxes 1 .. 3 (box 3 only in frame 10).
    using Marks = std::array<Mark, 3>;
    // The three digit cells of a total: hundreds, tens, units.
    using Digits = std::array<int, 3>;
    static constexpr int kBlankCell = -1;

    // What an accepted own word means to the player.
    struct GoodWord
    {
        QString status;       // the status line; empty leaves it as it is
        QString sound;        // "strike" or "goodword"
        Marks marks{};        // the boxes the word marks; None elsewhere
        bool strike = false;  // a strike to count in the tally
        bool reopen = false;  // another word may be made from what is left
    };

    explicit ScoreCardModel(QObject *parent = nullptr);

    // The rules, as plain functions.
    static Marks markRules(const FrameScore &score, int frame);
    static Digits totalDigits(int running);
    // The verdict for a word of letters letters accepted as ball (1..3) of
    // frame, given the seat's frame record before it; nothing for numbers
    // out of range.
    static std::optional<GoodWord> goodwordVerdict(const FrameScore &before, int frame, int ball, int letters);

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
    static bool validSeat(int seat) { return game::isSeat(seat); }
    static bool validFrame(int frame) { return game::isFrame(frame); }

    std::array<std::array<FrameScore, kFrames + 1>, kSeats + 1> m_scores{};
    // Marks an accepted own word drew, None where the rules decide.
    std::array<std::array<Marks, kFrames + 1>, kSeats + 1> m_drawn{};
    std::array<QString, kSeats + 1> m_scoreText;
    std::array<std::array<QString, kWords + 1>, kSeats + 1> m_wordText;
    QString m_theWordCaption;
    QString m_theWordHint;
};
