#pragma once

#include "portmap/mapping.h"
#include "portmap/natpmpgateway.h"
#include "portmap/upnpigd.h"

#include <QObject>

#include <atomic>
#include <memory>

// The port mapper's half on its worker thread: runs the blocking router
// calls one job at a time, in the order asked, and reports each outcome as a
// signal that reaches the mapper queued. Jobs carry the mapper's generation
// number; a map or renew job whose generation is no longer current stops
// between steps (see `current`).
class RouterWorker : public QObject
{
    Q_OBJECT

public:
    enum class Method { None, Upnp, NatPmp };
    Q_ENUM(Method)

    explicit RouterWorker(std::shared_ptr<const std::atomic_int> current);

    // UPnP IGD first, then NAT-PMP.
    void map(int generation, quint16 port, const QByteArray &description);
    // The held mapping again; when its router no longer takes it, the whole
    // search once more.
    void renew(int generation);
    void unmap();
    // unmap(), then released().
    void release();

signals:
    void finished(int generation, const MapResult &result, RouterWorker::Method method);
    void released();

private:
    bool isStale(int generation) const { return generation != m_current->load(); }

    std::shared_ptr<const std::atomic_int> m_current;
    UpnpIgd m_upnp;
    NatPmpGateway m_natPmp;
    Method m_method = Method::None;
    quint16 m_port = 0;
    QByteArray m_description;
};
