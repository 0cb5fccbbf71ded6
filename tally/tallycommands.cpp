#include "tally/tallycommands.h"

#include <cstdio>

namespace {
int unavailable()
{
    std::fputs("pinlex: not available in this build.\n", stderr);
    return 1;
}
} // namespace

int compressFileCommand(const QString &, const QString &) { return unavailable(); }
int decompressFileCommand(const QString &, const QString &) { return unavailable(); }
int printTallyCommand() { return unavailable(); }
