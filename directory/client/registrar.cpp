#include "directory/client/registrar.h"

#include "base/numbers.h"
#include "net/connection.h"
#include "net/tsock.h"

#include <QRandomGenerator>

Registrar::Registrar(const DirectoryAddress &directory, QObject *parent)
    : QObject(parent), m_directory(directory), m_queue(this)
{
    m_queue.setHandler([this](const QByteArray &line, quint64) { received(line); });
    m_queue.setEndHandler([this](quint64 connection) {
        if (m_connection && m_connection->id() == connection)
            ended();
    });
    m_heartbeat.setInterval(m_heartbeatMs);
    connect(&m_heartbeat, &QTimer::timeout, this, [this] { sendBytes(msg::encode(msg::DirBeat{})); });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &Registrar::open);
}

Registrar::~Registrar()
{
    delete std::exchange(m_connection, nullptr);
}

msg::DirTable Registrar::toMessage(const TableInfo &table)
{
    return msg::DirTable{table.protocolVersion,
                         table.port,
                         qBound(0, table.seatsTaken, TableInfo::kSeats),
                         qBound(0, table.spectators, TableInfo::kSpectatorSeats),
                         table.state == TableInfo::State::Playing,
                         TableInfo::cleanName(table.name).toUtf8()};
}

void Registrar::setRetryDelays(int firstMs, int lastMs)
{
    m_firstRetryMs = m_nextRetryMs = firstMs;
    m_lastRetryMs = lastMs;
}

bool Registrar::isConnected() const
{
    return m_up && m_connection && m_connection->isConnected();
}

void Registrar::publish(const TableInfo &table)
{
    m_table = toMessage(table);
    if (isConnected()) {
        if (m_sent != m_table) {
            m_sent = m_table;
            sendBytes(msg::encode(*m_table));
        }
        return;
    }
    if (!m_connection && !m_retry.isActive())
        open();
}

void Registrar::withdraw()
{
    m_table.reset();
    m_retry.stop();
    m_heartbeat.stop();
    m_nextRetryMs = m_firstRetryMs;
    if (m_connection) {
        // Closing is leaving: the directory drops the table at once.
        m_connection->close();
        delete std::exchange(m_connection, nullptr);
    }
    m_up = false;
    m_sent.reset();
    m_code.clear();
    m_reach = msg::Reach::Checking;
}

void Registrar::recheck()
{
    if (!m_code.isEmpty())
        sendBytes(msg::encode(msg::DirRecheck{}));
}

void Registrar::openRelay(const QByteArray &session, const QHostAddress &peer, Dispatcher *queue)
{
    auto *conn = new Connection(queue, this);
    connect(conn, &Connection::connected, this, [this, conn, session, peer] {
        try {
            conn->send(msg::encode(msg::DirRelayHello{session}));
        } catch (const ESockException &error) {
            conn->deleteLater();
            emit relayFailed(peer, QString::fromUtf8(error.what()));
            return;
        }
        // The player's address, as for a player who connected directly.
        conn->sock()->setHostName(peer.toString());
        emit relayOpened(conn, peer);
    });
    connect(conn, &Connection::connectFailed, this, [this, conn, peer](const QString &reason) {
        conn->deleteLater();
        emit relayFailed(peer, reason);
    });
    conn->open(m_directory.host, QString::number(m_directory.port));
}

void Registrar::open()
{
    if (!m_table || m_connection)
        return;
    m_connection = new Connection(&m_queue, this);
    connect(m_connection, &Connection::connected, this, [this] {
        m_up = true;
        m_sent = m_table;
        sendBytes(msg::encode(*m_table));
        m_heartbeat.start(m_heartbeatMs);
    });
    connect(m_connection, &Connection::connectFailed, this, [this](const QString &reason) {
        m_connection->deleteLater();
        m_connection = nullptr;
        emit lost(reason);
        retryLater();
    });
    m_connection->open(m_directory.host, QString::number(m_directory.port));
}

void Registrar::ended()
{
    const bool wasUp = m_up;
    m_up = false;
    m_sent.reset();
    m_heartbeat.stop();
    m_code.clear();
    m_reach = msg::Reach::Checking;
    std::exchange(m_connection, nullptr)->deleteLater();
    if (wasUp)
        emit lost(QStringLiteral("connection closed"));
    retryLater();
}

void Registrar::retryLater()
{
    if (!m_table)
        return;
    // From three quarters of the delay to all of it.
    const int delay = m_nextRetryMs - int(QRandomGenerator::global()->bounded(m_nextRetryMs / 4 + 1));
    m_nextRetryMs = qMin(m_lastRetryMs, m_nextRetryMs * 2);
    m_retry.start(delay);
}

void Registrar::sendBytes(const QByteArray &bytes)
{
    if (!isConnected())
        return;
    try {
        m_connection->send(bytes);
    } catch (const ESockException &) {
        // Its end is on the way and brings the retry.
    }
}

void Registrar::received(const QByteArray &line)
{
    std::optional<msg::FromDirectory> message;
    try {
        message = msg::readFromDirectory(line);
    } catch (const EConvertError &) {
        return;   // a directory that miscounts is ignored, as any malformed message
    }
    if (!message)
        return;
    if (const auto *code = std::get_if<msg::DirCode>(&*message)) {
        // Registered: the next loss starts the delays from the beginning.
        m_nextRetryMs = m_firstRetryMs;
        m_code = QString::fromLatin1(code->code);
        // A directory may want to hear sooner, never later than every 30 seconds.
        m_heartbeat.start(qMin(code->heartbeatSeconds * 1000, m_heartbeatMs));
        emit codeAssigned(m_code);
    } else if (const auto *probe = std::get_if<msg::DirProbe>(&*message)) {
        m_reach = msg::Reach::Checking;
        emit probeExpected(probe->challenge, probe->answer);
        sendBytes(msg::encode(msg::DirReady{probe->challenge}));
    } else if (const auto *reach = std::get_if<msg::DirReach>(&*message)) {
        m_reach = reach->reach;
        emit reachChecked(m_reach);
    } else if (const auto *relay = std::get_if<msg::DirRelay>(&*message)) {
        const QHostAddress peer(QString::fromLatin1(relay->address));
        if (!peer.isNull())
            emit relayRequested(relay->session, peer);
    } else if (const auto *refusal = std::get_if<msg::DirRefused>(&*message)) {
        // Trying again soon would be refused again.
        m_nextRetryMs = m_lastRetryMs;
        emit refused(QString::fromUtf8(refusal->reason.left(200)));
    }
}
