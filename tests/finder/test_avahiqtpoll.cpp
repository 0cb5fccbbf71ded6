#include "finder/avahiqtpoll.h"

#include <QtTest>

#include <avahi-common/watch.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

// The adapter as Avahi's client library drives it: watches and timeouts
// that fire from the event loop, and that may be freed from their own
// callbacks.
class AvahiQtPollTest : public QObject
{
    Q_OBJECT

private slots:
    void watchReportsInputAndMayFreeItself();
    void timeoutFiresOnceAtItsTimeAndCanBeMoved();
};

namespace {

struct Seen
{
    const AvahiPoll *api = nullptr;
    int calls = 0;
    AvahiWatchEvent during = AvahiWatchEvent(0);
    bool freeInCallback = false;
};

timeval inMs(int ms)
{
    timeval tv;
    gettimeofday(&tv, nullptr);
    tv.tv_usec += ms * 1000;
    tv.tv_sec += tv.tv_usec / 1000000;
    tv.tv_usec %= 1000000;
    return tv;
}

} // namespace

void AvahiQtPollTest::watchReportsInputAndMayFreeItself()
{
    AvahiQtPoll poll;
    int fds[2];
    QCOMPARE(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    Seen seen{poll.api()};
    seen.freeInCallback = true;
    AvahiWatch *watch = poll.api()->watch_new(
        poll.api(), fds[0], AVAHI_WATCH_IN,
        [](AvahiWatch *w, int, AvahiWatchEvent event, void *data) {
            auto *s = static_cast<Seen *>(data);
            ++s->calls;
            s->during = s->api->watch_get_events(w);
            QCOMPARE(event, AVAHI_WATCH_IN);
            if (s->freeInCallback)
                s->api->watch_free(w);
        },
        &seen);
    QVERIFY(watch);
    QTest::qWait(50);
    QCOMPARE(seen.calls, 0);
    QCOMPARE(write(fds[1], "x", 1), 1);
    QTRY_COMPARE(seen.calls, 1);
    QCOMPARE(seen.during, AVAHI_WATCH_IN);
    // Freed: the unread byte wakes nobody.
    QTest::qWait(100);
    QCOMPARE(seen.calls, 1);
    close(fds[0]);
    close(fds[1]);
}

void AvahiQtPollTest::timeoutFiresOnceAtItsTimeAndCanBeMoved()
{
    AvahiQtPoll poll;
    int calls = 0;
    const auto count = [](AvahiTimeout *, void *data) { ++*static_cast<int *>(data); };
    AvahiTimeout *never = poll.api()->timeout_new(poll.api(), nullptr, count, &calls);
    timeval at = inMs(50);
    AvahiTimeout *once = poll.api()->timeout_new(poll.api(), &at, count, &calls);
    QTRY_COMPARE(calls, 1);
    QTest::qWait(150);
    QCOMPARE(calls, 1);   // one shot, and the disabled one stays quiet
    at = inMs(300);
    poll.api()->timeout_update(once, &at);
    QTest::qWait(100);
    QCOMPARE(calls, 1);
    QTRY_COMPARE(calls, 2);
    poll.api()->timeout_free(once);
    poll.api()->timeout_free(never);
}

QTEST_GUILESS_MAIN(AvahiQtPollTest)
#include "test_avahiqtpoll.moc"
