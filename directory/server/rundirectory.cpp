#include "directory/server/rundirectory.h"

#include "base/terminaltext.h"
#include "base/terminationsignals.h"
#include "directory/server/relaydirectory.h"

#include <QCoreApplication>

#include <cstdio>

#include <sys/resource.h>

namespace {

// Every table holds a connection: take all the descriptors the system allows.
void raiseDescriptorLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void say(const QString &line)
{
    writeTerminalLine(stdout, line);
}

} // namespace

int runDirectory(quint16 port, int expirySeconds)
{
    const TerminationSignals termination;
    if (!termination.isValid()) {
        std::fputs("pinlex: cannot watch for termination signals.\n", stderr);
        return 1;
    }
    raiseDescriptorLimit();

    DirectoryServer::Options options;
    options.expirySeconds = expirySeconds;
    RelayDirectory directory(options);
    QObject::connect(&directory, &DirectoryServer::logLine, &say);
    if (!directory.listen(QHostAddress(QHostAddress::Any), port)) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: port %1: %2").arg(port).arg(directory.errorString()));
        return 1;
    }
    say(QStringLiteral("directory listening on port %1, tables expire after %2 seconds of silence, "
                       "tables it cannot reach are relayed")
            .arg(port)
            .arg(expirySeconds));
    QCoreApplication::exec();
    say(QStringLiteral("stopped"));
    return 0;
}
