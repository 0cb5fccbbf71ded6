#include "host/serverform.h"

TServer::TServer(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Server"));
}
