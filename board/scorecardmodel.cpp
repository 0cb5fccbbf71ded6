#include "board/scorecardmodel.h"

#include <QStringList>

namespace {

using Kind = Mark::Kind;

// A ball's letters as its box shows them: an empty box before the ball,
// white for the first, grey for the others; nothing for no word.
Mark countMark(int letters, int box)
{
    if (letters == FrameScore::kNotYet)
        return Mark{box == 1 ? Kind::EmptyWhite : Kind::EmptyGrey};
    return Mark::count(letters);
}

QString markText(const Mark &mark)
{
    switch (mark.kind) {
    case Kind::Digit: return QString::number(mark.digit);
    case Kind::Dash: return QStringLiteral("-");
    case Kind::Spare: return QStringLiteral("/");
    case Kind::Strike: return QStringLiteral("X");
    default: return QString();
    }
}

} // namespace

Mark Mark::count(int letters)
{
    if (letters >= 0 && letters <= 9)
        return Mark{Kind::Digit, letters};
    return Mark{letters == game::kTiles ? Kind::Strike : Kind::None};
}

ScoreCardModel::ScoreCardModel(QObject *parent) : QObject(parent)
{
    clearall();
}

ScoreCardModel::Marks ScoreCardModel::markRules(const FrameScore &s, int frame)
{
    const Mark strike{Kind::Strike};
    const Mark spare{Kind::Spare};
    const Mark dash{Kind::Dash};
    Marks marks{};
    if (frame < kFrames) {
        // A strike goes into box 2; box 1 stays unmarked.
        marks[0] = s.first == 10 ? Mark{} : s.first == 0 ? dash : countMark(s.first, 1);
        marks[1] = s.first == 10                 ? strike
                   : s.first + s.second == 10    ? spare
                   : s.second == 0               ? dash
                                                 : countMark(s.second, 2);
        return marks;
    }
    marks[0] = s.first == 10 ? strike : s.first == 0 ? dash : countMark(s.first, 1);
    marks[1] = s.second == 10                                ? strike
               : s.first != 10 && s.first + s.second == 10   ? spare
               : s.second == 0                               ? dash
                                                             : countMark(s.second, 2);
    marks[2] = s.third == 10                                 ? strike
               : s.second != 10 && s.second + s.third == 10  ? spare
               : s.third == 0                                ? dash
                                                             : countMark(s.third, 3);
    return marks;
}

ScoreCardModel::Digits ScoreCardModel::totalDigits(int running)
{
    // Three cells can hold no more than 999; anything else shows blank.
    if (running < 0 || running > 999)
        return {kBlankCell, kBlankCell, kBlankCell};
    if (running == 0)
        return {kBlankCell, 0, kBlankCell};
    const int h = running / 100;
    const int t = running % 100 / 10;
    const int u = running % 10;
    return {h > 0 ? h : kBlankCell, t > 0 || h > 0 ? t : kBlankCell, u};
}

std::optional<ScoreCardModel::GoodWord> ScoreCardModel::goodwordVerdict(const FrameScore &before, int frame,
                                                                        int ball, int letters)
{
    if (!validFrame(frame) || ball < 1 || ball > 3 || letters < 0 || letters > 10)
        return std::nullopt;
    FrameScore s = before;
    (ball == 1 ? s.first : ball == 2 ? s.second : s.third) = letters;
    const bool tenth = frame == kFrames;
    const bool all = letters == 10;

    GoodWord v;
    const QString strike = QStringLiteral("You got a Strike!");
    const QString spare = QStringLiteral("You got a Spare!");
    const QString knocked = QStringLiteral("You knocked down %1 pins.").arg(letters);
    const auto scored = [&](int box, Mark mark, const QString &status, bool isStrike) {
        v.marks[box - 1] = mark;
        v.status = status;
        v.sound = isStrike ? QStringLiteral("strike") : QStringLiteral("goodword");
        v.strike = isStrike;
    };
    if (tenth && ball == 3 && s.first != 10) {
        // The third word after a spare is played on a fresh rack: a ball of
        // its own, never a second spare.
        if (all)
            scored(3, Mark{Kind::Strike}, strike, true);
        else
            scored(3, Mark::count(letters), knocked, false);
    } else if (ball == 1 && all) {
        scored(tenth ? 1 : 2, Mark{Kind::Strike}, strike, true);
    } else if (s.first + s.second == 10) {
        scored(2, Mark{Kind::Spare}, spare, false);
    } else if (tenth && ball == 3 && s.second + s.third == 10) {
        // After a strike the bonus words make a spare together.
        scored(3, Mark{Kind::Spare}, spare, false);
        v.marks[1] = countMark(s.second, 2);
    } else if (tenth && ball == 2 && s.second == 10) {
        scored(2, Mark{Kind::Strike}, strike, true);
    } else if (tenth && ball == 3 && s.third == 10) {
        scored(3, Mark{Kind::Strike}, strike, true);
    } else {
        scored(ball, Mark::count(letters), knocked, false);
    }
    v.reopen = (ball == 1 && !all) || (tenth && ball == 2 && !all && s.first == 10);
    return v;
}

