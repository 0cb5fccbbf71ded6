#include "protocol/directorymessages.h"

#include "base/gamenumbers.h"
#include "protocol/fields.h"

#include <algorithm>

namespace msg {

namespace {

using fields::Parser;
using fields::Reader;
using fields::Writer;
using fields::as;
using fields::empty;
using fields::read;

constexpr int kMaxPort = 65535;
constexpr int kMaxVersion = 65535;
// No directory holds more pages than this, whatever page is asked for.
constexpr int kMaxPage = 1'000'000;
constexpr int kMaxCode = 16;
constexpr int kMaxAddress = 45;   // the longest IPv6 text
constexpr int kMaxHeartbeat = 3600;

bool isCode(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > kMaxCode)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

bool isAddressText(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > kMaxAddress)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' || c == ':'))
            return false;
    }
    return true;
}

QByteArrayView stateText(bool playing)
{
    return playing ? "playing" : "waiting";
}

std::optional<bool> readState(Reader &f)
{
    const QByteArrayView text = f.take();
    if (text == "playing")
        return true;
    if (text == "waiting")
        return false;
    return std::nullopt;
}

std::optional<Reach> readReachField(Reader &f)
{
    const QByteArrayView text = f.take();
    for (const Reach reach : {Reach::Checking, Reach::Direct, Reach::Unreachable, Reach::Relayed}) {
        if (text == reachText(reach))
            return reach;
    }
    return std::nullopt;
}

// The counts and state a table and an item share, in their order.
struct Occupancy
{
    int seats = 0;
    int spectators = 0;
    bool playing = false;
};

std::optional<Occupancy> readOccupancy(Reader &f)
{
    const std::optional<int> seats = f.takeInt(0, game::kSeats);
    const std::optional<int> spectators = seats ? f.takeInt(0, game::kSpectators) : std::nullopt;
    const std::optional<bool> playing = spectators ? readState(f) : std::nullopt;
    if (!playing)
        return std::nullopt;
    return Occupancy{*seats, *spectators, *playing};
}

std::optional<DirTable> readDirTable(Reader &f)
{
    const std::optional<int> version = f.takeInt(1, kMaxVersion);
    const std::optional<int> port = version ? f.takeInt(1, kMaxPort) : std::nullopt;
    const std::optional<Occupancy> occupancy = port ? readOccupancy(f) : std::nullopt;
    if (!occupancy || f.exhausted())
        return std::nullopt;
    return DirTable{*version, *port, occupancy->seats, occupancy->spectators, occupancy->playing, f.rest().toByteArray()};
}

std::optional<DirReady> readDirReady(Reader &f)
{
    const QByteArrayView challenge = f.take();
    if (!fields::isToken(challenge))
        return std::nullopt;
    return DirReady{challenge.toByteArray()};
}

std::optional<DirList> readDirList(Reader &f)
{
    const std::optional<bool> waiting = f.takeFlag();
    const std::optional<int> seats = waiting ? f.takeInt(0, game::kSeats) : std::nullopt;
    const std::optional<int> version = seats ? f.takeInt(0, kMaxVersion) : std::nullopt;
    const std::optional<int> page = version ? f.takeInt(0, kMaxPage) : std::nullopt;
    if (!page)
        return std::nullopt;
    return DirList{*waiting, *seats, *version, *page};
}

template <typename M>
std::optional<M> readCode(Reader &f)
{
    const QByteArrayView code = f.take();
    if (!isCode(code))
        return std::nullopt;
    return M{code.toByteArray()};
}

std::optional<DirCode> readDirCode(Reader &f)
{
    const QByteArrayView code = f.take();
    const std::optional<int> seconds = isCode(code) ? f.takeInt(1, kMaxHeartbeat) : std::nullopt;
    if (!seconds)
        return std::nullopt;
    return DirCode{code.toByteArray(), *seconds};
}

std::optional<DirProbe> readDirProbe(Reader &f)
{
    const QByteArrayView challenge = f.take();
    const QByteArrayView answer = f.take();
    if (!fields::isToken(challenge) || !fields::isToken(answer))
        return std::nullopt;
    return DirProbe{challenge.toByteArray(), answer.toByteArray()};
}

