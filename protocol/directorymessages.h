#pragma once

// The game directory's messages, in the game's own framing (see messages.h:
// CMD_<name> '+' fields 0xFF, the last text field is the rest of the
// payload). A hosting copy keeps one connection to each directory it
// registers with; a client that lists tables or resolves a code opens one of
// its own. Flags are "t" / "f"; state is "waiting" or "playing"; reach is
// "checking", "direct", "unreachable" or
// "relayed" (not reached, and joined through the directory's relay); a version is the table protocol's,
// 1 to 65535 (0 in a list request: any); challenges and answers are 16 to 64
// lower-case hex digits; codes are 1 to 16 letters and digits as sent (the
// directory hands out six).
//
// Host to directory:
//   CMD_dirtable   version + port + seats + spectators + state + name
//                  registers the connection's table, later ones update it;
//                  the address is the connection's, never a field
//   CMD_dirbeat    (empty)                     nothing changed, still here
//   CMD_dirready   challenge                   the host knows the challenge's
//                                              answer: probe now
//   CMD_dirrecheck (empty)                     the way in changed (a router
//                                              opened or closed the port):
//                                              probe again
// Directory to host:
//   CMD_dircode    code + seconds              the table's code, once, and
//                                              how often to send a heartbeat
//   CMD_dirprobe   challenge + answer          the answer the game listener
//                                              gives to CMD_probe challenge
//   CMD_dirreach   reach                       the probe's outcome
//   CMD_dirrefused reason                      then the directory closes
//   CMD_dirrelay   session + address           a client at address joins
//                                              through the relay: open a new
//                                              connection to the directory and
//                                              send CMD_dirrelayhello session
//
// Client to directory:
//   CMD_dirlist    waiting + freeseats + version + page
//                  waiting "t": waiting tables only; freeseats 0 to 4: at
//                  least that many seats free; page from 0
//   CMD_dirresolve code
//   CMD_dirjoin    code                        join that relayed table: once
//                                              the host answered, whatever
//                                              follows on this connection is
//                                              the game's stream; a refusal is
//                                              CMD_dirrefused, then the end
// Directory to client:
//   CMD_diritem    code + address + port + seats + spectators + state + reach
//                  + version + name            one table of a page
//   CMD_dirpage    page + count + more         ends a page of count items;
//                                              more "t": a next page exists
//   CMD_dirfound   (the fields of CMD_diritem) the table a code names
//   CMD_dirnotfound code                       no table has it now
//
// Host to directory, on a new connection of its own:
//   CMD_dirrelayhello session                  the host's end of that session;
//                                              whatever follows is the game's
//                                              stream to and from the client
//
// A session is 16 to 64 lower-case hex digits, as a challenge.
//
// On the game port (host's listener to the directory's probe connection):
//   CMD_probeok    answer                      the answer to CMD_probe
//
// The challenge travels to the game port, the answer only over the host's
// own connection: whatever else listens at the registered address (an echo
// service, another table) cannot produce it, and each pair serves once.
//
// Parsing as in messages.h: a number field that is not a number throws
// EConvertError; anything else malformed reads as nothing.

#include "protocol/messages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaType>

#include <optional>
#include <variant>

