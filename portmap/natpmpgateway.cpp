#include "portmap/natpmpgateway.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>

#include <natpmp.h>

#include <algorithm>

#include <sys/select.h>

Q_DECLARE_LOGGING_CATEGORY(lcPortMap)

namespace {

// libnatpmp repeats a request with back-off for about a minute when nobody
// answers; a gateway on the local network that answers at all does so
// within milliseconds. Three tries fit in this.
constexpr int kAnswerMs = 2000;
// How often a wait looks at whether it is still wanted.
constexpr int kCancelCheckMs = 100;

QString natPmpError(int code)
{
    switch (code) {
    case NATPMP_ERR_CANNOTGETGATEWAY:
        return QStringLiteral("no default gateway");
    case NATPMP_ERR_NOGATEWAYSUPPORT:
        return QStringLiteral("the gateway does not speak NAT-PMP");
    case NATPMP_ERR_NOTAUTHORIZED:
        return QStringLiteral("the gateway does not allow port mappings");
    case NATPMP_ERR_NETWORKFAILURE:
        return QStringLiteral("the gateway is not connected");
    case NATPMP_ERR_OUTOFRESOURCES:
        return QStringLiteral("the gateway has no port left");
    default:
        return QStringLiteral("NAT-PMP error %1").arg(code);
    }
}

// One request and its answer, within kAnswerMs.
class Exchange
{
public:
    Exchange() { m_opened = initnatpmp(&m_natpmp, 0, 0); }
    ~Exchange()
    {
        if (m_opened == 0)
            closenatpmp(&m_natpmp);
    }
    Exchange(const Exchange &) = delete;
    Exchange &operator=(const Exchange &) = delete;

    int opened() const { return m_opened; }
    natpmp_t *handle() { return &m_natpmp; }

    // The answer to the request just sent; 0 or a NATPMP_ERR_* code.
    int await(natpmpresp_t *response, const Cancelled &cancelled)
    {
        const QDeadlineTimer deadline(kAnswerMs);
        for (;;) {
            timeval retry = {};
            if (getnatpmprequesttimeout(&m_natpmp, &retry) < 0)
                return NATPMP_ERR_NOPENDINGREQ;
            const qint64 untilRetry = qint64(retry.tv_sec) * 1000 + retry.tv_usec / 1000;
            const qint64 wait = std::clamp<qint64>(std::min(untilRetry, deadline.remainingTime()), 0, kCancelCheckMs);
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_natpmp.s, &readable);
            timeval timeout = {time_t(wait / 1000), suseconds_t(wait % 1000 * 1000)};
            select(m_natpmp.s + 1, &readable, nullptr, nullptr, &timeout);
            const int read = readnatpmpresponseorretry(&m_natpmp, response);
            if (read != NATPMP_TRYAGAIN)
                return read;
            if (deadline.hasExpired())
                return NATPMP_ERR_NOGATEWAYSUPPORT;
            if (cancelled && cancelled())
                return NATPMP_TRYAGAIN;
        }
    }

private:
    natpmp_t m_natpmp = {};
    int m_opened = -1;
};

} // namespace

MapResult NatPmpGateway::map(quint16 port, const Cancelled &cancelled)
{
    unmap();
    m_port = port;
    MapResult result = request(port, kRequestedLeaseSeconds, cancelled);
    if (!result.ok && !m_unanswered)
        m_port = 0;
    return result;
}

MapResult NatPmpGateway::renew(const Cancelled &cancelled)
{
    if (m_port == 0)
        return MapResult::failure(QStringLiteral("no NAT-PMP mapping to renew"));
    return request(m_outsidePort, kRequestedLeaseSeconds, cancelled);
}

MapResult NatPmpGateway::request(quint16 outsidePort, quint32 lease, const Cancelled &cancelled)
{
    m_unanswered = false;
    Exchange exchange;
    if (exchange.opened() != 0)
        return MapResult::failure(natPmpError(exchange.opened()));

    natpmpresp_t response = {};
    if (sendpublicaddressrequest(exchange.handle()) < 0)
        return MapResult::failure(QStringLiteral("cannot ask the gateway over NAT-PMP"));
    int answer = exchange.await(&response, cancelled);
    if (answer == NATPMP_TRYAGAIN)
        return MapResult::failure(QStringLiteral("cancelled"));
    if (answer != 0 || response.type != NATPMP_RESPTYPE_PUBLICADDRESS)
        return MapResult::failure(natPmpError(answer));
    const QHostAddress outside(quint32(ntohl(response.pnu.publicaddress.addr.s_addr)));
    if (!isPublicAddress(outside)) {
        return MapResult::failure(
            QStringLiteral("the NAT-PMP gateway's outside address %1 is not on the internet").arg(outside.toString()));
    }

    if (sendnewportmappingrequest(exchange.handle(), NATPMP_PROTOCOL_TCP, m_port, outsidePort, lease) < 0)
        return MapResult::failure(QStringLiteral("cannot ask the gateway over NAT-PMP"));
    // Unanswered, the mapping may have been made all the same: it stays
    // held, so that unmap() deletes it.
    m_unanswered = true;
    answer = exchange.await(&response, cancelled);
    if (answer == NATPMP_TRYAGAIN)
        return MapResult::failure(QStringLiteral("cancelled"));
    m_unanswered = answer == NATPMP_ERR_NOGATEWAYSUPPORT;
    if (answer != 0 || response.type != NATPMP_RESPTYPE_TCPPORTMAPPING
        || response.pnu.newportmapping.privateport != m_port || response.pnu.newportmapping.mappedpublicport == 0)
        return MapResult::failure(natPmpError(answer));

    m_outsidePort = response.pnu.newportmapping.mappedpublicport;
    qCDebug(lcPortMap) << "NAT-PMP mapped" << m_outsidePort << "to" << m_port << "lease"
                       << response.pnu.newportmapping.lifetime;
    MapResult result;
    result.ok = true;
    result.outside = outside;
    result.outsidePort = m_outsidePort;
    result.leaseSeconds = response.pnu.newportmapping.lifetime;
    return result;
}

void NatPmpGateway::unmap()
{
    if (m_port == 0)
        return;
    // A lifetime of 0 deletes the mapping of this machine's port.
    Exchange exchange;
    natpmpresp_t response = {};
    int answer = exchange.opened();
    if (answer == 0 && sendnewportmappingrequest(exchange.handle(), NATPMP_PROTOCOL_TCP, m_port, 0, 0) >= 0)
        answer = exchange.await(&response, {});
    qCDebug(lcPortMap) << "NAT-PMP unmapped" << m_port << (answer == 0 ? "" : "failed") << answer;
    m_port = 0;
    m_outsidePort = 0;
    m_unanswered = false;
}
