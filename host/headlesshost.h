#pragma once

#include "directory/client/directoryaddress.h"

#include <QList>
#include <QString>
#include <QtGlobal>

// Runs a game host without any window until SIGINT or SIGTERM; the first
// connection acts as the hosting player. With announce, the table is shown
// on the local network under tableName (empty: "HOST's table" after this
// machine's name) and registered with the game directories given, and
// with portMapping as well the local router is asked to forward the port.
// Returns the exit status.
int runHeadlessHost(quint16 port, int pauseSeconds, int chatLimit, bool announce = false,
                    const QString &tableName = QString(), bool portMapping = false,
                    const QList<DirectoryAddress> &directories = {});
