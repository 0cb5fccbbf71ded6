#pragma once

// The Pinlex wire protocol: every message as a value, with its one encoder
// and its one parser. Nothing else in the program writes or reads message
// text.
//
// A message is   CMD_<name> '+' payload 0xFF
// with no length prefix, no escaping and no checksum; 0xFF never occurs
// inside a message. The command name is everything before the first '+'.
// Payload fields are separated by '+'; a name that is the last field is the
// whole rest of the payload and may contain '+'. Numbers are decimal, -1 for
// "not known yet"; flags are "t" / "f"; colours are colour text ("clBlack",
// or '$' and eight hex digits 00BBGGRR). "(+)" marks a trailing '+'.
//
// Client to host:
//   CMD_logininfo   slot + version + name
//   CMD_kickhim     requester + target (+)
//   CMD_chat        slot + text '|' colour
//   CMD_action      slot + text '|' colour
//   CMD_startgame   name + seconds + team (+)
//   CMD_justwatch   seat + (1 | 2)
//   CMD_sendword    seat + pos + pos ...            (no trailing +)
//   CMD_playasound  slot + wave<N> (+)
//   CMD_probe       challenge      a game directory checking that this
//                                  listener is the table it registered
//                                  (see directorymessages.h); the host
//                                  answers CMD_probeok on the same connection
//
// Host to client:
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
//
// Parsing: a field that should be a number and is not throws EConvertError
// ("'x' is not a valid integer value"), which the dispatcher shows on the
// general error display. Any other malformed message (a number out of its
// range, a list too long, a field missing) parses to nothing and is ignored.
// Either way nothing of a malformed message is acted on.

#include "base/gamenumbers.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <optional>
#include <variant>

namespace msg {

// ---- Client to host ----

struct LoginInfo
{
    int slot = 0;
    QByteArray version;
    QByteArray name;          // the rest of the payload
    bool operator==(const LoginInfo &) const = default;
};

struct KickHim
{
    int requester = 0;
    int target = 0;
    bool operator==(const KickHim &) const = default;
};

// A seat's choice to watch (1) or to play again (2), or the hosting
// player's for another seat.
struct JustWatch
{
    int seat = 0;
    bool watch = false;
    bool operator==(const JustWatch &) const = default;
};

struct SendWord
{
    int seat = 0;
    QList<int> positions;     // rack positions in the word's order
    bool operator==(const SendWord &) const = default;
};

// A directory's connection back to the game port: the host answers with the
// value the directory gave it for this challenge over its own connection.
// Hosts that predate it ignore it as an unknown command.
struct Probe
{
    QByteArray challenge;     // hex digits
    bool operator==(const Probe &) const = default;
};

// ---- Both ways ----

// A chat line or an action. To the host the body is "text|colour"; from the
// host it is the speaker's name and the text, "|", and the colour. Slot 0
// from the host is a notice of the host's own.
struct Chat
{
    int slot = 0;
    QByteArray body;

    // The body before its first '|', and what follows it.
    QByteArray text() const;
    QByteArray colour() const;
    bool operator==(const Chat &) const = default;
};

struct Action
{
    int slot = 0;
    QByteArray body;

    QByteArray text() const;
    QByteArray colour() const;
    bool operator==(const Action &) const = default;
};

// A game starts: the starting player's name, the time per turn and the team
// flag as the starter sent it ("t" is a team game).
struct StartGame
{
    QByteArray name;
    int seconds = game::kFallbackTurnSeconds;   // a time that is not a number reads as this
    QByteArray team;

    bool isTeam() const { return team == "t"; }
    bool operator==(const StartGame &) const = default;
};

// A chatter sound, "wave<N>" on the wire.
struct PlayASound
{
    int slot = 0;
    int wave = 0;             // 1 to game::kChatterSounds
    bool operator==(const PlayASound &) const = default;
};

// ---- Host to client ----

struct SendLoginInfo
{
    int slot = 0;
    bool operator==(const SendLoginInfo &) const = default;
};

struct NewPlayerInfo
{
    int slot = 0;
    QByteArray name;
    bool operator==(const NewPlayerInfo &) const = default;
};

struct ExistingPlayers
{
    int slot = 0;
    QByteArray name;
    bool operator==(const ExistingPlayers &) const = default;
};

struct PlayerDisconnected
{
    int slot = 0;
    QByteArray name;          // empty when it never logged in
    bool operator==(const PlayerDisconnected &) const = default;
};

struct HaveWrongVersion
{
    QByteArray name;
    bool operator==(const HaveWrongVersion &) const = default;
};

struct WrongVersion
{
    bool operator==(const WrongVersion &) const = default;
};

struct Full
{
    bool operator==(const Full &) const = default;
};

struct TimeIsUp
{
    bool operator==(const TimeIsUp &) const = default;
};

struct JustWatching
{
    int seat = 0;
    bool watching = false;
    bool operator==(const JustWatching &) const = default;
};

// After each deal: the receiving slot's own seat (1 for a spectator) and
// the frame.
struct NextPlayer
{
    int seat = 0;
    int frame = 0;
    bool operator==(const NextPlayer &) const = default;
};

struct Winner
{
    QList<int> seats;         // one seat, or several on a tie; no repeats
    bool operator==(const Winner &) const = default;
};

// The rack: to all (seat 0) the ten tiles in the order of the frame's word,
// each with the position it was shuffled to; to one seat a fresh bonus rack
// in position order, an empty letter where no tile is.
struct TheLetters
{
    struct Tile
    {
        int position = 0;
        char letter = 0;      // 'a' to 'z', or 0 for none
        bool operator==(const Tile &) const = default;
    };
    int seat = 0;
    QList<Tile> tiles;

