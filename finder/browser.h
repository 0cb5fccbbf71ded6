#pragma once

#include "finder/tableinfo.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

struct AvahiClient;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;
class AvahiQtPoll;

// Browses the local network's DNS-SD tables (_pinlex._tcp over IPv4) through
// the machine's mDNS daemon and resolves each to a TableInfo. A resolver
// stays open per service, so that a changed announcement is reported as it
// comes. Everything is reported through queued signals, never from inside
// the library.
class Browser : public QObject
{
    Q_OBJECT

public:
    // Services followed at once; more are ignored until some go.
    static constexpr int kMaxServices = 64;
    // found() is repeated this often while a service is announced, so that a
    // list that ages its rows keeps it.
    static constexpr int kRefreshMs = 2000;

    explicit Browser(QObject *parent = nullptr);
    ~Browser() override;

    // False, with the reason logged, when no daemon answers: then only the
    // UDP fallback can find tables.
    bool start();
    void stop();
    bool isRunning() const { return m_browser != nullptr; }

signals:
    // New or changed, and again every kRefreshMs while announced.
    void found(const TableInfo &table);
    // Withdrawn by its host (or its daemon).
    void lost(const TableInfo &table);
    // The daemon went away while browsing.
    void unavailable(const QString &why);

private:
    friend struct BrowserCallbacks;
    struct Service
    {
        int interface = 0;
        QByteArray name, type, domain;
        AvahiServiceResolver *resolver = nullptr;
        std::optional<TableInfo> table;
    };
    void clientState(AvahiClient *client, int state);
    void serviceEvent(int interface, int event, const char *name, const char *type, const char *domain);
    void resolved(AvahiServiceResolver *resolver, bool ok, const TableInfo *table);
    void resolve(Service &service);
    void refresh();
    void failed(const QString &why);
    void drop();

    std::unique_ptr<AvahiQtPoll> m_poll;
    AvahiClient *m_client = nullptr;
    AvahiServiceBrowser *m_browser = nullptr;
    QList<Service> m_services;
    QTimer m_refresh;
};
