#include "history/gamelistmodel.h"

using namespace history;

GameListModel::GameListModel(QObject *parent) : QAbstractTableModel(parent) {}

void GameListModel::setSearch(const QString &opponent)
{
    beginResetModel();
    m_games.clear();
    m_search = opponent;
    m_more = true;
    m_asked = false;
    endResetModel();
    fetchMore(QModelIndex());
}

void GameListModel::addPage(const QString &search, int offset, const QList<GameRecord> &games)
{
    if (search != m_search || offset != m_games.size())
        return;
    m_asked = false;
    m_more = games.size() >= kPageSize;
    if (games.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_games.size()), int(m_games.size() + games.size() - 1));
    m_games.append(games);
    endInsertRows();
}

qint64 GameListModel::gameId(int row) const
{
    const GameRecord *g = game(row);
    return g ? g->id : 0;
}

const GameRecord *GameListModel::game(int row) const
{
    return row >= 0 && row < m_games.size() ? &m_games[row] : nullptr;
}

int GameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_games.size());
}

int GameListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString GameListModel::resultText(const GameRecord &game)
{
    if (!game.finished)
        return QStringLiteral("unfinished");
    const QString names = game.winnerNames();
    return names.isEmpty() ? QStringLiteral("no winner") : QStringLiteral("won by ") + names;
}

QVariant GameListModel::data(const QModelIndex &index, int role) const
{
    const GameRecord *g = game(index.row());
    if (!g || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    switch (index.column()) {
    case DateColumn:
        return g->started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case PlayersColumn:
        return g->watched() ? g->playersWithTotals() + QStringLiteral(" (watched)") : g->playersWithTotals();
    case WinnerColumn:
        return resultText(*g);
    default:
        return {};
    }
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case DateColumn: return QStringLiteral("Date");
    case PlayersColumn: return QStringLiteral("Players");
    case WinnerColumn: return QStringLiteral("Result");
    default: return {};
    }
}

bool GameListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more && !m_asked;
}

void GameListModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    m_asked = true;
    emit pageWanted(m_search, int(m_games.size()), kPageSize);
}
