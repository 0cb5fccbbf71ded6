#include "finder/announcer.h"

#include "finder/avahiqtpoll.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace {

AvahiStringList *txtRecords(const TableInfo &table)
{
    AvahiStringList *list = nullptr;
    const QList<QByteArray> txt = table.toTxt();
    // avahi_string_list_add puts each in front: add them back to front.
    for (qsizetype i = txt.size() - 1; i >= 0; --i)
        list = avahi_string_list_add(list, txt[i].constData());
    return list;
}

// Avahi's next name for a service after a collision ("NAME #2", then
// "NAME #3"), shortened in front of the number so that finders, which cut
// names, still tell the two apart.
QString alternativeName(const QString &name)
{
    char *next = avahi_alternative_service_name(name.toUtf8().constData());
    QString alternative = QString::fromUtf8(next);
    avahi_free(next);
    const qsizetype hash = alternative.lastIndexOf(QLatin1String(" #"));
    if (hash < 0)
        return TableInfo::cleanName(alternative);
    const QString number = alternative.mid(hash);
    QString base = alternative.left(hash);
    while (!base.isEmpty() && TableInfo::cleanName(QString(base + number)) != base + number)
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    return base + number;
}

} // namespace

struct AnnouncerCallbacks
{
    static void client(AvahiClient *client, AvahiClientState state, void *self)
    {
        static_cast<Announcer *>(self)->clientState(client, state);
    }
    static void group(AvahiEntryGroup *group, AvahiEntryGroupState state, void *self)
    {
        static_cast<Announcer *>(self)->groupState(group, state);
    }
};

Announcer::Announcer(QObject *parent) : QObject(parent) {}

Announcer::~Announcer()
{
    dropMdns();
}

void Announcer::publish(const TableInfo &table)
{
    TableInfo next = table;
    next.name = TableInfo::cleanName(table.name);
    if (next.name.isEmpty())
        next.name = QStringLiteral("Pinlex table");
    next.seatsTaken = qBound(0, next.seatsTaken, TableInfo::kSeats);
    next.spectators = qBound(0, next.spectators, TableInfo::kSpectatorSeats);
    if (next.tableId == 0)
        next.tableId = m_table.tableId != 0 ? m_table.tableId : TableInfo::newTableId();
    next.address = QHostAddress();
    next.source = TableInfo::Source::Lan;
    if (m_published && next == m_table)
        return;
    const bool moved = next.name != m_table.name || next.port != m_table.port;
    m_table = next;
    m_responder.setTable(m_table);
    if (!m_published) {
        m_published = true;
        m_mdnsName = m_table.name;
        startMdns();
        if (m_mode == Mode::MdnsAndUdp || m_mdnsBroken)
            startUdp();
        return;
    }
    if (!m_client || m_mdnsBroken)
        return;
    if (moved) {
        m_mdnsName = m_table.name;
        if (m_group)
            avahi_entry_group_reset(m_group);
        m_mdnsLive = false;
        registerService();
    } else {
        updateTxt();
    }
}

void Announcer::withdraw()
{
    m_published = false;
    dropMdns();
    m_mdnsBroken = false;   // the daemon may be back by the next publish
    m_responder.stop();
}

void Announcer::startMdns()
{
    if (m_client || m_mdnsBroken)
        return;
    m_poll = std::make_unique<AvahiQtPoll>();
    int error = 0;
    // Without a daemon this fails at once; the client's callback may run
    // before it returns.
    AvahiClient *client = avahi_client_new(m_poll->api(), AvahiClientFlags(0), AnnouncerCallbacks::client, this,
                                           &error);
    if (!client) {
        m_poll.reset();
        mdnsFailed(avahiErrorText(error));
        return;
    }
    m_client = client;
    registerService();
}

void Announcer::clientState(AvahiClient *client, int state)
{
    if (!m_client)
        m_client = client;
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        registerService();
        break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
        // The daemon renames its host; the service goes up again when it runs.
        if (m_group)
            avahi_entry_group_reset(m_group);
        m_mdnsLive = false;
        break;
    case AVAHI_CLIENT_FAILURE:
        mdnsFailed(avahiErrorText(avahi_client_errno(client)));
        break;
    default:
        break;
    }
}