std::optional<DirReach> readDirReach(Reader &f)
{
    const std::optional<Reach> reach = readReachField(f);
    if (!reach)
        return std::nullopt;
    return DirReach{*reach};
}

std::optional<DirRefused> readDirRefused(Reader &f) { return DirRefused{f.rest().toByteArray()}; }

std::optional<DirItem> readDirItem(Reader &f)
{
    DirItem m;
    const QByteArrayView code = f.take();
    const QByteArrayView address = f.take();
    if (!isCode(code) || !isAddressText(address))
        return std::nullopt;
    m.code = code.toByteArray();
    m.address = address.toByteArray();
    const std::optional<int> port = f.takeInt(1, kMaxPort);
    const std::optional<Occupancy> occupancy = port ? readOccupancy(f) : std::nullopt;
    const std::optional<Reach> reach = occupancy ? readReachField(f) : std::nullopt;
    const std::optional<int> version = reach ? f.takeInt(1, kMaxVersion) : std::nullopt;
    if (!version || f.exhausted())
        return std::nullopt;
    m.port = *port;
    m.seats = occupancy->seats;
    m.spectators = occupancy->spectators;
    m.playing = occupancy->playing;
    m.reach = *reach;
    m.version = *version;
    m.name = f.rest().toByteArray();
    return m;
}

std::optional<DirFound> readDirFound(Reader &f)
{
    std::optional<DirItem> item = readDirItem(f);
    if (!item)
        return std::nullopt;
    return DirFound{std::move(*item)};
}

std::optional<DirPage> readDirPage(Reader &f)
{
    const std::optional<int> page = f.takeInt(0, kMaxPage);
    const std::optional<int> count = page ? f.takeInt(0, kMaxPage) : std::nullopt;
    const std::optional<bool> more = count ? f.takeFlag() : std::nullopt;
    if (!more)
        return std::nullopt;
    return DirPage{*page, *count, *more};
}

std::optional<ProbeOk> readProbeOk(Reader &f)
{
    const QByteArrayView answer = f.take();
    if (!fields::isToken(answer))
        return std::nullopt;
    return ProbeOk{answer.toByteArray()};
}

template <typename M>
std::optional<M> readSession(Reader &f)
{
    const QByteArrayView session = f.take();
    if (!fields::isToken(session))
        return std::nullopt;
    return M{session.toByteArray()};
}

std::optional<DirRelay> readDirRelay(Reader &f)
{
    const QByteArrayView session = f.take();
    const QByteArrayView address = f.take();
    if (!fields::isToken(session) || !isAddressText(address))
        return std::nullopt;
    return DirRelay{session.toByteArray(), address.toByteArray()};
}

Writer &itemFields(Writer &out, const DirItem &m)
{
    return out.field(m.code)
        .field(m.address)
        .field(m.port)
        .field(m.seats)
        .field(m.spectators)
        .field(stateText(m.playing))
        .field(reachText(m.reach))
        .field(m.version)
        .field(m.name);
}

} // namespace

QByteArrayView reachText(Reach reach)
{
    switch (reach) {
    case Reach::Checking: return "checking";
    case Reach::Direct: return "direct";
    case Reach::Unreachable: return "unreachable";
    case Reach::Relayed: return "relayed";
    }
    return "checking";
}

QByteArray encode(const DirTable &m)
{
    return Writer("CMD_dirtable")
        .field(m.version)
        .field(m.port)
        .field(m.seats)
        .field(m.spectators)
        .field(stateText(m.playing))
        .field(m.name)
        .done();
}

QByteArray encode(const DirBeat &) { return Writer("CMD_dirbeat").done(); }
QByteArray encode(const DirReady &m) { return Writer("CMD_dirready").field(m.challenge).done(); }
QByteArray encode(const DirRecheck &) { return Writer("CMD_dirrecheck").done(); }

QByteArray encode(const DirList &m)
{
    return Writer("CMD_dirlist").flag(m.waitingOnly).field(m.freeSeats).field(m.version).field(m.page).done();
}

