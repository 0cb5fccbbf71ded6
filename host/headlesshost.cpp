#include "host/headlesshost.h"

#include <cstdio>

int runHeadlessHost(quint16, int)
{
    std::fputs("pinlex: the headless host is not available in this build.\n", stderr);
    return 1;
}
