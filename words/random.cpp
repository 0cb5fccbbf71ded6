#include "words/random.h"

#include <QDateTime>

namespace {
quint32 g_seed = 0;
}

quint32 Random::seed()
{
    return g_seed;
}

void Random::setSeed(quint32 seed)
{
    g_seed = seed;
}

int Random::random(int n)
{
    g_seed = g_seed * 134775813u + 1u;
    if (n <= 0)
        return 0;
    return int((quint64(g_seed) * quint64(quint32(n))) >> 32);
}

void Random::randomizeFromClock()
{
    const QTime now = QDateTime::currentDateTimeUtc().time();
    g_seed = quint32(((now.hour() * 60 + now.minute()) * 60 + now.second()) * 1000 + now.msec());
}
