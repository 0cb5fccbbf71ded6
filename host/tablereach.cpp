#include "host/tablereach.h"

namespace {

// As long as an exit waits for the router.
constexpr int kReleaseWaitMs = 6000;

QString openedText(const QHostAddress &outside, quint16 port)
{
    return QStringLiteral("The router opened this game to the internet: players there can join at %1 port %2.")
        .arg(outside.toString())
        .arg(port);
}

// Where players outside get in when the router does not let them: through
// a directory's relay, or, with no directory to list the table, not at all.
QString notOpenedText(bool relayed)
{
    return relayed ? QStringLiteral("The router did not open this game to the internet: players there will join "
                                    "through the directory's relay.")
                   : QStringLiteral("The router did not open this game to the internet: only players on this "
                                    "network can join.");
}

QString lostText(bool relayed)
{
    return relayed ? QStringLiteral("The router no longer forwards this game: players on the internet will join "
                                    "through the directory's relay.")
                   : QStringLiteral("The router no longer forwards this game: only players on this network can "
                                    "join.");
}

} // namespace

TableReach::TableReach(quint16 port, bool relayed, QObject *parent)
    : QObject(parent), m_port(port), m_relayed(relayed)
{
    connect(&m_mapper, &PortMapper::mapped, this,
            [this](const QHostAddress &outside, quint16 outsidePort, PortMapper::Method method) {
                tell(openedText(outside, outsidePort), PortMapper::methodName(method));
            });
    connect(&m_mapper, &PortMapper::failed, this, [this](const QString &reason) { tell(notOpenedText(m_relayed), reason); });
    connect(&m_mapper, &PortMapper::lost, this, [this] { tell(lostText(m_relayed)); });

    m_releaseLimit.setSingleShot(true);
    m_releaseLimit.setInterval(kReleaseWaitMs);
    connect(&m_mapper, &PortMapper::released, this, [this] {
        if (!m_releaseLimit.isActive())
            return; // said already, when the router took too long
        m_releaseLimit.stop();
        emit released();
    });
    connect(&m_releaseLimit, &QTimer::timeout, this, [this] { emit released(); });
}

void TableReach::start()
{
    m_mapper.start(m_port, QStringLiteral("Pinlex table on port %1").arg(m_port));
}

void TableReach::release()
{
    m_releaseLimit.start();
    m_mapper.release();
}

void TableReach::tell(const QString &text, const QString &why)
{
    // A renewal that finds nothing new says nothing.
    if (text == m_told)
        return;
    m_told = text;
    emit told(text, why);
}
