#pragma once

#include "directory/client/directoryaddress.h"
#include "finder/tableinfo.h"
#include "protocol/directorymessages.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

class DirectoryLookup;
class TableList;

// The tables of the game directories in use, while someone looks: each
// directory is asked for a page of the tables this copy can join at once,
// then every five seconds, and what it lists goes into the same TableList
// as the local network's; a table a directory stops listing leaves the
// list (unless another directory still lists it). A directory that cannot
// be reached is reported once per look and asked again next round; nothing
// here waits or blocks.
//
// It also resolves a code: every directory is asked at once, the first
// table found wins.
class DirectoryFinder : public QObject
{
    Q_OBJECT

public:
    static constexpr int kListIntervalMs = 5000;

    // tables may be null for a finder that only resolves codes.
    explicit DirectoryFinder(TableList *tables, QObject *parent = nullptr);
    ~DirectoryFinder() override;

    void setDirectories(const QList<DirectoryAddress> &directories);
    const QList<DirectoryAddress> &directories() const { return m_directories; }
    // For tests: how often the list is asked for.
    void setListInterval(int milliseconds);

    void start();
    void stop();   // the rows stay; they age out
    bool isActive() const { return m_round.isActive(); }

    void resolve(const QString &code);

signals:
    void unreachable(const DirectoryAddress &directory, const QString &reason);
    // A directory's page arrived.
    void listed(const DirectoryAddress &directory, int tables);
    // The table a code (as it was asked) names, and the directory that
    // named it (which relays a relayed table).
    void resolved(const QString &code, const TableInfo &table, const DirectoryAddress &directory);
    // No directory has it now; problem says why, for the player.
    void notFound(const QString &code, const QString &problem);

private:
    struct Source
    {
        DirectoryAddress address;
        DirectoryLookup *lookup = nullptr;
        QList<TableInfo> lastPage;
        bool told = false;           // unreachable reported in this look
    };
    struct Resolution
    {
        QString code;
        int waiting = 0;
        int failed = 0;
        bool done = false;
    };

    void round();
    void pageArrived(Source &source, const QList<TableInfo> &page);
    void resolutionEnded(const std::shared_ptr<Resolution> &resolution, bool failed);
    bool listedElsewhere(const Source &except, const TableInfo &table) const;

    TableList *m_tables;
    QList<DirectoryAddress> m_directories;
    std::vector<std::unique_ptr<Source>> m_sources;
    QTimer m_round;
};
