#pragma once

#include "directory/directoryaddress.h"

#include <QList>
#include <QtGlobal>

// Runs a game host without any window until SIGINT or SIGTERM; the first
// connection acts as the hosting player. It registers its table with the
// game directories given and those in PINLEX_DIRECTORY. Returns the exit
// status.
int runHeadlessHost(quint16 port, int pauseSeconds, int chatLimit, QList<DirectoryAddress> directories = {});
