#pragma once

#include "directory/client/directoryaddress.h"

#include <QList>

#include <cstdio>

// --list-games: looks for `seconds` (0..3600) on the local network and, at
// the same time, asks each directory given for its tables (waiting longer
// for a directory that has not answered yet, up to its time-out), then
// writes the merged list, one table a line (see listLine). A directory that
// cannot be reached is told on standard error. Needs a QCoreApplication;
// runs its own event loop meanwhile. Returns the process's exit status.
int listGames(int seconds, std::FILE *out, const QList<DirectoryAddress> &directories);
