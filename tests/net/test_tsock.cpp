// The socket component over real loopback connections.
#include "base/errordisplay.h"
#include "net/tsock.h"

#include <QTcpServer>
#include <QTimer>
#include <QtTest>

namespace {

struct InfoLog
{
    QList<QPair<SocketInfo, QString>> entries;
    auto handler()
    {
        return [this](TSock *, SocketInfo kind, const QString &text) { entries.append({kind, text}); };
    }
    bool has(const QString &text) const
    {
        return std::any_of(entries.begin(), entries.end(), [&](const auto &e) { return e.second == text; });
    }
};

template <typename F>
QString errorOf(F &&operation)
{
    try {
        operation();
    } catch (const ESockException &error) {
        return error.message();
    }
    return {};
}

// A listener on a free port with one accepted connection and its client.
struct Pair
{
    TSock listener;
    TSock client;
    TSock *server = nullptr;
    InfoLog listenerInfo, clientInfo;
    QByteArray serverReceived, clientReceived;
    int serverDisconnects = 0;

    bool connect()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.OnInfo = listenerInfo.handler();
        listener.OnRead = [this](TSock *s, qsizetype) { serverReceived += s->receive(-1); };
        listener.OnDisconnect = [this](TSock *) { ++serverDisconnects; };
        listener.OnAccept = [this](TSock *l) { server = l->accept(&listener); };
        listener.setListen(true);
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(listener.localPort()));
        client.OnInfo = clientInfo.handler();
        client.OnRead = [this](TSock *s, qsizetype) { clientReceived += s->receive(-1); };
        client.open();
        return QTest::qWaitFor([this] { return server && client.isConnected(); }, 5000);
    }
};

} // namespace

class TestTSock : public QObject
{
    Q_OBJECT

private slots:
    void listenerRefusesWhatOnlyConnectionsDo();
    void acceptedSocketTakesOverTheListenersHandlers();
    void dataArrivesWholeAndInOrderBothWays();
    void closingReportsSocketClosedBeforeItReturns();
    void peerCloseCallsDisconnectThenCloses();
    void lastMessageBeforeCloseStillArrives();
    void closedSocketRefusesSendAndReceive();
    void lookupErrors();
    void portInUseCannotBeBound();
    void refusedConnectIsReportedAsAnError();
    void hostNameLookupNeverBlocks_data();
    void hostNameLookupNeverBlocks();
    void peerThatStopsReadingIsAbortedAndItsDataDropped();
    void closedSocketsKeepAtMostTheLingeringBudget();
};

