#pragma once

#include "net/framing.h"
#include "net/tsock.h"

#include <QByteArray>
#include <QEventLoop>
#include <QList>

#include <functional>

// A scripted client of the game host over a real loopback connection: it
// frames what arrives and lets a test wait for the message it expects.
class TestClient
{
public:
    TestClient();

    // Connects and waits for the host's first message (the slot or "full").
    bool connectTo(quint16 port, const QString &host = QStringLiteral("127.0.0.1"));
    // Connects, takes the slot offered and logs in under name.
    bool login(quint16 port, const QByteArray &name, const QByteArray &version = "1.0.9");

    // Sends one message; the terminator is added.
    void send(const QByteArray &line);
    void sendRaw(const QByteArray &bytes) { m_sock.send(bytes); }

    // Waits for the next unread message that begins with prefix, marks it and
    // everything before it read, and returns it (empty on time-out).
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = 5000);
    // The unread messages, marked read.
    QList<QByteArray> takeUnread();
    // True once the host has closed the connection.
    bool waitClosed(int timeoutMs = 5000);
    void close() { m_sock.close(); }

    int slot() const { return m_slot; }
    bool isClosed() const { return m_closed; }
    const QList<QByteArray> &received() const { return m_received; }
    quint64 serial() const { return m_sock.serial(); }

private:
    // Runs the event loop at full speed until done() or the time-out; woken
    // by every arrival. (QTest::qWaitFor sleeps 10 ms between its passes,
    // which starves a host in the same process under load.)
    bool spin(const std::function<bool()> &done, int timeoutMs);

    TSock m_sock;
    QEventLoop *m_wake = nullptr;
    FrameBuffer m_buffer;
    QList<QByteArray> m_received;
    qsizetype m_read = 0;
    int m_slot = 0;
    bool m_closed = false;
};