    // The word the tiles spell in their order (the frame's word for a deal to all).
    QByteArray word() const;
    bool operator==(const TheLetters &) const = default;
};

struct WordError
{
    int seat = 0;
    bool operator==(const WordError &) const = default;
};

struct GoodWord
{
    int seat = 0;
    int frame = 0;
    int total = 0;            // the seat's total as last posted
    int ball = 0;             // words accepted in this frame so far, 1 to 3
    int letters = 0;
    bool operator==(const GoodWord &) const = default;
};

// One seat's result after a frame.
struct SeatScore
{
    int seat = 0;
    int total = 0;
    std::array<int, game::kBalls> counts{-1, -1, -1};     // letters of words 1 to 3, -1 none
    std::array<QByteArray, game::kBalls> words;
    std::array<int, game::kFrames> running{};            // after frames 1 to 10, -1 unknown

    bool operator==(const SeatScore &) const = default;
};

struct PostScores
{
    int frame = 0;
    QByteArray ownword;       // the word behind the rack the receiver last played
    QByteArray frameword;
    QByteArray bonusword2;    // frame 10 only
    QByteArray bonusword3;
    QList<SeatScore> seats;   // in seat order, every seat once

    const SeatScore *seat(int seat) const;
    bool operator==(const PostScores &) const = default;
};

// The state of a running game, for a newcomer.
struct LoadStats
{
    int slot = 0;
    int seconds = game::kFallbackTurnSeconds;
    QByteArray team;
    int countdown = 0;
    std::array<QByteArray, game::kSeats> scores;   // shown as sent, cut short

    bool isTeam() const { return team == "t"; }
    bool operator==(const LoadStats &) const = default;
};

using ToHost = std::variant<LoginInfo, KickHim, Chat, Action, StartGame, JustWatch, SendWord, PlayASound, Probe>;
using ToClient = std::variant<SendLoginInfo, Chat, Action, NewPlayerInfo, HaveWrongVersion, WrongVersion,
                              ExistingPlayers, PlayerDisconnected, StartGame, NextPlayer, Winner, Full, JustWatching,
                              PostScores, TheLetters, WordError, GoodWord, TimeIsUp, LoadStats, PlayASound>;

// The whole message, terminator included. A 0xFF inside a text would end
// the message early, so any is replaced.
QByteArray encode(const LoginInfo &m);
QByteArray encode(const KickHim &m);
QByteArray encode(const JustWatch &m);
QByteArray encode(const SendWord &m);
QByteArray encode(const Chat &m);
QByteArray encode(const Action &m);
QByteArray encode(const StartGame &m);
QByteArray encode(const PlayASound &m);
QByteArray encode(const Probe &m);
QByteArray encode(const SendLoginInfo &m);
QByteArray encode(const NewPlayerInfo &m);
QByteArray encode(const ExistingPlayers &m);
QByteArray encode(const PlayerDisconnected &m);
QByteArray encode(const HaveWrongVersion &m);
QByteArray encode(const WrongVersion &m);
QByteArray encode(const Full &m);
QByteArray encode(const TimeIsUp &m);
QByteArray encode(const JustWatching &m);
QByteArray encode(const NextPlayer &m);
QByteArray encode(const Winner &m);
QByteArray encode(const TheLetters &m);
QByteArray encode(const WordError &m);
QByteArray encode(const GoodWord &m);
QByteArray encode(const PostScores &m);
QByteArray encode(const LoadStats &m);

// A received message, without its terminator. Nothing for an unknown
// command, a line without '+', or a malformed message; EConvertError for a
// number field that is not a number.
std::optional<ToHost> readToHost(QByteArrayView line);
std::optional<ToClient> readToClient(QByteArrayView line);

} // namespace msg
