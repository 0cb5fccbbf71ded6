#include "finder/fallbackresponder.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

namespace {

// More than any query needs; the rest of a longer datagram is dropped unread.
constexpr qint64 kMaxQueryBytes = 1024;

} // namespace

FallbackResponder::FallbackResponder(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_total.tokens = kTotalBurst;
}

FallbackResponder::~FallbackResponder() = default;

bool FallbackResponder::start(quint16 port)
{
    stop();
    auto *socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        qCWarning(lcFinder) << "cannot answer finders on UDP port" << port << ":" << socket->errorString();
        delete socket;
        return false;
    }
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &FallbackResponder::readQueries);
    qCDebug(lcFinder) << "answering finders on UDP port" << localPort();
    return true;
}

void FallbackResponder::stop()
{
    delete m_socket;
    m_socket = nullptr;
    m_allowances.clear();
}

quint16 FallbackResponder::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void FallbackResponder::setTable(const TableInfo &table)
{
    m_reply = table.toFallbackReply();
}

bool FallbackResponder::allow(Allowance &allowance, double burst, double perSecond, qint64 now)
{
    allowance.tokens = std::min(burst, allowance.tokens + double(now - allowance.at) * perSecond / 1000.0);
    allowance.at = now;
    if (allowance.tokens < 1)
        return false;
    allowance.tokens -= 1;
    return true;
}

bool FallbackResponder::allowAddress(const QHostAddress &address, qint64 now)
{
    auto it = m_allowances.find(address);
    if (it == m_allowances.end()) {
        if (m_allowances.size() >= kMaxAddresses) {
            // Forget the addresses whose allowance is whole again: they are
            // as good as new. When none is, the newcomer waits.
            const qint64 refill = qint64(kBurst / kRefillPerSecond * 1000);
            m_allowances.removeIf([&](const auto &entry) { return now - entry.value().at >= refill; });
            if (m_allowances.size() >= kMaxAddresses)
                return false;
        }
        it = m_allowances.insert(address, Allowance{kBurst, now});
    }
    return allow(*it, kBurst, kRefillPerSecond, now);
}

void FallbackResponder::readQueries()
{
    m_readScheduled = false;
    if (!m_socket)
        return;
    for (int i = 0; i < kMaxPerTurn && m_socket->hasPendingDatagrams(); ++i) {
        const QNetworkDatagram query = m_socket->receiveDatagram(kMaxQueryBytes);
        const QByteArray data = query.data();
        // Privileged ports are services, never a finder: no echo or chargen
        // games through us.
        if (m_reply.isEmpty() || query.senderPort() < 1024 || !TableInfo::isFallbackQuery(data)
            || m_reply.size() > data.size())
            continue;
        const QHostAddress sender = query.senderAddress();
        const qint64 now = m_clock.elapsed();
        if (!allowAddress(sender, now) || !allow(m_total, kTotalBurst, kTotalPerSecond, now))
            continue;
        m_socket->writeDatagram(m_reply, sender, quint16(query.senderPort()));
    }
    // The rest waits for the next turn of the event loop.
    if (m_socket->hasPendingDatagrams() && !m_readScheduled) {
        m_readScheduled = true;
        QTimer::singleShot(0, this, &FallbackResponder::readQueries);
    }
}
