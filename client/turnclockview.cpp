#include "client/turnclockview.h"

#include "client/turnclock.h"

#include <algorithm>

namespace turnclockview {

int barstep(int limit)
{
    // A turn of no time (or a negative one from a bad message) has no bar.
    return limit >= kBarWidth ? 1 : limit > 0 ? kBarWidth / limit : 0;
}

int barWidth(const TurnClock &clock)
{
    const std::optional<TurnClock::Bar> bar = clock.bar();
    if (!bar)
        return kBarWidth;
    return int(std::min<qint64>(qint64(barstep(bar->limit)) * bar->left, kBarWidth));
}

quint32 textColour(const TurnClock &clock)
{
    return clock.hurried() ? kRed : kPaleYellow;
}

} // namespace turnclockview
