#pragma once

#include <QHostAddress>
#include <QString>

#include <functional>

// What one attempt at the router gave, and the rules about what a router
// says. The router is another machine: its numbers and addresses are checked
// like anything else read from the network.

// The lease asked for; the mapping is renewed well before it ends.
inline constexpr quint32 kRequestedLeaseSeconds = 3600;

struct MapResult
{
    bool ok = false;
    QHostAddress outside;
    quint16 outsidePort = 0;
    quint32 leaseSeconds = 0; // as granted; 0 means it does not end
    QString reason;           // why not, when !ok

    static MapResult failure(const QString &why)
    {
        MapResult result;
        result.reason = why;
        return result;
    }
};

// Asked between the steps of a blocking attempt: true once nobody wants its
// outcome any more.
using Cancelled = std::function<bool()>;

// Seconds until a mapping granted for leaseSeconds is renewed: half the
// lease, as NAT-PMP asks. A lease that never ends, or one longer than asked
// for, is renewed as one of an hour, so that a router that restarted and
// forgot it is noticed; a very short one is not renewed in a tight loop.
int renewalDelaySeconds(quint32 leaseSeconds);

// Whether players on the internet can reach an outside address. A router
// behind another router reports a private or shared address; announcing
// that would send players nowhere.
bool isPublicAddress(const QHostAddress &address);

// The mapping's description as sent to the router: the router shows it to
// whoever administers it, and miniupnpc puts it into XML unescaped, so only
// printable ASCII without markup characters goes, cut to a length routers
// keep.
QByteArray routerDescription(const QString &description);
