#pragma once

#include "directory/client/directoryaddress.h"
#include "robots/robotbrain.h"

#include <QList>
#include <QString>

// Runs one computer player without any window against the host at host:port
// until that host ends the connection, writing a line per frame and per
// game to standard output. Returns the exit status: 0 when the host closed
// the connection, 1 when it could not join. With game directories, a host
// that reads as a code is looked up there first (and a relayed table joined
// through the directory's relay).
int runHeadlessRobot(Strength strength, const QString &name, const QString &host, quint16 port,
                     const QList<DirectoryAddress> &directories = {});
