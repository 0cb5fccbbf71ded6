#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>

#include <deque>

class QTcpSocket;

// Connects back to a registered table's game port and asks its listener for
// the answer to a challenge (CMD_probe / CMD_probeok). The answer went to
// the host over its own connection only, so an answer that matches proves
// that this address and port reach that host. A few probes run at once;
// the others wait their turn, so that a directory that restarts and sees
// every host register again does not open thousands of connections at once.
class Prober : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Answered, Full, Failed };
    static constexpr int kTimeoutMs = 5000;
    static constexpr int kMaxRunning = 64;
    // A listener says no more than this before it answers.
    static constexpr qsizetype kMaxReply = 4096;

    explicit Prober(QObject *parent = nullptr);
    ~Prober() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Probes for table (any id the caller chooses); a probe for the same
    // table still waiting or running is dropped first.
    void start(quint64 table, const QHostAddress &address, quint16 port, const QByteArray &challenge,
               const QByteArray &answer);
    void cancel(quint64 table);
    qsizetype running() const { return m_running.size(); }
    qsizetype waiting() const { return qsizetype(m_waiting.size()); }

signals:
    void finished(quint64 table, Prober::Outcome outcome);

private:
    struct Request
    {
        quint64 table = 0;
        QHostAddress address;
        quint16 port = 0;
        QByteArray challenge;
        QByteArray answer;
    };
    struct Running;

    void startNext();
    void run(Request request);
    void read(quint64 table);
    void end(quint64 table, Outcome outcome);

    int m_timeoutMs = kTimeoutMs;
    std::deque<Request> m_waiting;
    QHash<quint64, Running *> m_running;
};
