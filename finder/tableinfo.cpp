// The fallback exchange, on port 7772/udp, for networks without an mDNS
// daemon. Text in UTF-8, every line ended by '\n':
//
//   query   = "PINLEX-FIND 1 ?\n" padding
//   padding = '.' up to kQueryBytes bytes in all
//   reply   = "PINLEX-FIND 1 !\n" *field
//   field   = key "=" value "\n"
//
//   key         value
//   v           protocol version of the table, 1..65535
//   port        the game's TCP port, 1..65535
//   seats       seats taken, 0..4
//   spectators  0..5
//   state       "waiting" or "playing"
//   id          the table's random id, 1..16 hex digits, not 0
//   name        the table's name, the rest of the line
//
// The "1" is the format's version: a responder answers a query of any
// version in this format, a finder ignores replies of another. A responder
// sends its reply to the query's source address and port only, and never a
// reply larger than the query: the padding makes room for the longest reply,
// and nobody can use a responder to multiply traffic toward someone else.
//
// The mDNS announcement carries the same v, seats, spectators, state and id
// as TXT strings "key=value"; the name is the instance name and the port
// that of the SRV record. Every version keeps these keys; unknown keys are
// ignored, keys are compared without case, and of two equal keys the first
// counts.
#include "finder/tableinfo.h"

#include "protocol/tablename.h"

#include <QRandomGenerator>

Q_LOGGING_CATEGORY(lcFinder, "pinlex.finder", QtWarningMsg)

namespace {

constexpr QByteArrayView kQueryLine = "PINLEX-FIND 1 ?\n";
constexpr QByteArrayView kReplyLine = "PINLEX-FIND 1 !\n";
constexpr QByteArrayView kMagic = "PINLEX-FIND ";
constexpr qsizetype kQueryBytes = 256;
constexpr int kMaxFields = 32;

// Digits only, at most five, within [low, high].
std::optional<int> smallNumber(QByteArrayView text, int low, int high)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<quint64> tableIdFrom(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 16)
        return std::nullopt;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return std::nullopt;
    }
    bool ok = false;
    const quint64 id = text.toByteArray().toULongLong(&ok, 16);
    if (!ok || id == 0)
        return std::nullopt;
    return id;
}

// The fields both encodings share, as read: each one checked, or absent.
struct Fields
{
    std::optional<int> version, port, seats, spectators;
    std::optional<TableInfo::State> state;
    std::optional<quint64> id;
    QByteArray name;
    bool bad = false;   // a known key with a value out of range
    bool seen[7] = {};
};

// TXT strings carry neither port nor name: the SRV record and the instance
// name say those.
void readField(Fields &fields, QByteArrayView entry, bool txt)
{
    const qsizetype eq = entry.indexOf('=');
    if (eq <= 0)
        return;   // a TXT attribute without value, or no key: nothing of ours
    const QByteArray key = entry.first(eq).toByteArray().toLower();
    const QByteArrayView value = entry.sliced(eq + 1);
    static const char *const kKeys[] = {"v", "port", "seats", "spectators", "state", "id", "name"};
    int which = -1;
    for (int i = 0; i < 7; ++i) {
        if (key == kKeys[i])
            which = i;
    }
    if (which < 0 || fields.seen[which] || (txt && (which == 1 || which == 6)))
        return;
    fields.seen[which] = true;
    switch (which) {
    case 0: fields.version = smallNumber(value, 1, 65535); fields.bad |= !fields.version; break;
    case 1: fields.port = smallNumber(value, 1, 65535); fields.bad |= !fields.port; break;
    case 2: fields.seats = smallNumber(value, 0, TableInfo::kSeats); fields.bad |= !fields.seats; break;
    case 3:
        fields.spectators = smallNumber(value, 0, TableInfo::kSpectatorSeats);
        fields.bad |= !fields.spectators;
        break;
    case 4:
        if (value == "waiting")
            fields.state = TableInfo::State::Waiting;
        else if (value == "playing")
            fields.state = TableInfo::State::Playing;
        else
            fields.bad = true;
        break;
    case 5: fields.id = tableIdFrom(value); fields.bad |= !fields.id; break;
    case 6: fields.name = value.first(std::min<qsizetype>(value.size(), 4 * TableInfo::kMaxNameBytes)).toByteArray(); break;
    }
}

