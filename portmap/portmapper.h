#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

class QThread;
class RouterWorker;
struct MapResult;

// Asks the local router to forward a TCP port to this machine, so that
// players on the internet reach a hosted table: with UPnP IGD, else with
// NAT-PMP. One per hosting copy.
//
// Nothing here blocks the caller: the router calls, discovery alone about
// two seconds, run on a worker thread and their outcomes come back as
// signals. The mapping is asked for an hour and renewed at half its lease.
// stop() deletes it; so does the destructor, which waits for the router a
// few seconds at most, so that a clean exit does not leave it behind.
class PortMapper : public QObject
{
    Q_OBJECT

public:
    enum class Method { Upnp, NatPmp };
    Q_ENUM(Method)

    explicit PortMapper(QObject *parent = nullptr);
    ~PortMapper() override;

    // Maps the router's outside port `port` (or another the router picks)
    // to `port` here. The description is what the router shows for it.
    // Calling it again replaces the mapping.
    void start(quint16 port, const QString &description);
    void stop();
    // stop(), and released() once the router has been asked to delete the
    // mapping (at once when none was asked for): another copy may then map
    // the same port without this one deleting its mapping afterwards.
    void release();

    bool isMapped() const { return m_state == State::Mapped; }

    // "UPnP", "NAT-PMP".
    static QString methodName(Method method);

signals:
    // The router forwards outside:port here. Sent once a start(), and again
    // should a renewal find the router under another address.
    void mapped(const QHostAddress &outside, quint16 port, PortMapper::Method method);
    // No router mapped the port; reason is for the log.
    void failed(const QString &reason);
    // A mapping that was reported is gone: the router no longer renews it.
    void lost();
    void released();

private:
    enum class State { Idle, Mapping, Mapped };

    void ensureWorker();
    // Drops the job under way and the mapping; true when the worker may
    // hold a mapping still to delete.
    bool cancel();
    void renew();
    void onFinished(int generation, const MapResult &result, bool viaUpnp);

    std::shared_ptr<std::atomic_int> m_generation;
    QThread *m_thread = nullptr;
    RouterWorker *m_worker = nullptr;
    State m_state = State::Idle;
    bool m_workerMayHold = false; // the worker may hold a mapping to delete
    QTimer m_renewal;
    QHostAddress m_outside;
    quint16 m_outsidePort = 0;
    Method m_method = Method::Upnp;
};