void TestTSock::listenerRefusesWhatOnlyConnectionsDo()
{
    TSock listener;
    InfoLog log;
    listener.OnInfo = log.handler();
    listener.setPortName(QStringLiteral("0"));
    listener.setListen(true);
    QVERIFY(listener.isListening());
    QVERIFY(log.has(QStringLiteral("Listening Started")));
    listener.setListen(true);
    QVERIFY(log.has(QStringLiteral("Listening Already Running")));
    QCOMPARE(errorOf([&] { listener.send("x"); }), QStringLiteral("Send - Cannot Send On A Listener Socket"));
    QCOMPARE(errorOf([&] { listener.receive(-1); }), QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    QCOMPARE(listener.accept(), nullptr);
    QVERIFY(log.has(QStringLiteral("Could Not Accept Connection")));
    listener.setListen(false);
    QVERIFY(log.has(QStringLiteral("Listening Stopped")));
    QVERIFY(!listener.isListening());

    TSock plain;
    QCOMPARE(errorOf([&] { plain.accept(); }), QStringLiteral("Accept - Socket Not In Listening Mode"));
}

void TestTSock::acceptedSocketTakesOverTheListenersHandlers()
{
    Pair pair;
    QVERIFY(pair.connect());
    QVERIFY(pair.listenerInfo.has(QStringLiteral("Created New TSock Structure")));
    QVERIFY(pair.clientInfo.has(QStringLiteral("Non-Blocking Socket Connected")));
    QVERIFY(pair.server->isConnected());
    QCOMPARE(pair.server->hostName(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pair.server->portName(), pair.listener.portName());
    QVERIFY(pair.server->serial() != pair.client.serial());
    // Its read handler is the listener's.
    pair.client.send("ping");
    QTRY_COMPARE(pair.serverReceived, QByteArray("ping"));

    // A connected socket cannot become a listener; its names only report.
    QCOMPARE(errorOf([&] { pair.client.setListen(true); }), QStringLiteral("Listen - Socket Already In Use"));
    pair.client.setHostName(QStringLiteral("10.0.0.1"));
    QVERIFY(pair.clientInfo.has(QStringLiteral("Setting HostName While Connected Has No Effect")));
}

void TestTSock::dataArrivesWholeAndInOrderBothWays()
{
    Pair pair;
    QVERIFY(pair.connect());
    // Far more than one receive area and than the platform takes at once.
    QByteArray big(3 * 1000 * 1000 / 4, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 % 251);
    pair.server->send(big);
    pair.server->send("tail");
    QTRY_COMPARE_WITH_TIMEOUT(pair.clientReceived.size(), big.size() + 4, 10000);
    QVERIFY(pair.clientReceived == big + "tail");
    QVERIFY(pair.clientInfo.has(QStringLiteral("Non-Blocking Incoming Data")));
}

void TestTSock::closingReportsSocketClosedBeforeItReturns()
{
    Pair pair;
    QVERIFY(pair.connect());
    pair.clientInfo.entries.clear();
    pair.client.close();
    QCOMPARE(pair.clientInfo.entries.size(), 1);
    QCOMPARE(pair.clientInfo.entries[0].first, SocketInfo::Close);
    QCOMPARE(pair.clientInfo.entries[0].second, QStringLiteral("Socket Closed"));
    QVERIFY(!pair.client.isConnected());
    // Closing what is closed reports nothing more.
    pair.client.close();
    QCOMPARE(pair.clientInfo.entries.size(), 1);
}

void TestTSock::peerCloseCallsDisconnectThenCloses()
{
    Pair pair;
    QVERIFY(pair.connect());
    QList<QString> order;
    pair.server->OnDisconnect = [&](TSock *) { order << QStringLiteral("disconnect"); };
    pair.server->OnInfo = [&](TSock *, SocketInfo, const QString &text) { order << text; };
    pair.client.close();
    QTRY_VERIFY(!pair.server->isConnected());
    QCOMPARE(order, (QList<QString>{QStringLiteral("disconnect"), QStringLiteral("Socket Closed")}));
}

void TestTSock::lastMessageBeforeCloseStillArrives()
{
    // The host sends "game is full" and closes at once: the peer must get it.
    Pair pair;
    QVERIFY(pair.connect());
    QByteArray last = QByteArray("CMD_full+") + char(0xFF);
    pair.server->send(last);
    pair.server->close();
    QTRY_COMPARE(pair.clientReceived, last);
    QTRY_VERIFY(!pair.client.isConnected());
}

void TestTSock::closedSocketRefusesSendAndReceive()
{
    TSock never;
    QCOMPARE(errorOf([&] { never.send("x"); }), QStringLiteral("Send - Socket Not Connected"));
    QCOMPARE(errorOf([&] { never.receive(-1); }), QStringLiteral("Receive - Socket Not Connected"));

    // Bytes that arrived before the close can still be taken once.
    Pair pair;
    QVERIFY(pair.connect());
    pair.client.OnRead = {};
    pair.server->send("left over");
    QTRY_VERIFY(pair.client.receive(0).isEmpty() && pair.clientInfo.has(QStringLiteral("Non-Blocking Incoming Data")));
    pair.client.close();
    QCOMPARE(pair.client.receive(-1), QByteArray("left over"));
    QCOMPARE(errorOf([&] { pair.client.receive(-1); }), QStringLiteral("Receive - Socket Not Connected"));
}

void TestTSock::lookupErrors()
{
    QCOMPARE(errorOf([] { TSock::resolvePort(QStringLiteral("no-such-service-here")); }),
             QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    QCOMPARE(errorOf([] { TSock::resolvePort(QStringLiteral("70000")); }),
             QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    QCOMPARE(TSock::resolvePort(QStringLiteral("7772")), quint16(7772));
    QCOMPARE(errorOf([] { TSock::resolveHost(QStringLiteral("999.1.2.3")); }),
             QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    QCOMPARE(errorOf([] { TSock::resolveHost(QString()); }), QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    QCOMPARE(TSock::resolveHost(QStringLiteral("127.0.0.1")), QHostAddress(QHostAddress::LocalHost));
    // Names are looked up once and remembered.
    TSock::clearHostCache();
    QVERIFY(!TSock::resolveHost(QStringLiteral("localhost")).isNull());
    QCOMPARE(TSock::resolveHost(QStringLiteral("LOCALHOST")), TSock::resolveHost(QStringLiteral("localhost")));

    TSock sock;
    sock.setPortName(QStringLiteral("no-such-service-here"));
    QCOMPARE(errorOf([&] { sock.open(); }), QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    QVERIFY(!sock.isOpen());
}

void TestTSock::portInUseCannotBeBound()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::Any, 0));
    TSock listener;
    listener.setPortName(QString::number(other.serverPort()));
    QCOMPARE(errorOf([&] { listener.setListen(true); }), QStringLiteral("Listen - Error Binding Socket"));
    QVERIFY(!listener.isListening());
}

void TestTSock::refusedConnectIsReportedAsAnError()
{
    quint16 freePort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        freePort = probe.serverPort();
    }
    TSock client;
    InfoLog log;
    client.OnInfo = log.handler();
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(freePort));
    client.open();
    QTRY_VERIFY(log.has(QStringLiteral("Error #10061 (WSAECONNREFUSED)")));
    QVERIFY(!client.isConnected());
    QCOMPARE(errorOf([&] { client.send("x"); }), QStringLiteral("Send - Socket Not Connected"));
}

void TestTSock::hostNameLookupNeverBlocks_data()
{
    QTest::addColumn<bool>("known");
    QTest::newRow("name found late") << true;
    QTest::newRow("unknown name") << false;
}

void TestTSock::hostNameLookupNeverBlocks()
{
    QFETCH(bool, known);
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    listener.OnAccept = [](TSock *l) { l->accept(l); };
    listener.setListen(true);

    // A lookup that answers only after the event loop has run a while; a
    // blocking open() would never see the timer tick.
    int lookups = 0;
    int ticks = 0;
    bool answered = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    const TSock::HostLookup previous = TSock::setHostLookup(
        [&](const QString &, QObject *context, std::function<void(QList<QHostAddress>)> done) {
            ++lookups;
            QTimer::singleShot(100, context, [&, known, done] {
                answered = true;
                done(known ? QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)} : QList<QHostAddress>());
            });
        });
    TSock::clearHostCache();

    TSock client;
    InfoLog log;
    QStringList failures;
    client.OnInfo = log.handler();
    client.OnConnectFailed = [&](TSock *, const QString &reason) { failures << reason; };
    client.setHostName(QStringLiteral("slow-name.test"));
    client.setPortName(QString::number(listener.localPort()));
    client.open();
    QVERIFY(!answered);
    if (known) {
        QTRY_VERIFY(client.isConnected());
        QVERIFY(failures.isEmpty());
        // Remembered: a second connection to that name asks nobody.
        TSock again;
        again.setHostName(QStringLiteral("SLOW-NAME.test"));
        again.setPortName(client.portName());
        again.open();
        QTRY_VERIFY(again.isConnected());
    } else {
        QStringList shown;
        const ErrorSink sink = setErrorSink([&](const QString &message) { shown << message; });
        QTRY_COMPARE(failures.size(), 1);
        setErrorSink(sink);
        QVERIFY(!failures[0].isEmpty());
        QCOMPARE(shown, QStringList{QStringLiteral("Host Lookup - Could Not Find Host Entry")});
        QVERIFY(!client.isConnected());
    }
    QVERIFY(answered);
    QVERIFY(ticks > 5);
    QCOMPARE(lookups, 1);
    TSock::setHostLookup(previous);
    TSock::clearHostCache();
}

