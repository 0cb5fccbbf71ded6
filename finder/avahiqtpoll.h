#pragma once

#include <QString>

#include <memory>

struct AvahiPoll;

// Avahi's client library asks its host program to watch file descriptors and
// to keep timeouts; this answers from the Qt event loop, with a
// QSocketNotifier per watched descriptor and a QTimer per timeout. It must
// outlive every Avahi object made with api().
class AvahiQtPoll
{
public:
    AvahiQtPoll();
    ~AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll &) = delete;
    AvahiQtPoll &operator=(const AvahiQtPoll &) = delete;

    const AvahiPoll *api() const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

// Avahi's words for one of its error codes.
QString avahiErrorText(int error);