QByteArray encode(const DirResolve &m) { return Writer("CMD_dirresolve").field(m.code).done(); }
QByteArray encode(const DirCode &m) { return Writer("CMD_dircode").field(m.code).field(m.heartbeatSeconds).done(); }
QByteArray encode(const DirProbe &m) { return Writer("CMD_dirprobe").field(m.challenge).field(m.answer).done(); }
QByteArray encode(const DirReach &m) { return Writer("CMD_dirreach").field(reachText(m.reach)).done(); }
QByteArray encode(const DirRefused &m) { return Writer("CMD_dirrefused").field(m.reason).done(); }

QByteArray encode(const DirItem &m)
{
    Writer out("CMD_diritem");
    return itemFields(out, m).done();
}

QByteArray encode(const DirPage &m) { return Writer("CMD_dirpage").field(m.page).field(m.count).flag(m.more).done(); }

QByteArray encode(const DirFound &m)
{
    Writer out("CMD_dirfound");
    return itemFields(out, m.item).done();
}

QByteArray encode(const DirNotFound &m) { return Writer("CMD_dirnotfound").field(m.code).done(); }
QByteArray encode(const ProbeOk &m) { return Writer("CMD_probeok").field(m.answer).done(); }
QByteArray encode(const DirJoin &m) { return Writer("CMD_dirjoin").field(m.code).done(); }
QByteArray encode(const DirRelayHello &m) { return Writer("CMD_dirrelayhello").field(m.session).done(); }
QByteArray encode(const DirRelay &m) { return Writer("CMD_dirrelay").field(m.session).field(m.address).done(); }

std::optional<ToDirectory> readToDirectory(QByteArrayView line)
{
    using V = ToDirectory;
    static const std::vector<std::pair<QByteArrayView, Parser<V>>> table = {
        {"CMD_dirbeat", empty<V, DirBeat>()},
        {"CMD_dirtable", as<V>(&readDirTable)},
        {"CMD_dirlist", as<V>(&readDirList)},
        {"CMD_dirready", as<V>(&readDirReady)},
        {"CMD_dirresolve", as<V>(&readCode<DirResolve>)},
        {"CMD_dirrecheck", empty<V, DirRecheck>()},
    };
    return read(line, table);
}

std::optional<FromDirectory> readFromDirectory(QByteArrayView line)
{
    using V = FromDirectory;
    static const std::vector<std::pair<QByteArrayView, Parser<V>>> table = {
        {"CMD_diritem", as<V>(&readDirItem)},
        {"CMD_dirpage", as<V>(&readDirPage)},
        {"CMD_dirfound", as<V>(&readDirFound)},
        {"CMD_dirnotfound", as<V>(&readCode<DirNotFound>)},
        {"CMD_dircode", as<V>(&readDirCode)},
        {"CMD_dirprobe", as<V>(&readDirProbe)},
        {"CMD_dirreach", as<V>(&readDirReach)},
        {"CMD_dirrefused", as<V>(&readDirRefused)},
        {"CMD_dirrelay", as<V>(&readDirRelay)},
    };
    return read(line, table);
}

std::optional<ProbeReply> readProbeReply(QByteArrayView line)
{
    using V = ProbeReply;
    static const std::vector<std::pair<QByteArrayView, Parser<V>>> table = {
        {"CMD_probeok", as<V>(&readProbeOk)},
        {"CMD_full", empty<V, Full>()},
    };
    return read(line, table);
}

namespace {

const std::vector<std::pair<QByteArrayView, Parser<ToRelay>>> &toRelayTable()
{
    using V = ToRelay;
    static const std::vector<std::pair<QByteArrayView, Parser<V>>> table = {
        {"CMD_dirjoin", as<V>(&readCode<DirJoin>)},
        {"CMD_dirrelayhello", as<V>(&readSession<DirRelayHello>)},
    };
    return table;
}

} // namespace

std::optional<ToRelay> readToRelay(QByteArrayView line)
{
    return read(line, toRelayTable());
}

bool isToRelay(QByteArrayView line)
{
    const qsizetype plus = line.indexOf('+');
    const QByteArrayView command = plus < 0 ? line : line.first(plus);
    return std::ranges::any_of(toRelayTable(), [command](const auto &entry) { return entry.first == command; });
}

bool isFramed(QByteArrayView line)
{
    constexpr QByteArrayView kCommandPrefix = "CMD_";
    return line.startsWith(kCommandPrefix) && line.indexOf('+') > kCommandPrefix.size();
}

} // namespace msg
