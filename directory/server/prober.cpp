#include "directory/server/prober.h"

#include "net/framing.h"
#include "protocol/directorymessages.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

struct Prober::Running
{
    Request request;
    QTcpSocket *socket = nullptr;
    QTimer *timer = nullptr;
    FrameBuffer buffer;
    qsizetype received = 0;
};

Prober::Prober(QObject *parent) : QObject(parent) {}

Prober::~Prober()
{
    for (Running *running : std::as_const(m_running)) {
        running->socket->disconnect(this);
        running->socket->abort();
        delete running->socket;
        delete running->timer;
        delete running;
    }
}

void Prober::start(quint64 table, const QHostAddress &address, quint16 port, const QByteArray &challenge,
                   const QByteArray &answer)
{
    cancel(table);
    m_waiting.push_back({table, address, port, challenge, answer});
    startNext();
}

void Prober::cancel(quint64 table)
{
    std::erase_if(m_waiting, [table](const Request &request) { return request.table == table; });
    Running *running = m_running.take(table);
    if (!running)
        return;
    running->socket->disconnect(this);
    running->socket->abort();
    running->socket->deleteLater();
    delete running->timer;
    delete running;
    startNext();
}

void Prober::startNext()
{
    while (m_running.size() < kMaxRunning && !m_waiting.empty()) {
        Request request = std::move(m_waiting.front());
        m_waiting.pop_front();
        run(std::move(request));
    }
}

void Prober::run(Request request)
{
    const quint64 table = request.table;
    auto *running = new Running;
    running->request = std::move(request);
    running->socket = new QTcpSocket;
    running->timer = new QTimer;
    running->timer->setSingleShot(true);
    m_running.insert(table, running);

    connect(running->timer, &QTimer::timeout, this, [this, table] { end(table, Outcome::Failed); });
    connect(running->socket, &QTcpSocket::connected, this, [this, table] {
        Running *r = m_running.value(table);
        r->socket->write(msg::encode(msg::Probe{r->request.challenge}));
    });
    connect(running->socket, &QTcpSocket::readyRead, this, [this, table] { read(table); });
    connect(running->socket, &QTcpSocket::errorOccurred, this, [this, table] { end(table, Outcome::Failed); });
    running->timer->start(m_timeoutMs);
    running->socket->connectToHost(running->request.address, running->request.port);
}

void Prober::read(quint64 table)
{
    Running *running = m_running.value(table);
    if (!running)
        return;
    const QByteArray bytes = running->socket->read(kMaxReply - running->received);
    running->received += bytes.size();
    running->buffer.add(bytes);
    while (const std::optional<QByteArray> line = running->buffer.next()) {
        // A slot offer and the like come first from a host that seats the
        // probe; only the answer, or "full", counts.
        const std::optional<msg::ProbeReply> reply = msg::readProbeReply(*line);
        if (!reply)
            continue;
        if (std::holds_alternative<msg::Full>(*reply))
            return end(table, Outcome::Full);
        const bool right = std::get<msg::ProbeOk>(*reply).answer == running->request.answer;
        return end(table, right ? Outcome::Answered : Outcome::Failed);
    }
    if (running->received >= kMaxReply)
        end(table, Outcome::Failed);
}

void Prober::end(quint64 table, Outcome outcome)
{
    Running *running = m_running.take(table);
    if (!running)
        return;
    running->socket->disconnect(this);
    running->socket->abort();
    // It may be inside one of its own signals.
    running->socket->deleteLater();
    running->timer->deleteLater();
    running->timer->stop();
    delete running;
    startNext();
    emit finished(table, outcome);
}
