#include "history/historydatabase.h"

HistoryDatabase::HistoryDatabase(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    m_thread.setObjectName(QStringLiteral("history"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            m_store = std::make_unique<HistoryStore>(m_path);
            const QString text = m_store->open();
            if (!text.isEmpty())
                QMetaObject::invokeMethod(this, [this, text] { emit notice(text); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

HistoryDatabase::~HistoryDatabase()
{
    // Queued after every write, so those are done first.
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            m_store.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    delete m_worker;
}

void HistoryDatabase::write(std::function<void(HistoryStore &)> work)
{
    QMetaObject::invokeMethod(
        m_worker,
        [this, work = std::move(work)] {
            if (m_store)
                work(*m_store);
        },
        Qt::QueuedConnection);
}

void HistoryDatabase::whenWritten(QObject *context, std::function<void()> done)
{
    run(context, [done = std::move(done)](HistoryStore &) { return done; });
}

void HistoryDatabase::run(QObject *context, std::function<Answer(HistoryStore &)> work)
{
    const quint64 request = ++m_nextRequest;
    m_waiting[request] = context;
    write([this, request, work = std::move(work)](HistoryStore &store) {
        Answer answer = work(store);
        QMetaObject::invokeMethod(
            this, [this, request, answer = std::move(answer)] { deliver(request, answer); }, Qt::QueuedConnection);
    });
}

void HistoryDatabase::deliver(quint64 request, const Answer &answer)
{
    const auto found = m_waiting.find(request);
    if (found == m_waiting.end())
        return;
    const QPointer<QObject> context = found->second;
    m_waiting.erase(found);
    if (context)
        answer();
}
