#include "history/historydatabase.h"

#include <QTimer>

#include <utility>

HistoryDatabase::HistoryDatabase(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    m_thread.setObjectName(QStringLiteral("history"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    post([this] { QTimer::singleShot(kOpenDelayMs, m_worker, [this] { openOnce(); }); });
}

HistoryDatabase::~HistoryDatabase()
{
    // After every write, so those are done first.
    post([this] {
        m_store.reset();
        QThread::currentThread()->quit();
    });
    m_thread.wait();
    delete m_worker;
}

void HistoryDatabase::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_worker, std::move(work), Qt::QueuedConnection);
}

void HistoryDatabase::tell(const QString &text)
{
    if (!text.isEmpty())
        QMetaObject::invokeMethod(this, [this, text] { emit notice(text); }, Qt::QueuedConnection);
}

void HistoryDatabase::openOnce()
{
    if (std::exchange(m_opened, true))
        return;
    m_store = std::make_unique<HistoryStore>(m_path);
    tell(m_store->open(HistoryStore::Check::Later));
    QTimer::singleShot(kCheckDelayMs, m_worker, [this] { checkOnce(); });
}

void HistoryDatabase::checkOnce()
{
    openOnce();
    if (m_checked || !m_store)
        return;
    m_checked = true;
    tell(m_store->check());
}

void HistoryDatabase::write(std::function<void(HistoryStore &)> work)
{
    post([this, work = std::move(work)] {
        checkOnce();   // opens first
        if (m_store)
            work(*m_store);
    });
}

void HistoryDatabase::whenWritten(QObject *context, std::function<void()> done)
{
    run(context, true, [done = std::move(done)](HistoryStore &) { return done; });
}

void HistoryDatabase::run(QObject *context, bool checked, std::function<Answer(HistoryStore &)> work)
{
    const quint64 request = ++m_nextRequest;
    m_waiting[request] = context;
    post([this, request, checked, work = std::move(work)] {
        openOnce();
        if (checked)
            checkOnce();
        if (!m_store)
            return;
        Answer answer = work(*m_store);
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
