#pragma once

#include "base/gamenumbers.h"
#include "base/version.h"
#include "protocol/tablename.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QLoggingCategory>
#include <QString>

#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcFinder)

// DNS-SD service type of a table, and the UDP port of the fallback exchange
// for networks without an mDNS daemon.
inline constexpr char kTableServiceType[] = "_pinlex._tcp";
inline constexpr quint16 kFallbackUdpPort = 7772;

// One table on the network, as announced by its host and as a finder lists
// it. It is the only place that turns a table into TXT records or a UDP
// reply and back; everything decoded is range-checked and cut, because it
// comes from anyone on the network.
struct TableInfo
{
    enum class State { Waiting, Playing };
    // How the table was found: "lan" (mDNS), "udp" (the fallback exchange),
    // "directory" (a game directory's list).
    enum class Source { Lan, Udp, Directory };

    static constexpr int kSeats = game::kSeats;
    static constexpr int kSpectatorSeats = game::kSpectators;
    static constexpr int kMaxNameChars = tablename::kMaxChars;
    static constexpr int kMaxNameBytes = tablename::kMaxBytes;

    QString name;            // printable, 1..kMaxNameChars characters
    QHostAddress address;    // where to connect: who answered, never a field
    quint16 port = 0;        // the game's TCP port, never 0
    int seatsTaken = 0;      // 0..kSeats
    int spectators = 0;      // 0..kSpectatorSeats
    State state = State::Waiting;
    int protocolVersion = kProtocolVersion;
    quint64 tableId = 0;     // random, chosen by the host; 0 = unknown
    Source source = Source::Lan;
    // A directory's table: the code it is known by, and whether the
    // directory reached its game port ("checking" until it tried); a
    // relayed table is joined through the directory that listed it.
    enum class Reach { Checking, Direct, Unreachable, Relayed };
    QString code;
    Reach reach = Reach::Checking;
    bool isUnreachable() const { return source == Source::Directory && reach == Reach::Unreachable; }
    bool isRelayed() const { return source == Source::Directory && reach == Reach::Relayed; }

    bool isJoinable() const { return protocolVersion == kProtocolVersion; }
    // The same table: by its id when both know one, else by address and port.
    bool sameTable(const TableInfo &other) const;
    bool operator==(const TableInfo &other) const = default;

    // See protocol/tablename.h.
    static QString defaultName(QStringView playerName);
    static QString cleanName(QStringView name);
    static quint64 newTableId();   // random, never 0

    static QString stateText(State state);    // "waiting" / "playing"
    static QString sourceText(Source source); // "lan" / "udp" / "directory"
    static QString reachText(Reach reach);    // "checking" / "direct" / "unreachable" / "relayed"

    // TXT records of the mDNS announcement; the name travels as the
    // instance name and the port in the SRV record.
    QList<QByteArray> toTxt() const;
    static std::optional<TableInfo> fromTxt(QStringView instanceName, const QList<QByteArray> &txt,
                                            const QHostAddress &address, int port);

    // The fallback exchange (format at the top of tableinfo.cpp). No valid
    // reply is longer than kMaxFallbackReplyBytes.
    static constexpr qsizetype kMaxFallbackReplyBytes = 256;
    static QByteArray fallbackQuery();
    static bool isFallbackQuery(QByteArrayView datagram);
    QByteArray toFallbackReply() const;
    static std::optional<TableInfo> fromFallbackReply(QByteArrayView datagram, const QHostAddress &sender);
};
