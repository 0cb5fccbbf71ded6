#include "portmap/routerworker.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPortMap)

RouterWorker::RouterWorker(std::shared_ptr<const std::atomic_int> current) : m_current(std::move(current))
{
}

void RouterWorker::map(int generation, quint16 port, const QByteArray &description)
{
    unmap();
    m_port = port;
    m_description = description;
    const Cancelled cancelled = [this, generation] { return isStale(generation); };
    if (cancelled())
        return;

    const MapResult upnp = m_upnp.map(port, description, cancelled);
    if (upnp.ok) {
        m_method = Method::Upnp;
        emit finished(generation, upnp, m_method);
        return;
    }
    qCDebug(lcPortMap) << "UPnP:" << upnp.reason;
    if (cancelled())
        return;
    const MapResult natPmp = m_natPmp.map(port, cancelled);
    if (natPmp.ok) {
        m_method = Method::NatPmp;
        emit finished(generation, natPmp, m_method);
        return;
    }
    qCDebug(lcPortMap) << "NAT-PMP:" << natPmp.reason;
    if (m_natPmp.holdsMapping())
        m_method = Method::NatPmp;
    if (!cancelled())
        emit finished(generation, MapResult::failure(upnp.reason + QStringLiteral("; ") + natPmp.reason), Method::None);
}

void RouterWorker::renew(int generation)
{
    const Cancelled cancelled = [this, generation] { return isStale(generation); };
    MapResult again;
    if (m_method == Method::Upnp)
        again = m_upnp.renew();
    else if (m_method == Method::NatPmp)
        again = m_natPmp.renew(cancelled);
    if (again.ok) {
        emit finished(generation, again, m_method);
        return;
    }
    qCDebug(lcPortMap) << "renewal:" << again.reason;
    if (m_port != 0 && !cancelled())
        map(generation, m_port, m_description);
}

void RouterWorker::unmap()
{
    m_upnp.unmap();
    m_natPmp.unmap();
    m_method = Method::None;
    m_port = 0;
}

void RouterWorker::release()
{
    unmap();
    emit released();
}
