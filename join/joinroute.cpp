#include "join/joinroute.h"

#include "directory/client/directoryfinder.h"
#include "protocol/joincode.h"

JoinRoute::JoinRoute(DirectoryFinder *finder, QObject *parent) : QObject(parent)
{
    if (!finder)
        m_ownFinder = std::make_unique<DirectoryFinder>(nullptr);
    m_finder = finder ? finder : m_ownFinder.get();
    // The finder answers everyone who asks it: only the answer to the code
    // under way is ours, and only once.
    connect(m_finder, &DirectoryFinder::resolved, this,
            [this](const QString &code, const TableInfo &table, const DirectoryAddress &directory) {
                if (m_pending.isEmpty() || code != m_pending)
                    return;
                m_pending.clear();
                emit found(reached(table, directory));
            });
    connect(m_finder, &DirectoryFinder::notFound, this, [this](const QString &code, const QString &problem) {
        if (m_pending.isEmpty() || code != m_pending)
            return;
        m_pending.clear();
        emit notFound(problem);
    });
}

JoinRoute::~JoinRoute() = default;

void JoinRoute::setDirectories(const QList<DirectoryAddress> &directories)
{
    m_inUse = nullptr;
    if (directories != m_finder->directories())
        m_finder->setDirectories(directories);
}

void JoinRoute::followDirectories(std::function<QList<DirectoryAddress>()> inUse)
{
    m_inUse = std::move(inUse);
}

QList<DirectoryAddress> JoinRoute::directories() const
{
    return m_inUse ? m_inUse() : m_finder->directories();
}

bool JoinRoute::looksUp(const QString &typed) const
{
    return joincode::isCode(typed.trimmed()) && !directories().isEmpty();
}

void JoinRoute::resolve(const QString &typed, quint16 port)
{
    const QString text = typed.trimmed();
    const QList<DirectoryAddress> inUse = directories();
    if (inUse.isEmpty() || !joincode::isCode(text)) {
        m_pending.clear();
        emit found(Target{text, port, QString()});
        return;
    }
    if (inUse != m_finder->directories())
        m_finder->setDirectories(inUse);
    m_pending = text;
    emit lookingUp(text);
    m_finder->resolve(text);
}

QString JoinRoute::typedFor(const TableInfo &table)
{
    return table.isRelayed() ? table.code : table.address.toString();
}

JoinRoute::Target JoinRoute::reached(const TableInfo &table, const DirectoryAddress &directory)
{
    if (table.isRelayed())
        return Target{directory.host, directory.port, table.code};
    return Target{table.address.toString(), table.port, QString()};
}
