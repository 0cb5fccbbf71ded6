#include "directory/server/registry.h"

#include "base/gamenumbers.h"

QHostAddress Registry::plain(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : QHostAddress(address.toIPv6Address());
}

const Registry::Table &Registry::add(quint64 connection, const QHostAddress &address, const msg::DirTable &info)
{
    Table table;
    table.connection = connection;
    table.code = m_codes->allocate();
    table.address = plain(address);
    table.info = info;
    encode(table);
    const Tables::iterator at = m_tables.insert(m_tables.end(), std::move(table));
    m_byConnection.insert(connection, at);
    m_byCode.insert(at->code, at);
    return *at;
}

bool Registry::update(quint64 connection, const msg::DirTable &info)
{
    const auto found = m_byConnection.constFind(connection);
    if (found == m_byConnection.constEnd() || (*found)->info == info)
        return false;
    (*found)->info = info;
    encode(**found);
    return true;
}

void Registry::setReach(quint64 connection, msg::Reach reach)
{
    const auto found = m_byConnection.constFind(connection);
    if (found == m_byConnection.constEnd())
        return;
    (*found)->reach = reach;
    encode(**found);
}

bool Registry::remove(quint64 connection)
{
    const auto found = m_byConnection.constFind(connection);
    if (found == m_byConnection.constEnd())
        return false;
    const Tables::iterator at = *found;
    m_byConnection.erase(found);
    m_byCode.remove(at->code);
    m_codes->release(at->code);
    m_tables.erase(at);
    return true;
}

const Registry::Table *Registry::find(quint64 connection) const
{
    const auto found = m_byConnection.constFind(connection);
    return found == m_byConnection.constEnd() ? nullptr : &**found;
}

const Registry::Table *Registry::findCode(QByteArrayView code) const
{
    const auto found = m_byCode.constFind(code.toByteArray());
    return found == m_byCode.constEnd() ? nullptr : &**found;
}

bool Registry::matches(const Table &table, const msg::DirList &request)
{
    if (request.waitingOnly && table.info.playing)
        return false;
    if (game::kSeats - table.info.seats < request.freeSeats)
        return false;
    return request.version == 0 || table.info.version == request.version;
}

Registry::Page Registry::page(const msg::DirList &request) const
{
    Page page;
    qint64 skip = qint64(request.page) * kPageSize;
    for (auto at = m_tables.crbegin(); at != m_tables.crend(); ++at) {
        if (!matches(*at, request))
            continue;
        if (skip > 0) {
            --skip;
            continue;
        }
        if (page.tables.size() == kPageSize) {
            page.more = true;
            break;
        }
        page.tables << &*at;
    }
    return page;
}

QByteArray Registry::encodedPage(const msg::DirList &request) const
{
    const Page found = page(request);
    QByteArray out;
    for (const Table *table : found.tables)
        out += table->encodedItem;
    out += msg::encode(msg::DirPage{request.page, int(found.tables.size()), found.more});
    return out;
}

msg::DirItem Registry::item(const Table &table)
{
    const msg::DirTable &info = table.info;
    return msg::DirItem{table.code, table.address.toString().toLatin1(), info.port, info.seats, info.spectators,
                        info.playing, table.reach, info.version, info.name};
}

void Registry::encode(Table &table)
{
    table.encodedItem = msg::encode(item(table));
}