namespace msg {

enum class Reach { Checking, Direct, Unreachable, Relayed };

// ---- Host to directory ----

struct DirTable
{
    int version = 1;
    int port = 0;
    int seats = 0;
    int spectators = 0;
    bool playing = false;
    QByteArray name;          // UTF-8, the rest of the payload
    bool operator==(const DirTable &) const = default;
};

struct DirBeat
{
    bool operator==(const DirBeat &) const = default;
};

struct DirRecheck
{
    bool operator==(const DirRecheck &) const = default;
};

struct DirReady
{
    QByteArray challenge;
    bool operator==(const DirReady &) const = default;
};

// ---- Client to directory ----

struct DirList
{
    bool waitingOnly = false;
    int freeSeats = 0;        // 0 to game::kSeats
    int version = 0;          // 0: any
    int page = 0;
    bool operator==(const DirList &) const = default;
};

struct DirResolve
{
    QByteArray code;
    bool operator==(const DirResolve &) const = default;
};

struct DirJoin
{
    QByteArray code;
    bool operator==(const DirJoin &) const = default;
};

struct DirRelayHello
{
    QByteArray session;
    bool operator==(const DirRelayHello &) const = default;
};

// ---- Directory to host ----

struct DirRelay
{
    QByteArray session;
    QByteArray address;       // the client's, as the directory saw it
    bool operator==(const DirRelay &) const = default;
};

struct DirCode
{
    QByteArray code;
    int heartbeatSeconds = 30;   // 1 to 3600
    bool operator==(const DirCode &) const = default;
};

struct DirProbe
{
    QByteArray challenge;
    QByteArray answer;
    bool operator==(const DirProbe &) const = default;
};

struct DirReach
{
    Reach reach = Reach::Checking;
    bool operator==(const DirReach &) const = default;
};

struct DirRefused
{
    QByteArray reason;
    bool operator==(const DirRefused &) const = default;
};

// ---- Directory to client ----

struct DirItem
{
    QByteArray code;
    QByteArray address;       // as the directory saw the host: IPv4 or IPv6 text
    int port = 0;
    int seats = 0;
    int spectators = 0;
    bool playing = false;
    Reach reach = Reach::Checking;
    int version = 1;
    QByteArray name;
    bool operator==(const DirItem &) const = default;
};

struct DirPage
{
    int page = 0;
    int count = 0;
    bool more = false;
    bool operator==(const DirPage &) const = default;
};

struct DirFound
{
    DirItem item;
    bool operator==(const DirFound &) const = default;
};

struct DirNotFound
{
    QByteArray code;
    bool operator==(const DirNotFound &) const = default;
};

// ---- Game port ----

struct ProbeOk
{
    QByteArray answer;
    bool operator==(const ProbeOk &) const = default;
};

using ToDirectory = std::variant<DirTable, DirBeat, DirReady, DirList, DirResolve, DirRecheck>;
using FromDirectory =
    std::variant<DirCode, DirProbe, DirReach, DirRefused, DirItem, DirPage, DirFound, DirNotFound, DirRelay>;
// What the relay reads on a connection: the first message of a relayed
// client's or host's connection. Kept apart from ToDirectory, which a
// directory without a relay reads.
using ToRelay = std::variant<DirJoin, DirRelayHello>;
// What the directory's probe connection reads from a game listener.
using ProbeReply = std::variant<ProbeOk, Full>;

QByteArray encode(const DirTable &m);
QByteArray encode(const DirBeat &m);
QByteArray encode(const DirReady &m);
QByteArray encode(const DirRecheck &m);
QByteArray encode(const DirList &m);
QByteArray encode(const DirResolve &m);
QByteArray encode(const DirCode &m);
QByteArray encode(const DirProbe &m);
QByteArray encode(const DirReach &m);
QByteArray encode(const DirRefused &m);
QByteArray encode(const DirItem &m);
QByteArray encode(const DirPage &m);
QByteArray encode(const DirFound &m);
QByteArray encode(const DirNotFound &m);
QByteArray encode(const ProbeOk &m);
QByteArray encode(const DirJoin &m);
QByteArray encode(const DirRelayHello &m);
QByteArray encode(const DirRelay &m);

std::optional<ToDirectory> readToDirectory(QByteArrayView line);
std::optional<FromDirectory> readFromDirectory(QByteArrayView line);
std::optional<ProbeReply> readProbeReply(QByteArrayView line);
std::optional<ToRelay> readToRelay(QByteArrayView line);
// Whether the line is one of the relay's commands, well formed or not.
bool isToRelay(QByteArrayView line);
// Whether the line has the shape of every message, a command's name and
// then '+', whatever the command.
bool isFramed(QByteArrayView line);

QByteArrayView reachText(Reach reach);

} // namespace msg

Q_DECLARE_METATYPE(msg::Reach)
