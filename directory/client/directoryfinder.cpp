#include "directory/client/directoryfinder.h"

#include "directory/client/directorylookup.h"
#include "finder/tablelist.h"

#include <algorithm>
#include <memory>

DirectoryFinder::DirectoryFinder(TableList *tables, QObject *parent) : QObject(parent), m_tables(tables)
{
    m_round.setInterval(kListIntervalMs);
    connect(&m_round, &QTimer::timeout, this, &DirectoryFinder::round);
}

DirectoryFinder::~DirectoryFinder() = default;

void DirectoryFinder::setDirectories(const QList<DirectoryAddress> &directories)
{
    const bool active = isActive();
    stop();
    m_sources.clear();
    m_directories = directories;
    for (const DirectoryAddress &address : directories) {
        auto source = std::make_unique<Source>();
        source->address = address;
        source->lookup = new DirectoryLookup(address, this);
        source->lookup->setMinListInterval(std::min(m_round.interval(), DirectoryLookup::kMinListIntervalMs));
        Source *s = source.get();
        connect(s->lookup, &DirectoryLookup::listed, this, [this, s](const QList<ListedTable> &tables) {
            QList<TableInfo> page;
            for (const ListedTable &listed : tables)
                page << listed.table;
            pageArrived(*s, page);
        });
        connect(s->lookup, &DirectoryLookup::failed, this, [this, s](const QString &reason) {
            if (!isActive() || std::exchange(s->told, true))
                return;
            emit unreachable(s->address, reason);
        });
        m_sources.push_back(std::move(source));
    }
    if (active)
        start();
}

void DirectoryFinder::setListInterval(int milliseconds)
{
    m_round.setInterval(milliseconds);
    for (const auto &source : m_sources)
        source->lookup->setMinListInterval(std::min(milliseconds, DirectoryLookup::kMinListIntervalMs));
}

void DirectoryFinder::start()
{
    if (isActive() || m_sources.empty())
        return;
    for (const auto &source : m_sources)
        source->told = false;
    m_round.start();
    round();
}

void DirectoryFinder::stop()
{
    m_round.stop();
    // The last pages stay: the next look's pages take what left meanwhile
    // off the list.
    for (const auto &source : m_sources)
        source->lookup->close();
}

void DirectoryFinder::round()
{
    // Only tables this copy can join: a page is too short to spend on others.
    msg::DirList request;
    request.version = kProtocolVersion;
    for (const auto &source : m_sources)
        source->lookup->list(request);
}

bool DirectoryFinder::listedElsewhere(const Source &except, const TableInfo &table) const
{
    for (const auto &source : m_sources) {
        if (source.get() == &except)
            continue;
        for (const TableInfo &other : source->lastPage) {
            if (other.sameTable(table))
                return true;
        }
    }
    return false;
}

void DirectoryFinder::pageArrived(Source &source, const QList<TableInfo> &page)
{
    source.told = false;
    emit listed(source.address, int(page.size()));
    if (!m_tables)
        return;
    const QList<TableInfo> before = std::exchange(source.lastPage, page);
    for (const TableInfo &table : before) {
        const bool still = std::any_of(page.cbegin(), page.cend(), [&](const TableInfo &t) { return t.sameTable(table); });
        if (!still && !listedElsewhere(source, table))
            m_tables->remove(table);
    }
    for (const TableInfo &table : page)
        m_tables->add(table);
}

void DirectoryFinder::resolve(const QString &code)
{
    if (m_sources.empty()) {
        QTimer::singleShot(0, this, [this, code] {
            emit notFound(code, QStringLiteral("No game directory is set (Options > Game Directories…)."));
        });
        return;
    }
    auto resolution = std::make_shared<Resolution>();
    resolution->code = code;
    resolution->waiting = int(m_sources.size());
    for (const auto &source : m_sources) {
        DirectoryLookup *lookup = source->lookup;
        // Each lookup answers once per code it was asked; these connections
        // end with the first answer.
        auto connections = std::make_shared<QList<QMetaObject::Connection>>();
        const auto finish = [this, resolution, connections](bool failed) {
            for (const QMetaObject::Connection &c : std::as_const(*connections))
                disconnect(c);
            resolutionEnded(resolution, failed);
        };
        *connections << connect(lookup, &DirectoryLookup::resolved, this,
                                [this, resolution, finish, directory = source->address](const ListedTable &found) {
                                    const bool first = !resolution->done;
                                    resolution->done = true;
                                    finish(false);
                                    if (first)
                                        emit resolved(resolution->code, found.table, directory);
                                });
        *connections << connect(lookup, &DirectoryLookup::notFound, this, [finish](const QString &) { finish(false); });
        *connections << connect(lookup, &DirectoryLookup::failed, this, [finish](const QString &) { finish(true); });
        lookup->resolve(code);
    }
}

void DirectoryFinder::resolutionEnded(const std::shared_ptr<Resolution> &resolution, bool failed)
{
    --resolution->waiting;
    resolution->failed += failed ? 1 : 0;
    if (resolution->waiting > 0 || resolution->done)
        return;
    resolution->done = true;
    const QString problem = resolution->failed == int(m_sources.size())
                                ? QStringLiteral("No game directory could be reached to look up the code %1.")
                                : QStringLiteral("No table has the code %1 now.");
    emit notFound(resolution->code, problem.arg(resolution->code));
}