// The table the fields describe when every one it needs is there and valid.
std::optional<TableInfo> tableFrom(const Fields &fields, QStringView name, const QHostAddress &address, int port,
                                   TableInfo::Source source)
{
    if (fields.bad || !fields.version || !fields.seats || !fields.spectators || !fields.state)
        return std::nullopt;
    if (port < 1 || port > 65535 || address.isNull())
        return std::nullopt;
    TableInfo table;
    table.name = TableInfo::cleanName(name);
    if (table.name.isEmpty())
        return std::nullopt;
    table.address = address;
    table.port = quint16(port);
    table.seatsTaken = *fields.seats;
    table.spectators = *fields.spectators;
    table.state = *fields.state;
    table.protocolVersion = *fields.version;
    table.tableId = fields.id.value_or(0);
    table.source = source;
    return table;
}

QByteArray field(const char *key, const QByteArray &value)
{
    return QByteArray(key) + '=' + value;
}

} // namespace

bool TableInfo::sameTable(const TableInfo &other) const
{
    if (tableId != 0 && other.tableId != 0)
        return tableId == other.tableId;
    return port == other.port && address.isEqual(other.address);
}

QString TableInfo::defaultName(QStringView playerName)
{
    return tablename::forPlayer(playerName);
}

QString TableInfo::cleanName(QStringView name)
{
    return tablename::cleaned(name);
}

quint64 TableInfo::newTableId()
{
    quint64 id = 0;
    while (id == 0)
        id = QRandomGenerator::system()->generate64();
    return id;
}

QString TableInfo::stateText(State state)
{
    return state == State::Playing ? QStringLiteral("playing") : QStringLiteral("waiting");
}

QString TableInfo::sourceText(Source source)
{
    switch (source) {
    case Source::Lan: return QStringLiteral("lan");
    case Source::Udp: return QStringLiteral("udp");
    case Source::Directory: return QStringLiteral("directory");
    }
    return {};
}

QString TableInfo::reachText(Reach reach)
{
    switch (reach) {
    case Reach::Checking: return QStringLiteral("checking");
    case Reach::Direct: return QStringLiteral("direct");
    case Reach::Unreachable: return QStringLiteral("unreachable");
    case Reach::Relayed: return QStringLiteral("relayed");
    }
    return {};
}

QList<QByteArray> TableInfo::toTxt() const
{
    QList<QByteArray> txt = {
        field("v", QByteArray::number(protocolVersion)),
        field("seats", QByteArray::number(qBound(0, seatsTaken, kSeats))),
        field("spectators", QByteArray::number(qBound(0, spectators, kSpectatorSeats))),
        field("state", stateText(state).toLatin1()),
    };
    if (tableId != 0)
        txt.append(field("id", QByteArray::number(tableId, 16)));
    return txt;
}

std::optional<TableInfo> TableInfo::fromTxt(QStringView instanceName, const QList<QByteArray> &txt,
                                            const QHostAddress &address, int port)
{
    Fields fields;
    for (qsizetype i = 0; i < txt.size() && i < kMaxFields; ++i)
        readField(fields, txt[i], true);
    return tableFrom(fields, instanceName, address, port, Source::Lan);
}

QByteArray TableInfo::fallbackQuery()
{
    QByteArray query = kQueryLine.toByteArray();
    query.append(kQueryBytes - query.size(), '.');
    return query;
}

bool TableInfo::isFallbackQuery(QByteArrayView datagram)
{
    if (!datagram.startsWith(kMagic))
        return false;
    const qsizetype end = datagram.indexOf('\n');
    return end > kMagic.size() && datagram.first(end).endsWith(" ?");
}

QByteArray TableInfo::toFallbackReply() const
{
    QByteArray reply = kReplyLine.toByteArray();
    for (const QByteArray &entry : toTxt())
        reply += entry + '\n';
    reply += field("port", QByteArray::number(port)) + '\n';
    reply += field("name", cleanName(name).toUtf8()) + '\n';
    return reply;
}

std::optional<TableInfo> TableInfo::fromFallbackReply(QByteArrayView datagram, const QHostAddress &sender)
{
    if (!datagram.startsWith(kReplyLine) || datagram.size() > kMaxFallbackReplyBytes)
        return std::nullopt;
    Fields fields;
    QByteArrayView rest = datagram.sliced(kReplyLine.size());
    for (int i = 0; i < kMaxFields && !rest.isEmpty(); ++i) {
        const qsizetype end = rest.indexOf('\n');
        if (end < 0)
            return std::nullopt;   // cut off: trust none of it
        readField(fields, rest.first(end), false);
        rest = rest.sliced(end + 1);
    }
    if (!fields.port)
        return std::nullopt;
    return tableFrom(fields, QString::fromUtf8(fields.name), sender, *fields.port, Source::Udp);
}
