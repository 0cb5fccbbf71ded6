#include "host/directoryregistration.h"

#include "directory/registrar.h"
#include "host/serverform.h"


DirectoryRegistration::DirectoryRegistration(TServer &server, const QList<DirectoryAddress> &directories,
                                             QObject *parent)
    : QObject(parent)
{
    for (const DirectoryAddress &address : directories) {
        auto *registrar = new Registrar(address, this);
        m_registrars << registrar;
        connect(registrar, &Registrar::probeExpected, &server, &TServer::expectProbe);
        connect(registrar, &Registrar::codeAssigned, this,
                [this, address](const QString &code) { emit codeAssigned(address, code); });
        connect(registrar, &Registrar::reachChecked, this,
                [this, address](msg::Reach reach) { emit reachChecked(address, reach); });
        connect(registrar, &Registrar::refused, this,
                [this, address](const QString &reason) { emit refused(address, reason); });
        connect(registrar, &Registrar::lost, this,
                [this, address](const QString &reason) { emit lost(address, reason); });
    }
}

DirectoryRegistration::~DirectoryRegistration()
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->withdraw();
}

QString DirectoryRegistration::codeLine(const QString &code)
{
    return QStringLiteral("Others can join with the code %1").arg(code);
}

void DirectoryRegistration::logEvents(const std::function<void(const QString &)> &log)
{
    const auto prefix = [](const DirectoryAddress &directory) {
        return QStringLiteral("directory ") + directory.toString() + QStringLiteral(": ");
    };
    connect(this, &DirectoryRegistration::codeAssigned, this,
            [log, prefix](const DirectoryAddress &directory, const QString &code) {
                log(prefix(directory) + codeLine(code));
            });
    connect(this, &DirectoryRegistration::reachChecked, this,
            [log, prefix](const DirectoryAddress &directory, msg::Reach reach) {
                log(prefix(directory) + QStringLiteral("reach ") + QLatin1String(msg::reachText(reach)));
            });
    connect(this, &DirectoryRegistration::refused, this,
            [log, prefix](const DirectoryAddress &directory, const QString &reason) {
                log(prefix(directory) + QStringLiteral("refused: ") + reason);
            });
    connect(this, &DirectoryRegistration::lost, this,
            [log, prefix](const DirectoryAddress &directory, const QString &reason) {
                log(prefix(directory) + QStringLiteral("no connection: ") + reason);
            });
}

void DirectoryRegistration::publish(const TableInfo &table)
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->publish(table);
}
