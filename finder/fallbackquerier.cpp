#include "finder/fallbackquerier.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

namespace {

QList<QHostAddress> s_targetsOfAll;

} // namespace

FallbackQuerier::FallbackQuerier(QObject *parent) : QObject(parent)
{
    m_round.setInterval(kIntervalMs);
    connect(&m_round, &QTimer::timeout, this, &FallbackQuerier::sendQueries);
}

FallbackQuerier::~FallbackQuerier() = default;

bool FallbackQuerier::start()
{
    if (m_socket)
        return true;
    auto *socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, 0)) {
        qCWarning(lcFinder) << "cannot ask for tables over UDP:" << socket->errorString();
        delete socket;
        return false;
    }
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &FallbackQuerier::readReplies);
    sendQueries();
    m_round.start();
    return true;
}

void FallbackQuerier::stop()
{
    m_round.stop();
    delete m_socket;
    m_socket = nullptr;
    m_repliesThisRound.clear();
}

QList<QHostAddress> FallbackQuerier::broadcastAddresses()
{
    QList<QHostAddress> result;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning))
            continue;
        if (flags & QNetworkInterface::IsLoopBack) {
            result.append(QHostAddress(QStringLiteral("127.255.255.255")));
            continue;
        }
        if (!(flags & QNetworkInterface::CanBroadcast))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.broadcast().isNull()
                && !result.contains(entry.broadcast()))
                result.append(entry.broadcast());
        }
    }
    return result;
}

void FallbackQuerier::setTargetsOfAll(const QList<QHostAddress> &targets)
{
    s_targetsOfAll = targets;
}

void FallbackQuerier::sendQueries()
{
    if (!m_socket)
        return;
    m_repliesThisRound.clear();
    const QByteArray query = TableInfo::fallbackQuery();
    const QList<QHostAddress> targets = !m_targets.isEmpty() ? m_targets
                                        : !s_targetsOfAll.isEmpty() ? s_targetsOfAll
                                                                    : broadcastAddresses();
    for (const QHostAddress &target : targets) {
        if (m_socket->writeDatagram(query, target, m_targetPort) < 0)
            qCDebug(lcFinder) << "query to" << target << "failed:" << m_socket->errorString();
    }
}

void FallbackQuerier::readReplies()
{
    m_readScheduled = false;
    if (!m_socket)
        return;
    for (int i = 0; i < kMaxPerTurn && m_socket->hasPendingDatagrams(); ++i) {
        // One byte over the longest valid reply: a longer one arrives cut, and is refused.
        const QNetworkDatagram reply = m_socket->receiveDatagram(TableInfo::kMaxFallbackReplyBytes + 1);
        const QHostAddress sender = reply.senderAddress();
        auto it = m_repliesThisRound.find(sender);
        if (it == m_repliesThisRound.end()) {
            if (m_repliesThisRound.size() >= kMaxAddresses)
                continue;
            it = m_repliesThisRound.insert(sender, 0);
        }
        if (++*it > kMaxRepliesPerAddress)
            continue;
        if (const auto table = TableInfo::fromFallbackReply(reply.data(), sender))
            emit found(*table);
        else
            qCDebug(lcFinder) << "refused a reply from" << sender;
        if (!m_socket)
            return;   // a receiver of found() stopped us
    }
    if (m_socket->hasPendingDatagrams() && !m_readScheduled) {
        m_readScheduled = true;
        QTimer::singleShot(0, this, &FallbackQuerier::readReplies);
    }
}
