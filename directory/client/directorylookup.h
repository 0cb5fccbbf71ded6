#pragma once

#include "directory/client/directoryaddress.h"
#include "finder/tableinfo.h"
#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <deque>
#include <optional>

class Connection;

// One table as a directory lists it: the table as the finders list theirs
// (source Directory, the address the directory saw the host at), its code,
// and whether the directory reached its game port.
struct ListedTable
{
    QString code;
    msg::Reach reach = msg::Reach::Checking;
    TableInfo table;

    // Nothing when the item names no usable address.
    static std::optional<ListedTable> fromItem(const msg::DirItem &item);
};

// A client of one game directory: lists its tables a page at a time, or
// resolves a code to a table. Requests go out in turn over one connection,
// opened when needed; a list is asked for at most every five seconds, a
// sooner request waits for its turn (the latest one wins). Whatever the
// directory sends is checked and cut as a finder's reply is.
class DirectoryLookup : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMinListIntervalMs = 5000;
    static constexpr int kTimeoutMs = 10000;
    // Items read per page, whatever a directory sends.
    static constexpr int kMaxItems = 100;

    explicit DirectoryLookup(const DirectoryAddress &directory, QObject *parent = nullptr);
    ~DirectoryLookup() override;

    void list(const msg::DirList &request = {});
    void resolve(const QString &code);
    // Drops the connection and whatever was asked.
    void close();

    const DirectoryAddress &directory() const { return m_directory; }
    void setMinListInterval(int milliseconds) { m_minListIntervalMs = milliseconds; }

signals:
    void listed(const QList<ListedTable> &tables, int page, bool more);
    void resolved(const ListedTable &table);
    void notFound(const QString &code);
    // The connection failed, ended or timed out with requests unanswered.
    void failed(const QString &reason);

private:
    struct Request
    {
        bool isList = false;
        QByteArray bytes;
        QString code;
    };

    void ask(Request request);
    void open();
    void sendWaiting();
    void received(const QByteArray &line);
    void fail(const QString &reason);

    DirectoryAddress m_directory;
    Dispatcher m_queue;
    Connection *m_connection = nullptr;
    bool m_up = false;
    std::deque<Request> m_unsent;
    std::deque<Request> m_asked;      // sent, in order, awaiting their answers
    QList<ListedTable> m_page;        // items of the page being received
    int m_minListIntervalMs = kMinListIntervalMs;
    qint64 m_lastListMs = -1;
    std::optional<msg::DirList> m_heldList;
    QTimer m_listTimer;
    QTimer m_timeout;
    QElapsedTimer m_clock;
};

Q_DECLARE_METATYPE(ListedTable)