void Announcer::groupState(AvahiEntryGroup *group, int state)
{
    if (m_mdnsBroken)
        return;
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        qCDebug(lcFinder) << "announced" << m_mdnsName << "over mDNS";
        m_mdnsLive = true;
        notify();
        break;
    case AVAHI_ENTRY_GROUP_COLLISION:
        m_mdnsName = alternativeName(m_mdnsName);
        qCDebug(lcFinder) << "name taken on the network; now" << m_mdnsName;
        avahi_entry_group_reset(group);
        m_mdnsLive = false;
        registerService();
        break;
    case AVAHI_ENTRY_GROUP_FAILURE:
        mdnsFailed(avahiErrorText(avahi_client_errno(avahi_entry_group_get_client(group))));
        break;
    default:
        break;
    }
}

void Announcer::registerService()
{
    if (!m_client || m_mdnsBroken || !m_published || avahi_client_get_state(m_client) != AVAHI_CLIENT_S_RUNNING)
        return;
    if (!m_group) {
        m_group = avahi_entry_group_new(m_client, AnnouncerCallbacks::group, this);
        if (!m_group) {
            mdnsFailed(avahiErrorText(avahi_client_errno(m_client)));
            return;
        }
    }
    if (!avahi_entry_group_is_empty(m_group))
        return;
    // A name another service of this daemon holds is refused at once; the
    // network's collisions come later through the group's callback.
    for (int attempt = 0; attempt < 20; ++attempt) {
        AvahiStringList *txt = txtRecords(m_table);
        int result = avahi_entry_group_add_service_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                          AvahiPublishFlags(0), m_mdnsName.toUtf8().constData(),
                                                          kTableServiceType, nullptr, nullptr, m_table.port, txt);
        avahi_string_list_free(txt);
        if (result == AVAHI_ERR_COLLISION) {
            m_mdnsName = alternativeName(m_mdnsName);
            continue;
        }
        if (result >= 0)
            result = avahi_entry_group_commit(m_group);
        if (result < 0)
            mdnsFailed(avahiErrorText(result));
        return;
    }
    mdnsFailed(QStringLiteral("no free name"));
}

void Announcer::updateTxt()
{
    if (!m_group || avahi_entry_group_is_empty(m_group))
        return;   // the registration to come carries the new state
    AvahiStringList *txt = txtRecords(m_table);
    const int result = avahi_entry_group_update_service_txt_strlst(
        m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), m_mdnsName.toUtf8().constData(),
        kTableServiceType, nullptr, txt);
    avahi_string_list_free(txt);
    if (result < 0) {
        qCDebug(lcFinder) << "TXT update refused:" << avahiErrorText(result) << "; announcing again";
        avahi_entry_group_reset(m_group);
        m_mdnsLive = false;
        registerService();
    }
}

void Announcer::mdnsFailed(const QString &why)
{
    if (m_mdnsBroken)
        return;
    m_mdnsBroken = true;
    m_mdnsLive = false;
    qCInfo(lcFinder) << "no mDNS announcement:" << why << "- answering over UDP";
    if (m_published)
        startUdp();
    // Not from inside the library's own callback.
    QMetaObject::invokeMethod(this, [this] { if (m_mdnsBroken) dropMdns(); }, Qt::QueuedConnection);
}

void Announcer::dropMdns()
{
    // Freeing the client frees its group: the daemon withdraws the service.
    if (m_client)
        avahi_client_free(m_client);
    m_client = nullptr;
    m_group = nullptr;
    m_mdnsLive = false;
    m_poll.reset();
}

void Announcer::startUdp()
{
    if (!m_responder.isRunning())
        m_responder.start(m_fallbackPort);
    notify();
}

void Announcer::notify()
{
    // mDNS and the UDP answerer may both start in one turn: say it once.
    if (m_notifyPending)
        return;
    m_notifyPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notifyPending = false;
            emit announced();
        },
        Qt::QueuedConnection);
}
