#include "portmap/portmapper.h"

#include "portmap/mapping.h"
#include "portmap/routerworker.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QThread>

#include <utility>

Q_LOGGING_CATEGORY(lcPortMap, "pinlex.portmap", QtWarningMsg)

namespace {

// The longest an exit waits for the router: a discovery under way (two
// seconds) ends before the mapping can be deleted.
constexpr int kStopWaitMs = 6000;

} // namespace

PortMapper::PortMapper(QObject *parent)
    : QObject(parent), m_generation(std::make_shared<std::atomic_int>(0))
{
    m_renewal.setSingleShot(true);
    connect(&m_renewal, &QTimer::timeout, this, &PortMapper::renew);
}

PortMapper::~PortMapper()
{
    stop();
    if (!m_thread)
        return;
    // Queued after any unmap, so the thread ends once the mapping is gone.
    QMetaObject::invokeMethod(m_worker, [] { QThread::currentThread()->quit(); }, Qt::QueuedConnection);
    if (!m_thread->wait(QDeadlineTimer(kStopWaitMs))) {
        // The thread cannot be ended from outside safely; at exit the
        // process takes it along.
        qCWarning(lcPortMap) << "the router did not answer within" << kStopWaitMs << "ms; the mapping may stay";
        return;
    }
    delete m_worker;
    delete m_thread;
}

void PortMapper::ensureWorker()
{
    if (m_thread)
        return;
    // Not children of the mapper: should the router hang at exit, both are
    // left to the worker thread instead of being destroyed under it.
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("port mapper"));
    m_worker = new RouterWorker(m_generation);
    m_worker->moveToThread(m_thread);
    connect(m_worker, &RouterWorker::released, this, &PortMapper::released);
    connect(m_worker, &RouterWorker::finished, this,
            [this](int generation, const MapResult &result, RouterWorker::Method method) {
                onFinished(generation, result, method == RouterWorker::Method::Upnp);
            });
    m_thread->start();
}

void PortMapper::start(quint16 port, const QString &description)
{
    stop();
    ensureWorker();
    const int generation = ++*m_generation;
    m_state = State::Mapping;
    m_workerMayHold = true;
    const QByteArray routerText = routerDescription(description);
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, generation, port, routerText] { worker->map(generation, port, routerText); },
        Qt::QueuedConnection);
}

void PortMapper::stop()
{
    if (cancel())
        QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->unmap(); }, Qt::QueuedConnection);
}

void PortMapper::release()
{
    if (cancel())
        QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->release(); }, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(this, &PortMapper::released, Qt::QueuedConnection);
}

bool PortMapper::cancel()
{
    ++*m_generation;
    m_renewal.stop();
    m_state = State::Idle;
    return std::exchange(m_workerMayHold, false);
}

void PortMapper::renew()
{
    if (m_state != State::Mapped)
        return;
    const int generation = m_generation->load();
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, generation] { worker->renew(generation); }, Qt::QueuedConnection);
}

void PortMapper::onFinished(int generation, const MapResult &result, bool viaUpnp)
{
    if (generation != m_generation->load() || m_state == State::Idle)
        return;
    const bool renewing = m_state == State::Mapped;
    if (!result.ok) {
        m_state = State::Idle;
        if (renewing)
            emit lost();
        else
            emit failed(result.reason);
        return;
    }
    const Method method = viaUpnp ? Method::Upnp : Method::NatPmp;
    const bool moved = !renewing || result.outside != m_outside || result.outsidePort != m_outsidePort
                       || method != m_method;
    m_state = State::Mapped;
    m_outside = result.outside;
    m_outsidePort = result.outsidePort;
    m_method = method;
    m_renewal.start(std::chrono::seconds(renewalDelaySeconds(result.leaseSeconds)));
    if (moved)
        emit mapped(m_outside, m_outsidePort, m_method);
}

QString PortMapper::methodName(Method method)
{
    return method == Method::Upnp ? QStringLiteral("UPnP") : QStringLiteral("NAT-PMP");
}
