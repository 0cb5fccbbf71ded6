#pragma once

#include "history/historystore.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <map>
#include <memory>

// The history file on a thread of its own. SQLite blocks: on the disk, on a
// checkpoint, for seconds when another copy holds the file, for a while to
// check a long history when it is opened. So the store lives on this
// object's thread and nothing else touches it: work goes there as queued
// events, run one at a time, and answers come back as queued calls to the
// thread that asked. Nothing is shared, so nothing is locked.
//
// Everything runs in the order given. The check of every page of the file
// waits a little after opening, or until the first write, so that a window
// opened at start-up shows its first page at once; no write goes to a file
// not checked.
class HistoryDatabase : public QObject
{
    Q_OBJECT

public:
    // Opens (or makes) the file on its thread at the first work given, or a
    // moment after it is made: loading the database driver would otherwise
    // compete with the window's first frame.
    explicit HistoryDatabase(QString path = HistoryStore::defaultPath(), QObject *parent = nullptr);
    // Finishes all work given, then closes the file.
    ~HistoryDatabase() override;

    const QString &path() const { return m_path; }

    // Runs work on the database's thread after everything given before.
    void write(std::function<void(HistoryStore &)> work);
    // The same, then done here with its answer, unless context is gone by
    // then.
    template <typename T>
    void write(QObject *context, std::function<T(HistoryStore &)> work, std::function<void(T)> done)
    {
        run(context, true, [work = std::move(work), done = std::move(done)](HistoryStore &store) {
            return std::function<void()>([answer = work(store), done] { done(answer); });
        });
    }

    // Runs work there, then done here with its answer, unless context is
    // gone by then.
    template <typename T>
    void read(QObject *context, std::function<T(HistoryStore &)> work, std::function<void(T)> done)
    {
        run(context, false, [work = std::move(work), done = std::move(done)](HistoryStore &store) {
            return std::function<void()>([answer = work(store), done] { done(answer); });
        });
    }

    // Calls done here once everything given before is written and the
    // file checked.
    void whenWritten(QObject *context, std::function<void()> done);

signals:
    // A line for the chat: the file was damaged and kept aside, or games
    // cannot be recorded.
    void notice(const QString &text);

private:
    using Answer = std::function<void()>;
    static constexpr int kOpenDelayMs = 1000;
    static constexpr int kCheckDelayMs = 2000;

    void post(std::function<void()> work);
    // checked: not before the file's check.
    void run(QObject *context, bool checked, std::function<Answer(HistoryStore &)> work);
    void tell(const QString &text);
    void openOnce();    // on m_thread
    void checkOnce();   // on m_thread
    void deliver(quint64 request, const Answer &answer);

    QString m_path;
    QThread m_thread;
    QObject *m_worker = nullptr;           // lives on m_thread
    std::unique_ptr<HistoryStore> m_store; // touched only on m_thread
    bool m_opened = false;                 // touched only on m_thread
    bool m_checked = false;                // touched only on m_thread
    quint64 m_nextRequest = 0;
    std::map<quint64, QPointer<QObject>> m_waiting;
};
