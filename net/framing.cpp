#include "net/framing.h"

#include "base/errordisplay.h"
#include "net/wire.h"

#include <QLoggingCategory>
#include <QScopedValueRollback>

#include <exception>

Q_LOGGING_CATEGORY(lcProtocol, "pinlex.protocol", QtWarningMsg)

bool FrameBuffer::append(QByteArrayView bytes, const std::function<void(QByteArray)> &deliver)
{
    // Only the new bytes need scanning: the old tail holds no terminator.
    qsizetype from = m_pending.size();
    m_pending.append(bytes);
    qsizetype start = 0;
    for (qsizetype end; (end = m_pending.indexOf(wire::kTerminator, from)) >= 0; from = start = end + 1)
        deliver(m_pending.mid(start, end - start));
    m_pending.remove(0, start);
    if (m_pending.size() > kMaxUnterminated) {
        m_pending.clear();
        return false;
    }
    return true;
}

Dispatcher::Dispatcher(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &Dispatcher::dispatchOne);
}

void Dispatcher::addCommand(QByteArray name, Handler handler)
{
    m_commands.emplace_back(std::move(name), std::move(handler));
}

void Dispatcher::enqueue(QByteArray line, quint64 connection)
{
    qCDebug(lcProtocol).noquote() << "queued from" << connection << ":" << QString::fromLatin1(line);
    m_queue.push_back({std::move(line), connection});
    schedule();
}

void Dispatcher::schedule()
{
    if (!m_busy && !m_queue.empty() && !m_timer.isActive())
        m_timer.start();
}

bool Dispatcher::dispatchOne()
{
    // One message at a time: a handler that opens a message box must not
    // see the next message handled underneath it.
    if (m_busy || m_queue.empty())
        return false;
    QueuedMessage message = std::move(m_queue.front());
    m_queue.pop_front();
    {
        const QScopedValueRollback busy(m_busy, true);
        handle(message);
    }
    schedule();
    return true;
}

void Dispatcher::handle(const QueuedMessage &message)
{
    const qsizetype plus = message.line.indexOf('+');
    if (plus <= 0)
        return; // empty line, no '+', or empty command name
    const QByteArrayView name = QByteArrayView(message.line).first(plus);
    for (const auto &[command, handler] : m_commands) {
        if (command != name)
            continue;
        try {
            handler(message.line.mid(plus + 1), message.connection);
        } catch (const std::exception &error) {
            // What the handler did before the error stays done.
            showError(QString::fromUtf8(error.what()));
        }
        return;
    }
    qCDebug(lcProtocol).noquote() << "ignored unknown command" << QString::fromLatin1(name);
}
