#pragma once

#include <QtGlobal>

// Runs a game host without any window until SIGINT or SIGTERM; the first
// connection acts as the hosting player. Returns the exit status.
int runHeadlessHost(quint16 port, int pauseSeconds, int chatLimit);
