#pragma once

#include "portmap/mapping.h"

// A TCP port mapping made with NAT-PMP (libnatpmp) at the default gateway.
// Every call blocks for at most a couple of seconds: the port mapper calls
// these on its worker thread only.
class NatPmpGateway
{
public:
    // Maps an outside port to `port` of this machine; the gateway picks the
    // outside port, asked for the same one.
    MapResult map(quint16 port, const Cancelled &cancelled);
    MapResult renew(const Cancelled &cancelled);
    // Deletes the mapping, if one is held.
    void unmap();
    bool holdsMapping() const { return m_port != 0; }

private:
    MapResult request(quint16 outsidePort, quint32 lease, const Cancelled &cancelled);

    quint16 m_port = 0;        // this machine's, while mapped
    quint16 m_outsidePort = 0;
    bool m_unanswered = false; // a mapping request went out without an answer
};
