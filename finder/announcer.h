#pragma once

#include "finder/fallbackresponder.h"
#include "finder/tableinfo.h"

#include <QObject>

#include <memory>

struct AvahiClient;
struct AvahiEntryGroup;
class AvahiQtPoll;

// Announces one table on the local network: as a DNS-SD service through the
// machine's mDNS daemon (Avahi), and through the UDP fallback responder when
// no daemon answers, or always with Mode::MdnsAndUdp. The host calls
// publish() with the table's current state whenever it changes; the same
// state twice costs nothing. withdraw(), or destroying the announcer, takes
// the table off the network.
class Announcer : public QObject
{
    Q_OBJECT

public:
    enum class Mode { MdnsElseUdp, MdnsAndUdp };

    explicit Announcer(QObject *parent = nullptr);
    ~Announcer() override;

    void setMode(Mode mode) { m_mode = mode; }
    // The fallback's UDP port; tests use another.
    void setFallbackPort(quint16 port) { m_fallbackPort = port; }

    // Starts announcing, or updates what is announced. The name is cleaned
    // as a finder would; a table id of 0 gets a random one that stays for
    // the announcer's life. Address and source are not announced.
    void publish(const TableInfo &table);
    void withdraw();

    bool isPublished() const { return m_published; }
    const TableInfo &table() const { return m_table; }
    // The daemon has the service (being probed, or established).
    bool announcesOnMdns() const { return m_mdnsLive; }
    bool answersOnUdp() const { return m_responder.isRunning(); }
    // The mDNS name: the table's name, or an alternative such as
    // "NAME #2" after another service on the network took it.
    QString mdnsName() const { return m_mdnsName; }

signals:
    // Announced one way or the other, or the mDNS name changed.
    void announced();

private:
    friend struct AnnouncerCallbacks;
    void clientState(AvahiClient *client, int state);
    void groupState(AvahiEntryGroup *group, int state);
    void startMdns();
    void registerService();
    void updateTxt();
    void mdnsFailed(const QString &why);
    void dropMdns();
    void startUdp();
    void notify();

    Mode m_mode = Mode::MdnsElseUdp;
    quint16 m_fallbackPort = kFallbackUdpPort;
    TableInfo m_table;
    bool m_published = false;
    std::unique_ptr<AvahiQtPoll> m_poll;
    AvahiClient *m_client = nullptr;
    AvahiEntryGroup *m_group = nullptr;
    bool m_mdnsBroken = false;
    bool m_notifyPending = false;
    bool m_mdnsLive = false;
    QString m_mdnsName;
    FallbackResponder m_responder;
};
