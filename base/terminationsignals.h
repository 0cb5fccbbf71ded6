#pragma once

#include <QtGlobal>

#include <csignal>
#include <memory>

class QSocketNotifier;

// SIGINT and SIGTERM end the event loop of a program without a window: the
// handler only writes a byte to a pipe that the loop watches, so nothing
// polls and nothing unsafe runs inside the handler. One at a time; the
// previous handlers come back when it goes.
class TerminationSignals
{
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    bool isValid() const { return m_notifier != nullptr; }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
};
