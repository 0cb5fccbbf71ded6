#pragma once

#include <QtGlobal>

// Runs a game directory without any window until SIGINT or SIGTERM, a line
// per event on standard output. Returns the exit status.
int runDirectory(quint16 port, int expirySeconds);
