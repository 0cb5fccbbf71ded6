#include "client/gamelink.h"

#include "client/gameevents.h"
#include "net/connection.h"
#include "net/tsock.h"
#include "protocol/directorymessages.h"

namespace {

// A directory's reason is shown to the player; more than this is no reason.
constexpr qsizetype kMaxReason = 200;

} // namespace

GameLink::GameLink(QObject *parent)
    : QObject(parent), m_queue(new Dispatcher(this)), m_connection(new Connection(m_queue, this)),
      m_events(new GameEvents(this))
{
    m_queue->setHandler([this](const QByteArray &line, quint64 connection) { received(line, connection); });
    m_queue->setEndHandler([this](quint64 connection) {
        if (connection == m_connection->id())
            emit ended();
    });
    connect(m_connection, &Connection::connected, this, [this] {
        // Through a relay, the first words are the directory's: which table.
        if (m_awaitingRelay) {
            try {
                send(msg::encode(msg::DirJoin{m_relayCode}));
            } catch (const ESockException &) {
                return;   // its end follows
            }
        }
        emit connected();
    });
    connect(m_connection, &Connection::connectFailed, this, &GameLink::connectFailed);
}

GameLink::~GameLink() = default;

void GameLink::open(const QString &host, quint16 port, const QString &relayCode)
{
    m_relayCode = relayCode.toLatin1();
    m_awaitingRelay = !m_relayCode.isEmpty();
    m_connection->open(host, QString::number(port));
}

void GameLink::send(const QByteArray &bytes)
{
    m_connection->send(bytes);
}

void GameLink::received(const QByteArray &line, quint64 connection)
{
    if (m_awaitingRelay && connection == m_connection->id()) {
        const auto fromDirectory = msg::readFromDirectory(line);
        if (const auto *refusal = fromDirectory ? std::get_if<msg::DirRefused>(&*fromDirectory) : nullptr) {
            emit relayRefused(QString::fromUtf8(refusal->reason.left(kMaxReason)));
            return;
        }
        // The host's first message: the stream is the game's from here on.
        m_awaitingRelay = false;
    }
    m_events->received(line);
}
