#include "testclient.h"

#include "net/framing.h"

#include <QtTest>

TestClient::TestClient()
{
    m_sock.setHostName(QStringLiteral("127.0.0.1"));
    m_sock.OnRead = [this](TSock *sock, qsizetype) {
        m_buffer.append(sock->receive(), [this](QByteArray line) { m_received << line; });
        if (m_wake)
            m_wake->quit();
    };
    m_sock.OnInfo = [this](TSock *, SocketInfo, const QString &text) {
        if (text == QLatin1String("Socket Closed"))
            m_closed = true;
        if (m_wake)
            m_wake->quit();
    };
}

bool TestClient::connectTo(quint16 port, const QString &host)
{
    m_sock.setHostName(host);
    m_sock.setPortName(QString::number(port));
    m_sock.open();
    if (!spin([this] { return !m_received.isEmpty() || m_closed; }, 5000) || m_received.isEmpty())
        return false;
    const QByteArray &first = m_received.first();
    if (first.startsWith("CMD_sendlogininfo+"))
        m_slot = first.mid(18).toInt();
    return true;
}

bool TestClient::login(quint16 port, const QByteArray &name, const QByteArray &version)
{
    if (!connectTo(port) || m_slot == 0)
        return false;
    waitFor("CMD_sendlogininfo+");
    send("CMD_logininfo+" + QByteArray::number(m_slot) + '+' + version + '+' + name);
    return !waitFor("CMD_newplayerinfo+" + QByteArray::number(m_slot) + '+').isEmpty();
}

void TestClient::send(const QByteArray &line)
{
    m_sock.send(line + wire::kTerminator);
}

QByteArray TestClient::waitFor(const QByteArray &prefix, int timeoutMs)
{
    qsizetype found = -1;
    const auto search = [&] {
        for (qsizetype i = m_read; i < m_received.size(); ++i) {
            if (m_received[i].startsWith(prefix)) {
                found = i;
                return true;
            }
        }
        return false;
    };
    if (!spin(search, timeoutMs))
        return {};
    m_read = found + 1;
    return m_received[found];
}

QList<QByteArray> TestClient::takeUnread()
{
    const QList<QByteArray> unread = m_received.mid(m_read);
    m_read = m_received.size();
    return unread;
}

bool TestClient::waitClosed(int timeoutMs)
{
    return spin([this] { return m_closed; }, timeoutMs);
}

bool TestClient::spin(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        m_wake = &loop;
        QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
        loop.exec();
        m_wake = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}
