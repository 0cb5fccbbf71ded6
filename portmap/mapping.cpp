#include "portmap/mapping.h"

#include <algorithm>

namespace {

// Renewing more often than this is pointless work for the router.
constexpr int kShortestRenewalSeconds = 30;
constexpr int kDescriptionBytes = 64;

} // namespace

int renewalDelaySeconds(quint32 leaseSeconds)
{
    const quint32 lease = leaseSeconds == 0 ? kRequestedLeaseSeconds : std::min(leaseSeconds, kRequestedLeaseSeconds);
    return std::max(int(lease / 2), kShortestRenewalSeconds);
}

bool isPublicAddress(const QHostAddress &address)
{
    bool isV4 = false;
    address.toIPv4Address(&isV4);
    if (!isV4 || address.isLoopback() || address.isMulticast() || address.isBroadcast() || address.isLinkLocal())
        return false;
    static const QList<QPair<QHostAddress, int>> notOnTheInternet = {
        QHostAddress::parseSubnet(QStringLiteral("0.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("100.64.0.0/10")), // carrier-grade NAT
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("240.0.0.0/4")),
    };
    return std::none_of(notOnTheInternet.begin(), notOnTheInternet.end(),
                        [&](const auto &subnet) { return address.isInSubnet(subnet); });
}

QByteArray routerDescription(const QString &description)
{
    QByteArray out;
    for (const QChar c : description) {
        if (out.size() == kDescriptionBytes)
            break;
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7e)
            out += '?';
        else if (u == '<' || u == '>' || u == '&' || u == '"' || u == '\'')
            out += ' ';
        else
            out += char(u);
    }
    return out.trimmed();
}
