#include "portmap/upnpigd.h"

#include <QLoggingCategory>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

Q_DECLARE_LOGGING_CATEGORY(lcPortMap)

namespace {

// SSDP answers from a router on the local network come within
// milliseconds, but some take over a second.
constexpr int kDiscoveryMs = 2000;
constexpr unsigned char kSsdpTtl = 2;
// UPnP's "OnlyPermanentLeasesSupported".
constexpr int kOnlyPermanentLeases = 725;

QString upnpError(int code)
{
    const char *text = strupnperror(code);
    return text ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(text)).arg(code)
                : QStringLiteral("error %1").arg(code);
}

} // namespace

struct UpnpIgd::Router
{
    UPNPUrls urls = {};
    IGDdatas data = {};
    char lanAddress[64] = {};

    ~Router() { FreeUPNPUrls(&urls); }
};

UpnpIgd::UpnpIgd() = default;

UpnpIgd::~UpnpIgd() = default;

MapResult UpnpIgd::map(quint16 port, const QByteArray &description, const Cancelled &cancelled)
{
    unmap();
    forgetRouter();
    m_description = description;
    m_lease = QByteArray::number(kRequestedLeaseSeconds);

    // Every search type goes out at once, then one wait: searching them one
    // after another would wait once per type when no router answers.
    static const char *const searched[] = {
        "urn:schemas-upnp-org:device:InternetGatewayDevice:1",
        "urn:schemas-upnp-org:service:WANIPConnection:1",
        "urn:schemas-upnp-org:service:WANPPPConnection:1",
        nullptr,
    };
    int error = UPNPDISCOVER_SUCCESS;
    UPNPDev *devices = upnpDiscoverDevices(searched, kDiscoveryMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY,
                                           0, kSsdpTtl, &error, 1);
    if (!devices)
        return MapResult::failure(QStringLiteral("no UPnP router answered"));
    if (cancelled()) {
        freeUPNPDevlist(devices);
        return MapResult::failure(QStringLiteral("cancelled"));
    }

    auto router = std::make_unique<Router>();
    // The call gained the router's outside address in miniupnpc's API 18,
    // and with it a separate answer for a private outside address.
#if MINIUPNPC_API_VERSION >= 18
    char wanAddress[64] = {};
    const int found = UPNP_GetValidIGD(devices, &router->urls, &router->data, router->lanAddress,
                                       sizeof router->lanAddress, wanAddress, sizeof wanAddress);
#else
    const int found = UPNP_GetValidIGD(devices, &router->urls, &router->data, router->lanAddress,
                                       sizeof router->lanAddress);
#endif
    freeUPNPDevlist(devices);
    // 1 is a connected router in both versions; anything else is of no use.
    if (found != 1) {
        return MapResult::failure(found == 0 ? QStringLiteral("no UPnP router answered")
                                             : QStringLiteral("the UPnP router is not connected to the internet directly"));
    }
    if (cancelled())
        return MapResult::failure(QStringLiteral("cancelled"));

    m_router = std::move(router);
    m_port = port;
    MapResult result = add();
    if (!result.ok)
        forgetRouter();
    return result;
}

MapResult UpnpIgd::renew()
{
    if (!m_router || m_port == 0)
        return MapResult::failure(QStringLiteral("no UPnP mapping to renew"));
    return add();
}

MapResult UpnpIgd::add()
{
    // Asked every time: a router that restarted may have another address.
    char outside[40] = {};
    const int asked = UPNP_GetExternalIPAddress(m_router->urls.controlURL, m_router->data.first.servicetype, outside);
    outside[sizeof outside - 1] = '\0';
    const QHostAddress address(QString::fromLatin1(outside));
    if (asked != UPNPCOMMAND_SUCCESS || address.isNull())
        return MapResult::failure(QStringLiteral("the UPnP router did not tell its outside address"));
    if (!isPublicAddress(address)) {
        return MapResult::failure(
            QStringLiteral("the UPnP router's outside address %1 is not on the internet").arg(address.toString()));
    }

    const QByteArray port = QByteArray::number(m_port);
    int added = UPNP_AddPortMapping(m_router->urls.controlURL, m_router->data.first.servicetype, port.constData(),
                                    port.constData(), m_router->lanAddress, m_description.constData(), "TCP",
                                    nullptr, m_lease.constData());
    if (added == kOnlyPermanentLeases) {
        m_lease = "0";
        added = UPNP_AddPortMapping(m_router->urls.controlURL, m_router->data.first.servicetype, port.constData(),
                                    port.constData(), m_router->lanAddress, m_description.constData(), "TCP",
                                    nullptr, m_lease.constData());
    }
    if (added != UPNPCOMMAND_SUCCESS)
        return MapResult::failure(QStringLiteral("the UPnP router refused the mapping: %1").arg(upnpError(added)));
    qCDebug(lcPortMap) << "UPnP mapped" << m_port << "to" << m_router->lanAddress << "lease" << m_lease;
    MapResult result;
    result.ok = true;
    result.outside = address;
    result.outsidePort = m_port;
    result.leaseSeconds = m_lease.toUInt();
    return result;
}

void UpnpIgd::unmap()
{
    if (!m_router || m_port == 0)
        return;
    const QByteArray port = QByteArray::number(m_port);
    const int deleted = UPNP_DeletePortMapping(m_router->urls.controlURL, m_router->data.first.servicetype,
                                               port.constData(), "TCP", nullptr);
    qCDebug(lcPortMap) << "UPnP unmapped" << m_port << (deleted == UPNPCOMMAND_SUCCESS ? "" : "failed") << deleted;
    m_port = 0;
}

void UpnpIgd::forgetRouter()
{
    m_router.reset();
    m_port = 0;
}
