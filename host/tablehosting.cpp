#include "host/tablehosting.h"

#include "host/directoryregistration.h"
#include "host/tableannouncement.h"
#include "host/tablereach.h"
#include "net/tsock.h"

TableHosting::TableHosting(TServer &server, QObject *parent) : QObject(parent), m_server(server) {}

// The mapping goes last: the table is withdrawn from everywhere first.
TableHosting::~TableHosting()
{
    m_announcement.reset();
    m_reach.reset();
}

QString TableHosting::codeLine(const QString &code)
{
    return QStringLiteral("Others can join with the code %1").arg(code);
}

bool TableHosting::isListening() const
{
    return m_server.Sock1->isListening();
}

void TableHosting::open(const Plan &plan)
{
    m_server.listen(plan.port,
                    plan.everyAddress ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost),
                    plan.firstSlot);
    emit listening(plan.port);
    if (!plan.everyAddress || !plan.announce)
        return;

    m_announcement = std::make_unique<TableAnnouncement>(m_server, plan.name, plan.port, plan.directories);
    const Announcer &announcer = m_announcement->announcer();
    connect(&announcer, &Announcer::announced, this,
            [this, &announcer] { emit announced(announcer.mdnsName(), announcer.announcesOnMdns()); });
    DirectoryRegistration *directories = m_announcement->directories();
    if (directories) {
        connect(directories, &DirectoryRegistration::codeAssigned, this, &TableHosting::codeAssigned);
        connect(directories, &DirectoryRegistration::reachChecked, this, &TableHosting::reachChecked);
        connect(directories, &DirectoryRegistration::refused, this, &TableHosting::refused);
        connect(directories, &DirectoryRegistration::lost, this, &TableHosting::lost);
        connect(directories, &DirectoryRegistration::relayOpened, this, &TableHosting::relayOpened);
        connect(directories, &DirectoryRegistration::relayFailed, this, &TableHosting::relayFailed);
    }
    m_announcement->start();
    if (!plan.portMapping)
        return;

    m_reach = std::make_unique<TableReach>(plan.port, directories != nullptr);
    connect(m_reach.get(), &TableReach::told, this, &TableHosting::reachTold);
    // The directories' probes may have come before the router opened the port.
    if (directories)
        connect(m_reach.get(), &TableReach::told, directories, &DirectoryRegistration::recheck);
    m_reach->start();
}

void TableHosting::release()
{
    m_server.Sock1->setListen(false);
    m_announcement.reset();
    if (!m_reach) {
        emit released();
        return;
    }
    // Once, however often it is asked while the router has not answered.
    connect(m_reach.get(), &TableReach::released, this, &TableHosting::released,
            Qt::ConnectionType(Qt::SingleShotConnection | Qt::UniqueConnection));
    m_reach->release();
}
