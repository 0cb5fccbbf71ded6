#pragma once

// The Pinlex wire protocol.
//
// A message is   CMD_<name> '+' payload 0xFF
// with no length prefix, no escaping and no checksum; 0xFF never occurs
// inside a message. The command name is everything before the first '+'.
// Payload fields are separated by '+'; a name that is the last field is the
// whole rest of the payload and may contain '+'. Numbers are decimal, -1 for
// "not known yet"; flags are "t" / "f"; colours are colour text ("clBlack",
// or '$' and eight hex digits 00BBGGRR). "(+)" marks a trailing '+'.
//
// Client to host (host compares in this order):
//   CMD_logininfo   slot + version + name
//   CMD_kickhim     requester + target (+)
//   CMD_chat        slot + text '|' colour
//   CMD_action      slot + text '|' colour
//   CMD_startgame   name + seconds + team (+)
//   CMD_justwatch   seat + (1 | 2)
//   CMD_sendword    seat + pos + pos ...            (no trailing +)
//   CMD_playasound  slot + wave<N> (+)
//
// Host to client (client compares in this order):
//   CMD_sendlogininfo      slot
//   CMD_chat               slot + name " chats: " text '|' colour
//   CMD_action             slot + name " " text '|' colour
//   CMD_newplayerinfo      slot + name
//   CMD_havewrongversion   name
//   CMD_wrongversion       (empty)
//   CMD_existingplayers    slot + name
//   CMD_playerdisconnected slot + name
//   CMD_startgame          name + seconds + team (+)
//   CMD_nextplayer         n + frame (+)
//   CMD_winner             seat [+ seat ...] (+)
//   CMD_full               (empty)
//   CMD_justwatching       seat + (1 | 2)
//   CMD_postscores         frame + ownword + frameword [+ bonusword2 + bonusword3]
//                          then per seat 1..4: + starfield + hashfield
//                            starfield: seat*total*first*second*third*word1*word2*word3
//                            hashfield: seat#1#run1#2#run2 ... #10#run10
//   CMD_theletters         0 + (pos + letter) x10, in the word's letter order
//                          | seat + 1 + letter + 2 + letter ... + 10 + letter
//   CMD_worderror          seat (+)
//   CMD_goodword           seat + frame + total + ball + letters (+)
//   CMD_timeisup           (empty)
//   CMD_loadstats          slot + seconds + team + countdown + s1 + s2 + s3 + s4 (+)
//   CMD_playasound         slot + wave<N> (+)

#include <QByteArray>
#include <QByteArrayView>

namespace wire {

inline constexpr char kTerminator = char(0xFF);

// Builds the whole message text, terminator included. A 0xFF inside the
// text would end the message early, so any is replaced.
QByteArray message(QByteArrayView command, QByteArrayView payload = {});

// Joins fields with '+'.
template <typename... Fields>
QByteArray fields(const Fields &...values);

namespace detail {
inline void appendField(QByteArray &out, int value) { out += QByteArray::number(value); }
inline void appendField(QByteArray &out, QByteArrayView value) { out += value; }
inline void appendField(QByteArray &out, const QByteArray &value) { out += value; }
inline void appendField(QByteArray &out, const char *value) { out += value; }
} // namespace detail

template <typename... Fields>
QByteArray fields(const Fields &...values)
{
    QByteArray out;
    bool first = true;
    ((out += (first ? QByteArray() : QByteArray("+")), detail::appendField(out, values), first = false), ...);
    return out;
}

} // namespace wire