const FrameScore &ScoreCardModel::scores(int seat, int frame) const
{
    static const FrameScore blank;
    return validSeat(seat) && validFrame(frame) ? m_scores[seat][frame] : blank;
}

ScoreCardModel::Marks ScoreCardModel::marks(int seat, int frame) const
{
    if (!validSeat(seat) || !validFrame(frame))
        return {};
    Marks shown = markRules(m_scores[seat][frame], frame);
    const Marks &drawn = m_drawn[seat][frame];
    for (int box = 0; box < 3; ++box) {
        if (drawn[box].kind != Kind::None)
            shown[box] = drawn[box];
    }
    return shown;
}

QString ScoreCardModel::accessibleText(int seat, int frame) const
{
    const QString head = QStringLiteral("seat %1 frame %2: ").arg(seat).arg(frame);
    QStringList shown;
    for (const Mark &mark : marks(seat, frame)) {
        const QString text = markText(mark);
        if (!text.isEmpty())
            shown << text;
    }
    if (shown.isEmpty())
        return head + QStringLiteral("not played");
    const int running = scores(seat, frame).running;
    const QString total = running >= 0 ? QStringLiteral("total %1").arg(running)
                                       : QStringLiteral("total not known yet");
    return head + shown.join(u' ') + QStringLiteral(", ") + total;
}

QString ScoreCardModel::scoreText(int seat) const
{
    return validSeat(seat) ? m_scoreText[seat] : QString();
}

void ScoreCardModel::setScoreText(int seat, const QString &text)
{
    if (!validSeat(seat))
        return;
    m_scoreText[seat] = text;
    emit textsChanged();
}

QString ScoreCardModel::wordText(int seat, int word) const
{
    return validSeat(seat) && word >= 1 && word <= kWords ? m_wordText[seat][word] : QString();
}

void ScoreCardModel::clearall()
{
    for (int seat = 1; seat <= kSeats; ++seat) {
        m_scoreText[seat] = QStringLiteral("0");
        for (int k = 1; k <= kWords; ++k)
            m_wordText[seat][k].clear();
        for (int frame = 1; frame <= kFrames; ++frame) {
            m_scores[seat][frame] = FrameScore{};
            m_drawn[seat][frame] = {};
        }
    }
    // The hint too: a game started over a running one must not open with
    // the old game's last word.
    m_theWordCaption.clear();
    m_theWordHint.clear();
    emit textsChanged();
    emit cardChanged();
}

void ScoreCardModel::postscores(const msg::PostScores &scores)
{
    emit statusText(QStringLiteral("Posting Scores.. Please Wait."));
    const int frame = scores.frame;
    const QString frameword = QString::fromLatin1(scores.frameword).toUpper();
    if (frame < kFrames) {
        m_theWordCaption = QStringLiteral("Original Word: ") + frameword;
        m_theWordHint = QStringLiteral("Last Word: ") + frameword;
    } else {
        const QString bonus2 = QString::fromLatin1(scores.bonusword2).toUpper();
        const QString bonus3 = QString::fromLatin1(scores.bonusword3).toUpper();
        m_theWordCaption = QStringLiteral("Original Words: %1 / %2 / %3").arg(frameword, bonus2, bonus3);
        m_theWordHint.clear();
    }
    emit ownWordPosted(QString::fromLatin1(scores.ownword));

    for (const msg::SeatScore &seat : scores.seats) {
        FrameScore &score = m_scores[seat.seat][frame];
        score.first = seat.counts[0];
        score.second = seat.counts[1];
        score.third = seat.counts[2];
        // The host's counts replace what an own word drew.
        m_drawn[seat.seat][frame] = {};
        m_scoreText[seat.seat] = QString::number(seat.total);
        for (int k = 1; k <= kWords; ++k)
            m_wordText[seat.seat][k] = QString::fromLatin1(seat.words[k - 1]);
        for (int f = 1; f <= kFrames; ++f)
            m_scores[seat.seat][f].running = seat.running[f - 1];
    }
    emit textsChanged();
    emit cardChanged();
}

std::optional<ScoreCardModel::GoodWord> ScoreCardModel::goodword(int seat, int frame, int ball, int letters)
{
    if (!validSeat(seat))
        return std::nullopt;
    const std::optional<GoodWord> verdict = goodwordVerdict(scores(seat, frame), frame, ball, letters);
    if (!verdict)
        return std::nullopt;
    FrameScore &score = m_scores[seat][frame];
    (ball == 1 ? score.first : ball == 2 ? score.second : score.third) = letters;
    Marks &drawn = m_drawn[seat][frame];
    for (int box = 0; box < 3; ++box) {
        if (verdict->marks[box].kind != Kind::None)
            drawn[box] = verdict->marks[box];
    }
    emit cardChanged();
    return verdict;
}

void ScoreCardModel::showLastWord()
{
    m_theWordCaption = m_theWordHint;
    emit textsChanged();
}

void ScoreCardModel::clearWords()
{
    for (int seat = 1; seat <= kSeats; ++seat) {
        for (int k = 1; k <= kWords; ++k)
            m_wordText[seat][k].clear();
    }
    emit textsChanged();
}
