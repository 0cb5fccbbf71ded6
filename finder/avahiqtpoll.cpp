#include "finder/avahiqtpoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <avahi-common/error.h>
#include <avahi-common/watch.h>
#include <sys/time.h>

#include <algorithm>
#include <set>

// The library may free a watch or a timeout from inside its own callback:
// nothing is touched after a callback returns, and the Qt object whose
// signal is running goes with deleteLater.

struct AvahiWatch
{
    AvahiQtPoll::Private *owner = nullptr;
    int fd = -1;
    AvahiWatchCallback callback = nullptr;
    void *userdata = nullptr;
    AvahiWatchEvent happened = AvahiWatchEvent(0);
    QSocketNotifier *read = nullptr;
    QSocketNotifier *write = nullptr;
};

struct AvahiTimeout
{
    AvahiQtPoll::Private *owner = nullptr;
    AvahiTimeoutCallback callback = nullptr;
    void *userdata = nullptr;
    QTimer *timer = nullptr;
};

struct AvahiQtPoll::Private
{
    AvahiPoll api{};
    std::set<AvahiWatch *> watches;
    std::set<AvahiTimeout *> timeouts;
};

namespace {

AvahiQtPoll::Private *ownerOf(const AvahiPoll *api)
{
    return static_cast<AvahiQtPoll::Private *>(api->userdata);
}

void setEvents(AvahiWatch *w, AvahiWatchEvent event)
{
    w->read->setEnabled(event & AVAHI_WATCH_IN);
    w->write->setEnabled(event & AVAHI_WATCH_OUT);
}

void dispatch(AvahiWatch *w, AvahiWatchEvent event)
{
    w->happened = event;
    w->callback(w, w->fd, event, w->userdata);
}

AvahiWatch *watchNew(const AvahiPoll *api, int fd, AvahiWatchEvent event, AvahiWatchCallback callback,
                     void *userdata)
{
    auto *w = new AvahiWatch;
    w->owner = ownerOf(api);
    w->fd = fd;
    w->callback = callback;
    w->userdata = userdata;
    // Errors and hang-ups wake the read notifier; the library then reads
    // and learns what happened.
    w->read = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
    w->write = new QSocketNotifier(qintptr(fd), QSocketNotifier::Write);
    QObject::connect(w->read, &QSocketNotifier::activated, w->read, [w] { dispatch(w, AVAHI_WATCH_IN); });
    QObject::connect(w->write, &QSocketNotifier::activated, w->write, [w] { dispatch(w, AVAHI_WATCH_OUT); });
    setEvents(w, event);
    w->owner->watches.insert(w);
    return w;
}

void watchUpdate(AvahiWatch *w, AvahiWatchEvent event)
{
    setEvents(w, event);
}

AvahiWatchEvent watchGetEvents(AvahiWatch *w)
{
    return w->happened;
}

void destroyWatch(AvahiWatch *w, bool later)
{
    for (QSocketNotifier *n : {w->read, w->write}) {
        n->setEnabled(false);
        if (later)
            n->deleteLater();
        else
            delete n;
    }
    delete w;
}

void watchFree(AvahiWatch *w)
{
    w->owner->watches.erase(w);
    destroyWatch(w, true);
}

void arm(AvahiTimeout *t, const struct timeval *tv)
{
    if (!tv) {
        t->timer->stop();
        return;
    }
    struct timeval now;
    gettimeofday(&now, nullptr);
    const qint64 ms = (qint64(tv->tv_sec) - now.tv_sec) * 1000 + (qint64(tv->tv_usec) - now.tv_usec + 999) / 1000;
    t->timer->start(int(std::clamp<qint64>(ms, 0, 24 * 3600 * 1000)));
}

AvahiTimeout *timeoutNew(const AvahiPoll *api, const struct timeval *tv, AvahiTimeoutCallback callback,
                         void *userdata)
{
    auto *t = new AvahiTimeout;
    t->owner = ownerOf(api);
    t->callback = callback;
    t->userdata = userdata;
    t->timer = new QTimer;
    t->timer->setSingleShot(true);
    t->timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(t->timer, &QTimer::timeout, t->timer, [t] { t->callback(t, t->userdata); });
    arm(t, tv);
    t->owner->timeouts.insert(t);
    return t;
}

void timeoutUpdate(AvahiTimeout *t, const struct timeval *tv)
{
    arm(t, tv);
}

void destroyTimeout(AvahiTimeout *t, bool later)
{
    t->timer->stop();
    if (later)
        t->timer->deleteLater();
    else
        delete t->timer;
    delete t;
}

void timeoutFree(AvahiTimeout *t)
{
    t->owner->timeouts.erase(t);
    destroyTimeout(t, true);
}

} // namespace

AvahiQtPoll::AvahiQtPoll() : d(std::make_unique<Private>())
{
    d->api.userdata = d.get();
    d->api.watch_new = watchNew;
    d->api.watch_update = watchUpdate;
    d->api.watch_get_events = watchGetEvents;
    d->api.watch_free = watchFree;
    d->api.timeout_new = timeoutNew;
    d->api.timeout_update = timeoutUpdate;
    d->api.timeout_free = timeoutFree;
}

AvahiQtPoll::~AvahiQtPoll()
{
    // What the library left behind (it frees its own when its objects go).
    for (AvahiWatch *w : d->watches)
        destroyWatch(w, false);
    for (AvahiTimeout *t : d->timeouts)
        destroyTimeout(t, false);
}

const AvahiPoll *AvahiQtPoll::api() const
{
    return &d->api;
}

QString avahiErrorText(int error)
{
    return QString::fromUtf8(avahi_strerror(error));
}
