#pragma once

#include "history/gamerecord.h"

#include <QAbstractTableModel>

// The list of recorded games, newest first, a page at a time: the view's
// scrolling asks for the next page (pageWanted), whoever reads the file
// answers with addPage. A new search starts the list over; a page that
// answers an earlier search or a place already filled is dropped.
class GameListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { DateColumn, PlayersColumn, WinnerColumn, ColumnCount };
    static constexpr int kPageSize = 100;

    explicit GameListModel(QObject *parent = nullptr);

    // Starts the list over for the games against opponent (all when empty).
    void setSearch(const QString &opponent);
    const QString &search() const { return m_search; }
    void addPage(const QString &search, int offset, const QList<history::GameRecord> &games);

    qint64 gameId(int row) const;
    const history::GameRecord *game(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // "won by Alice", "unfinished" ...
    static QString resultText(const history::GameRecord &game);

signals:
    void pageWanted(const QString &search, int offset, int count);

private:
    QList<history::GameRecord> m_games;
    QString m_search;
    bool m_more = true;
    bool m_asked = false;   // a page is on its way
};
