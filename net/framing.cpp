#include "net/framing.h"

#include "base/errordisplay.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QScopedValueRollback>

#include <exception>

Q_LOGGING_CATEGORY(lcProtocol, "pinlex.protocol", QtWarningMsg)

QByteArray FrameBuffer::takePending()
{
    QByteArray rest = m_pending.mid(m_start);
    clear();
    return rest;
}

std::optional<QByteArray> FrameBuffer::next()
{
    const qsizetype end = m_pending.indexOf(wire::kTerminator, m_start + m_scanned);
    if (end < 0) {
        m_scanned = m_pending.size() - m_start;
        // Drop what was handed on once it is most of the buffer.
        if (m_start > 0 && m_start >= m_pending.size() / 2) {
            m_pending.remove(0, m_start);
            m_start = 0;
        }
        return std::nullopt;
    }
    QByteArray message = m_pending.mid(m_start, end - m_start);
    m_start = end + 1;
    m_scanned = 0;
    if (m_start == m_pending.size()) {
        m_pending.clear();
        m_start = 0;
    }
    return message;
}

bool FrameBuffer::append(QByteArrayView bytes, const std::function<void(QByteArray)> &deliver)
{
    add(bytes);
    while (std::optional<QByteArray> message = next())
        deliver(std::move(*message));
    if (overflowed()) {
        clear();
        return false;
    }
    return true;
}

void FrameBuffer::clear()
{
    m_pending.clear();
    m_start = m_scanned = 0;
}

Dispatcher::Dispatcher(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &Dispatcher::dispatchBatch);
}

void Dispatcher::enqueue(QByteArray line, quint64 connection)
{
    qCDebug(lcProtocol).noquote() << "queued from" << connection << ":" << QString::fromLatin1(line);
    if (connection)
        ++m_pendingBy[connection];
    m_queue.push_back({std::move(line), connection, false});
    schedule();
}

void Dispatcher::enqueueEnd(quint64 connection)
{
    qCDebug(lcProtocol) << "end of" << connection << "queued";
    m_queue.push_back({QByteArray(), connection, true});
    schedule();
}

void Dispatcher::clear()
{
    m_queue.clear();
    const QList<quint64> backlogged = m_pendingBy.keys();
    m_pendingBy.clear();
    for (quint64 connection : backlogged)
        emit drained(connection);
}

void Dispatcher::schedule()
{
    if (!m_busy && !m_queue.empty() && !m_timer.isActive())
        m_timer.start();
}

void Dispatcher::take(QueuedMessage &message)
{
    message = std::move(m_queue.front());
    m_queue.pop_front();
    if (message.end || !message.connection)
        return;
    const auto count = m_pendingBy.find(message.connection);
    if (count == m_pendingBy.end())
        return;
    const int left = --*count;
    if (left == 0)
        m_pendingBy.erase(count);
    if (left == kMaxQueuedPerConnection / 2)
        emit drained(message.connection);
}

bool Dispatcher::dispatchOne()
{
    // One message at a time: a handler that opens a message box must not
    // see the next message handled underneath it.
    if (m_busy || m_queue.empty())
        return false;
    QueuedMessage message;
    take(message);
    {
        const QScopedValueRollback busy(m_busy, true);
        handle(message);
    }
    schedule();
    return true;
}

void Dispatcher::dispatchBatch()
{
    if (m_busy)
        return; // the running handler's pass re-arms the timer
    QElapsedTimer spent;
    spent.start();
    {
        const QScopedValueRollback busy(m_busy, true);
        QueuedMessage message;
        for (int n = 0; n < kBatchMessages && !m_queue.empty(); ++n) {
            take(message);
            handle(message);
            if (spent.nsecsElapsed() > kBatchNanoseconds)
                break;
        }
    }
    schedule();
}

void Dispatcher::handle(const QueuedMessage &message)
{
    if (message.end) {
        try {
            if (m_endHandler)
                m_endHandler(message.connection);
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
        }
        return;
    }
    if (!m_handler)
        return;
    try {
        m_handler(message.line, message.connection);
    } catch (const std::exception &error) {
        // A field that is not a number: shown, and the queue goes on.
        showError(QString::fromUtf8(error.what()));
    }
}
