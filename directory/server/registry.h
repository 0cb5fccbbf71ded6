#pragma once

#include "directory/server/codeallocator.h"
#include "protocol/directorymessages.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>

#include <list>
#include <optional>

// The tables a directory lists: one per registered control connection, each
// with its code, its address as the directory saw it, what the host last
// said of it, and whether it was found reachable. Listing walks them newest
// first; each table keeps its item encoded, so that a page is a few copies.
class Registry
{
public:
    static constexpr int kPageSize = 50;

    struct Table
    {
        quint64 connection = 0;
        QByteArray code;
        QHostAddress address;
        msg::DirTable info;        // the name already cleaned
        msg::Reach reach = msg::Reach::Checking;
        QByteArray encodedItem;    // its CMD_diritem, terminator included
    };

    explicit Registry(CodeAllocator *codes) : m_codes(codes) {}

    // A new table under a fresh code. The connection holds no table yet.
    const Table &add(quint64 connection, const QHostAddress &address, const msg::DirTable &info);
    // What changed; false when nothing did.
    bool update(quint64 connection, const msg::DirTable &info);
    void setReach(quint64 connection, msg::Reach reach);
    // The table's code goes back to the allocator.
    bool remove(quint64 connection);

    const Table *find(quint64 connection) const;
    const Table *findCode(QByteArrayView code) const;
    qsizetype size() const { return qsizetype(m_tables.size()); }

    struct Page
    {
        QList<const Table *> tables;
        bool more = false;
    };
    Page page(const msg::DirList &request) const;
    // The page as sent: its items and the CMD_dirpage that ends it.
    QByteArray encodedPage(const msg::DirList &request) const;

    // The address as players connect to it: an IPv4 peer of a dual-stack
    // listener in its plain form.
    static QHostAddress plain(const QHostAddress &address);
    static bool matches(const Table &table, const msg::DirList &request);
    // The table as a client reads it.
    static msg::DirItem item(const Table &table);

private:
    using Tables = std::list<Table>;
    static void encode(Table &table);

    CodeAllocator *m_codes;
    Tables m_tables;   // oldest first
    QHash<quint64, Tables::iterator> m_byConnection;
    QHash<QByteArray, Tables::iterator> m_byCode;
};
