#include "finder/browser.h"

#include "finder/avahiqtpoll.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>

#include <net/if.h>

namespace {

// DNS-SD allows more; nobody of ours sends more than a few.
constexpr int kMaxTxtStrings = 32;

QHostAddress hostAddress(const AvahiAddress *address, AvahiIfIndex interface)
{
    char text[AVAHI_ADDRESS_STR_MAX] = {};
    if (!address || !avahi_address_snprint(text, sizeof text, address))
        return {};
    QHostAddress result(QString::fromLatin1(text));
    if (result.protocol() == QAbstractSocket::IPv6Protocol && result.isLinkLocal()) {
        char name[IF_NAMESIZE] = {};
        if (if_indextoname(unsigned(interface), name))
            result.setScopeId(QString::fromLatin1(name));
    }
    return result;
}

} // namespace

struct BrowserCallbacks
{
    static void client(AvahiClient *client, AvahiClientState state, void *self)
    {
        static_cast<Browser *>(self)->clientState(client, state);
    }
    static void service(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol, AvahiBrowserEvent event,
                        const char *name, const char *type, const char *domain, AvahiLookupResultFlags, void *self)
    {
        static_cast<Browser *>(self)->serviceEvent(interface, event, name, type, domain);
    }
    static void resolved(AvahiServiceResolver *resolver, AvahiIfIndex interface, AvahiProtocol,
                         AvahiResolverEvent event, const char *name, const char *, const char *, const char *,
                         const AvahiAddress *address, uint16_t port, AvahiStringList *txt, AvahiLookupResultFlags,
                         void *self)
    {
        auto *browser = static_cast<Browser *>(self);
        if (event != AVAHI_RESOLVER_FOUND) {
            browser->resolved(resolver, false, nullptr);
            return;
        }
        QList<QByteArray> strings;
        for (AvahiStringList *s = txt; s && strings.size() < kMaxTxtStrings; s = s->next)
            strings.append(QByteArray(reinterpret_cast<const char *>(s->text), qsizetype(s->size)));
        const auto table = TableInfo::fromTxt(QString::fromUtf8(name), strings, hostAddress(address, interface), port);
        if (!table)
            qCDebug(lcFinder) << "refused the announcement of" << QString::fromUtf8(name);
        browser->resolved(resolver, table.has_value(), table ? &*table : nullptr);
    }
};

Browser::Browser(QObject *parent) : QObject(parent)
{
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &Browser::refresh);
}

Browser::~Browser()
{
    drop();
}

bool Browser::start()
{
    if (m_browser)
        return true;
    drop();
    m_poll = std::make_unique<AvahiQtPoll>();
    int error = 0;
    m_client = avahi_client_new(m_poll->api(), AvahiClientFlags(0), BrowserCallbacks::client, this, &error);
    if (!m_client) {
        qCInfo(lcFinder) << "no mDNS browsing:" << avahiErrorText(error);
        drop();
        return false;
    }
    m_browser = avahi_service_browser_new(m_client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, kTableServiceType, nullptr,
                                          AvahiLookupFlags(0), BrowserCallbacks::service, this);
    if (!m_browser) {
        qCInfo(lcFinder) << "no mDNS browsing:" << avahiErrorText(avahi_client_errno(m_client));
        drop();
        return false;
    }
    m_refresh.start();
    return true;
}

void Browser::stop()
{
    drop();
}

void Browser::drop()
{
    m_refresh.stop();
    // Freeing the client frees its browser and resolvers.
    if (m_client)
        avahi_client_free(m_client);
    m_client = nullptr;
    m_browser = nullptr;
    m_services.clear();
    m_poll.reset();
}

void Browser::clientState(AvahiClient *client, int state)
{
    if (state != AVAHI_CLIENT_FAILURE)
        return;
    failed(avahiErrorText(avahi_client_errno(client)));
}

void Browser::failed(const QString &why)
{
    qCInfo(lcFinder) << "mDNS browsing ended:" << why;
    // Not from inside the library's own callback.
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            drop();
            emit unavailable(why);
        },
        Qt::QueuedConnection);
}

void Browser::serviceEvent(int interface, int event, const char *name, const char *type, const char *domain)
{
    const auto same = [&](const Service &s) {
        return s.interface == interface && s.name == name && s.type == type && s.domain == domain;
    };
    switch (event) {
    case AVAHI_BROWSER_NEW: {
        if (std::any_of(m_services.cbegin(), m_services.cend(), same))
            return;
        if (m_services.size() >= kMaxServices) {
            qCDebug(lcFinder) << "too many services; ignoring" << QString::fromUtf8(name);
            return;
        }
        m_services.append(Service{interface, name, type, domain, nullptr, std::nullopt});
        resolve(m_services.back());
        break;
    }
    case AVAHI_BROWSER_REMOVE: {
        const auto it = std::find_if(m_services.begin(), m_services.end(), same);
        if (it == m_services.end())
            return;
        if (it->resolver)
            avahi_service_resolver_free(it->resolver);
        const std::optional<TableInfo> gone = it->table;
        m_services.erase(it);
        // A renamed table comes as a new service before the old one goes:
        // the table is lost only when no service carries it any more.
        const auto carries = [&](const Service &s) { return s.table && s.table->sameTable(*gone)
                                                            && s.table->address.isEqual(gone->address); };
        if (gone && std::none_of(m_services.cbegin(), m_services.cend(), carries)) {
            const TableInfo table = *gone;
            QMetaObject::invokeMethod(this, [this, table] { emit lost(table); }, Qt::QueuedConnection);
        }
        break;
    }
    case AVAHI_BROWSER_FAILURE:
        failed(avahiErrorText(avahi_client_errno(m_client)));
        break;
    default:
        break;
    }
}

void Browser::resolve(Service &service)
{
    service.resolver = avahi_service_resolver_new(m_client, service.interface, AVAHI_PROTO_INET,
                                                  service.name.constData(), service.type.constData(),
                                                  service.domain.constData(), AVAHI_PROTO_INET,
                                                  AvahiLookupFlags(0), BrowserCallbacks::resolved, this);
}

void Browser::resolved(AvahiServiceResolver *resolver, bool ok, const TableInfo *table)
{
    const auto it = std::find_if(m_services.begin(), m_services.end(),
                                 [resolver](const Service &s) { return s.resolver == resolver; });
    if (it == m_services.end())
        return;
    if (!ok) {
        // Tried again at the next refresh.
        avahi_service_resolver_free(resolver);
        it->resolver = nullptr;
        return;
    }
    if (!table || (it->table && *it->table == *table))
        return;
    it->table = *table;
    const TableInfo copy = *table;
    QMetaObject::invokeMethod(this, [this, copy] { emit found(copy); }, Qt::QueuedConnection);
}

void Browser::refresh()
{
    QList<TableInfo> announced;
    for (Service &service : m_services) {
        if (service.table)
            announced.append(*service.table);
        else if (!service.resolver && m_client)
            resolve(service);
    }
    // A receiver may stop the browser: nothing of it is touched meanwhile.
    for (const TableInfo &table : std::as_const(announced))
        emit found(table);
}
