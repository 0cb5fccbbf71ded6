#pragma once

#include "portmap/mapping.h"

#include <QByteArray>

#include <memory>

// A TCP port mapping made with UPnP IGD (miniupnpc). Every call blocks,
// discovery for about two seconds: the port mapper calls these on its worker
// thread only.
class UpnpIgd
{
public:
    UpnpIgd();
    ~UpnpIgd();
    UpnpIgd(const UpnpIgd &) = delete;
    UpnpIgd &operator=(const UpnpIgd &) = delete;

    // Finds the router and maps its outside port `port` to the same port of
    // this machine's address as the router sees it (routers in secure mode
    // map to the asking machine only).
    MapResult map(quint16 port, const QByteArray &description, const Cancelled &cancelled);
    // Asks the router found by map() again, with the same lease.
    MapResult renew();
    // Deletes the mapping, if one is held. Short: no discovery.
    void unmap();
    bool holdsMapping() const { return m_port != 0; }

private:
    MapResult add();
    void forgetRouter();

    struct Router;
    std::unique_ptr<Router> m_router;
    quint16 m_port = 0; // mapped, or 0
    QByteArray m_description;
    QByteArray m_lease;
};
