#pragma once

#include <QtGlobal>

#include <limits>

// When a computer player may say something: rarely, and never over people.
// At most one line or sound per frame, none while another player's typing
// burst is on (a line from them in the last few seconds), and none at all
// once switched off.
class ChatterGate
{
public:
    static constexpr qint64 kQuietAfterOthersMs = 3000;

    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }

    // Another player chatted or acted at this moment (milliseconds on any
    // steady clock).
    void otherPlayerSpoke(qint64 nowMs) { m_lastOther = nowMs; }
    // A new game: its frames are not the last game's.
    void newGame() { m_lastFrame = 0; }

    // Switched on, and nobody else spoke in the last few seconds.
    bool othersQuiet(qint64 nowMs) const { return m_enabled && nowMs - m_lastOther >= kQuietAfterOthersMs; }
    // Besides, it has not spoken in this frame yet.
    bool mayChatter(int frame, qint64 nowMs) const { return frame != m_lastFrame && othersQuiet(nowMs); }
    void chattered(int frame) { m_lastFrame = frame; }

private:
    bool m_enabled = true;
    int m_lastFrame = 0;
    qint64 m_lastOther = std::numeric_limits<qint64>::min() / 2;
};
