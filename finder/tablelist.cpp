#include "finder/tablelist.h"

#include <QElapsedTimer>

namespace {

QString sourceText(const TableInfo &table)
{
    QString text = table.source == TableInfo::Source::Directory ? QStringLiteral("directory")
                                                                : QStringLiteral("local network");
    if (!table.code.isEmpty())
        text += QStringLiteral(", code ") + table.code;
    if (table.isUnreachable())
        text += QStringLiteral(", unreachable");
    if (table.isRelayed())
        text += QStringLiteral(", through the directory's relay");
    return text;
}

QString addressText(const TableInfo &table)
{
    const QString address = table.address.toString();
    if (table.address.protocol() == QAbstractSocket::IPv6Protocol)
        return QStringLiteral("[%1]:%2").arg(address).arg(table.port);
    return QStringLiteral("%1:%2").arg(address).arg(table.port);
}

} // namespace

TableList::TableList(QObject *parent) : QAbstractTableModel(parent)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_now = [clock] { return clock->elapsed(); };
    m_ticker.setInterval(1000);
    connect(&m_ticker, &QTimer::timeout, this, &TableList::expire);
}

int TableList::find(const TableInfo &table) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].table.sameTable(table))
            return i;
    }
    return -1;
}

void TableList::add(const TableInfo &table)
{
    const qint64 now = m_now();
    const int i = find(table);
    if (i >= 0) {
        Row &row = m_rows[i];
        if (!row.table.address.isEqual(table.address))
            return;
        row.seenAt = now;
        TableInfo updated = table;
        updated.source = row.table.source;   // how it was found first
        if (updated.code.isEmpty()) {
            // The local network knows nothing of directories.
            updated.code = row.table.code;
            updated.reach = row.table.reach;
        }
        if (updated == row.table && !row.stale)
            return;
        row.table = updated;
        row.stale = false;
        emit dataChanged(index(i, 0), index(i, ColumnCount - 1));
        return;
    }
    if (m_rows.size() >= kMaxTables)
        return;
    int fromAddress = 0;
    for (const Row &row : std::as_const(m_rows))
        fromAddress += row.table.address.isEqual(table.address) ? 1 : 0;
    if (fromAddress >= kMaxPerAddress)
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
    m_rows.append(Row{table, now, false});
    endInsertRows();
    if (!m_ticker.isActive())
        m_ticker.start();
}

void TableList::remove(const TableInfo &table)
{
    const int i = find(table);
    if (i < 0 || !m_rows[i].table.address.isEqual(table.address))
        return;
    beginRemoveRows({}, i, i);
    m_rows.removeAt(i);
    endRemoveRows();
}

void TableList::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
    m_ticker.stop();
}

void TableList::expire()
{
    const qint64 now = m_now();
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        const int slowness = m_rows[i].table.source == TableInfo::Source::Directory ? kDirectorySlowness : 1;
        const qint64 silent = (now - m_rows[i].seenAt) / slowness;
        if (silent >= kDropAfterMs) {
            beginRemoveRows({}, i, i);
            m_rows.removeAt(i);
            endRemoveRows();
        } else if (silent >= kStaleAfterMs && !m_rows[i].stale) {
            m_rows[i].stale = true;
            emit dataChanged(index(i, 0), index(i, ColumnCount - 1));
        }
    }
    if (m_rows.isEmpty())
        m_ticker.stop();
}

QList<TableInfo> TableList::tables() const
{
    QList<TableInfo> result;
    result.reserve(m_rows.size());
    for (const Row &row : m_rows)
        result.append(row.table);
    return result;
}

int TableList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TableList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TableList::displayText(const Row &row, int column) const
{
    const TableInfo &t = row.table;
    switch (column) {
    case NameColumn: return t.name;
    case AddressColumn: return addressText(t);
    case SeatsColumn: return QStringLiteral("%1/%2").arg(t.seatsTaken).arg(TableInfo::kSeats);
    case SpectatorsColumn: return QStringLiteral("%1/%2").arg(t.spectators).arg(TableInfo::kSpectatorSeats);
    case StateColumn:
        if (!t.isJoinable())
            return QStringLiteral("version %1").arg(t.protocolVersion);
        return TableInfo::stateText(t.state);
    case SourceColumn: return sourceText(t);
    }
    return {};
}

QString TableList::accessibleText(const Row &row, int column) const
{
    const TableInfo &t = row.table;
    switch (column) {
    case NameColumn: {
        QString text = QStringLiteral("Table %1").arg(t.name);
        if (row.stale)
            text += QStringLiteral(", not answering");
        if (!t.isJoinable())
            text += QStringLiteral(", another version: cannot join");
        return text;
    }
    case AddressColumn: return QStringLiteral("Address %1 port %2").arg(t.address.toString()).arg(t.port);
    case SeatsColumn: return QStringLiteral("%1 of %2 seats taken").arg(t.seatsTaken).arg(TableInfo::kSeats);
    case SpectatorsColumn:
        return QStringLiteral("%1 of %2 spectators").arg(t.spectators).arg(TableInfo::kSpectatorSeats);
    case StateColumn:
        if (!t.isJoinable())
            return QStringLiteral("Version %1: cannot join").arg(t.protocolVersion);
        return TableInfo::stateText(t.state);
    case SourceColumn: return QStringLiteral("Found in the ") + sourceText(t);
    }
    return {};
}

QVariant TableList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole: return displayText(row, index.column());
    case Qt::AccessibleTextRole: return accessibleText(row, index.column());
    case Qt::ToolTipRole:
        if (!row.table.isJoinable())
            return QStringLiteral("Another version of the game: cannot join");
        if (row.stale)
            return QStringLiteral("Not answering");
        if (row.table.isUnreachable())
            return QStringLiteral("The directory could not reach this table: joining may fail");
        return {};
    case DimmedRole: return row.stale || !row.table.isJoinable();
    case JoinableRole: return row.table.isJoinable();
    case StaleRole: return row.stale;
    }
    return {};
}

QVariant TableList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    switch (section) {
    case NameColumn: return QStringLiteral("Table");
    case AddressColumn: return QStringLiteral("Address");
    case SeatsColumn: return QStringLiteral("Seats");
    case SpectatorsColumn: return QStringLiteral("Spectators");
    case StateColumn: return QStringLiteral("State");
    case SourceColumn: return QStringLiteral("Found in");
    }
    return {};
}
