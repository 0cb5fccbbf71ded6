#pragma once

// A made-up game as a recorder hears it: this copy in seat 1 ("Ann") against
// a hard computer player in seat 3; seats 2 and 4 are empty but posted, as
// the host posts all four. Ann tries a word the host refuses, then strikes
// in odd frames and leaves pins in even ones; the computer player spares.
// The posted running totals are plain sums of letters: the recorder keeps
// what was posted, whatever the scorer's rules.

#include "history/gamerecorder.h"

#include <QStringList>

#include <algorithm>

namespace scripted {

inline const QStringList kWords = {
    QStringLiteral("streamline"), QStringLiteral("backstroke"), QStringLiteral("friendship"),
    QStringLiteral("background"), QStringLiteral("basketball"), QStringLiteral("blacksmith"),
    QStringLiteral("playground"), QStringLiteral("lighthouse"), QStringLiteral("watermelon"),
    QStringLiteral("earthquake")};

inline QString word(int frame) { return kWords.at(frame - 1); }
// The word's letters as dealt: turned round, as a stand-in for a shuffle.
inline QString rack(int frame)
{
    QString r = word(frame);
    std::reverse(r.begin(), r.end());
    return r;
}
inline QString refused(int frame) { return word(frame).left(2); }
// Ann's accepted words: the whole word, or six letters and two.
inline QStringList annWords(int frame)
{
    return frame % 2 ? QStringList{word(frame)} : QStringList{word(frame).left(6), word(frame).mid(6, 2)};
}
inline QStringList robotWords(int frame) { return {word(frame).left(4), word(frame).mid(4)}; }

inline int letters(const QStringList &words)
{
    int sum = 0;
    for (const QString &w : words)
        sum += int(w.size());
    return sum;
}
inline int annRunning(int frame)
{
    int sum = 0;
    for (int k = 1; k <= frame; ++k)
        sum += letters(annWords(k));
    return sum;
}
inline int robotRunning(int frame)
{
    int sum = 0;
    for (int k = 1; k <= frame; ++k)
        sum += letters(robotWords(k));
    return sum;
}

inline history::GameStart start()
{
    history::GameStart s;
    s.table = QStringLiteral("solo");
    s.seats = {history::SeatRecord{1, QStringLiteral("Ann"), std::nullopt, 0, false},
               history::SeatRecord{3, QStringLiteral("Robot (Hard)"), Strength::Hard, 0, false}};
    s.secondsPerTurn = 60;
    s.ownSlot = 1;
    return s;
}

// A strike or spare waits for the next frame's words before its running
// total is known, as in bowling; in the tenth frame everything is known.
inline int runningKnown(int k, int frame, bool waits, int (*runningAfter)(int))
{
    return k > frame || (waits && k == frame && frame < history::kFrames) ? -1 : runningAfter(k);
}
inline bool annWaits(int k) { return k % 2 == 1; }
inline bool robotWaits(int) { return true; }

inline msg::SeatScore postedSeat(int seat, int frame, const QStringList &words, int (*runningAfter)(int),
                                 bool (*waits)(int))
{
    msg::SeatScore p;
    p.seat = seat;
    p.total = words.isEmpty() ? 0 : runningAfter(frame);
    for (int k = 0; k < words.size(); ++k) {
        p.counts[k] = int(words[k].size());
        p.words[k] = words[k].toLatin1();
    }
    for (int k = 1; k <= history::kFrames; ++k)
        p.running[k - 1] = words.isEmpty() ? -1 : runningKnown(k, frame, waits(k), runningAfter);
    return p;
}

inline msg::PostScores posted(int frame)
{
    msg::PostScores p;
    p.frame = frame;
    p.ownword = word(frame).toLatin1();
    p.frameword = word(frame).toLatin1();
    if (frame == history::kFrames) {
        p.bonusword2 = "rhinoceros";
        p.bonusword3 = "chandelier";
    }
    const auto none = [](int) { return -1; };
    p.seats = {postedSeat(1, frame, annWords(frame), annRunning, annWaits),
               postedSeat(2, frame, {}, none, robotWaits),
               postedSeat(3, frame, robotWords(frame), robotRunning, robotWaits),
               postedSeat(4, frame, {}, none, robotWaits)};
    return p;
}

// The deal to all: the word's letters in its order, each at the position
// rack() shows it.
inline msg::TheLetters deal(int frame)
{
    msg::TheLetters letters;
    const QByteArray w = word(frame).toLatin1();
    for (int k = 0; k < w.size(); ++k)
        letters.tiles.append({int(w.size()) - k, w[k]});
    return letters;
}

// The start of a frame: the deal, then the turn.
inline void begin(GameRecorder &recorder, int frame)
{
    recorder.rackDealt(deal(frame));
    recorder.turnBegan(msg::NextPlayer{1, frame});
}

// One frame from deal to posted scores.
inline void playFrame(GameRecorder &recorder, int frame)
{
    begin(recorder, frame);
    recorder.wordPlayed(1, refused(frame), false);
    for (const QString &w : annWords(frame))
        recorder.wordPlayed(1, w, true);
    recorder.frameScored(posted(frame));
}

} // namespace scripted

namespace scripted {

// The game as the history should hold it after `last` frames.
inline history::GameRecord expected(int last, bool won)
{
    using namespace history;
    GameRecord g;
    g.table = QStringLiteral("solo");
    g.secondsPerTurn = 60;
    g.ownSlot = 1;
    g.finished = won;
    g.seats = {SeatRecord{1, QStringLiteral("Ann"), std::nullopt, annRunning(last), won},
               SeatRecord{3, QStringLiteral("Robot (Hard)"), Strength::Hard, robotRunning(last), false}};
    for (int frame = 1; frame <= last; ++frame) {
        FrameRecord f;
        f.frame = frame;
        f.rack = rack(frame);
        f.word = word(frame);
        if (frame == kFrames) {
            f.bonusWord2 = QStringLiteral("rhinoceros");
            f.bonusWord3 = QStringLiteral("chandelier");
        }
        SeatFrame ann;
        ann.seat = 1;
        SeatFrame robot;
        robot.seat = 3;
        for (int k = 0; k < annWords(frame).size(); ++k)
            ann.lengths[k] = int(annWords(frame)[k].size());
        for (int k = 0; k < robotWords(frame).size(); ++k)
            robot.lengths[k] = int(robotWords(frame)[k].size());
        ann.running = runningKnown(frame, last, annWaits(frame), annRunning);
        robot.running = runningKnown(frame, last, robotWaits(frame), robotRunning);
        f.seats = {ann, robot};
        f.words.append(WordRecord{1, refused(frame), false});
        for (const QString &w : annWords(frame))
            f.words.append(WordRecord{1, w, true});
        for (const QString &w : robotWords(frame))
            f.words.append(WordRecord{3, w, true});
        g.frames.append(f);
    }
    return g;
}

} // namespace scripted