void TestTSock::peerThatStopsReadingIsAbortedAndItsDataDropped()
{
    QTRY_COMPARE(TSock::lingeringBytes(), 0);
    Pair pair;
    QVERIFY(pair.connect());
    pair.client.setReadPaused(true);
    QList<SocketInfo> serverInfo;
    pair.server->OnInfo = [&](TSock *, SocketInfo kind, const QString &) { serverInfo << kind; };

    // The platform takes what it can; then the socket's own queue grows.
    const QByteArray chunk(64 * 1024, 'x');
    qint64 sent = 0;
    qint64 mostQueued = 0;
    while (pair.server->isConnected() && sent < 64 * 1024 * 1024) {
        pair.server->send(chunk);
        sent += chunk.size();
        mostQueued = std::max(mostQueued, pair.server->bytesToWrite());
        QCoreApplication::processEvents();
    }
    QVERIFY2(!pair.server->isConnected(), "a peer that reads nothing was sent 64 MiB");
    QVERIFY(serverInfo.contains(SocketInfo::Close));
    QVERIFY(mostQueued <= TSock::kMaxOutgoing);
    // Aborted, not closed: nothing of it waits to go out.
    QCOMPARE(TSock::lingeringBytes(), 0);
}

void TestTSock::closedSocketsKeepAtMostTheLingeringBudget()
{
    // Closes of peers that read nothing, each with most of a megabyte unsent:
    // the first keep their last words, the rest drop theirs.
    QTRY_COMPARE(TSock::lingeringBytes(), 0);
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    QList<TSock *> accepted;
    listener.OnAccept = [&](TSock *l) { accepted << l->accept(&listener); };
    listener.setListen(true);
    std::vector<std::unique_ptr<TSock>> peers;
    for (int i = 0; i < 8; ++i) {
        peers.push_back(std::make_unique<TSock>());
        peers.back()->setHostName(QStringLiteral("127.0.0.1"));
        peers.back()->setPortName(QString::number(listener.localPort()));
        peers.back()->setReadPaused(true);
        peers.back()->open();
    }
    QTRY_COMPARE(accepted.size(), 8);
    const QByteArray lastWords(TSock::kMaxOutgoing * 3 / 4, 'x');
    qint64 most = 0;
    for (TSock *sock : accepted) {
        sock->send(lastWords);
        sock->close();
        most = std::max(most, TSock::lingeringBytes());
        QVERIFY(TSock::lingeringBytes() <= TSock::kMaxLingering);
    }
    QVERIFY(most >= lastWords.size());
    peers.clear();
    QTRY_COMPARE(TSock::lingeringBytes(), 0);
}

QTEST_GUILESS_MAIN(TestTSock)
#include "test_tsock.moc"
