// The lobby download against a small HTTP server on 127.0.0.1, and the
// dialog that shows it.
#include "dialogs/downloadform.h"
#include "dialogs/lobbydownload.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Answers every request with the response it holds, then closes; a cut
// response is sent short of its announced length and the connection
// dropped; a silent server reads the request and never answers.
class HttpServer : public QTcpServer
{
public:
    enum class Ending { Close, Cut, Silent };

    QByteArray response;
    Ending ending = Ending::Close;

    HttpServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n") || ending == Ending::Silent)
                        return;
                    socket->write(response);
                    if (ending == Ending::Cut) {
                        socket->flush();
                        socket->abort();
                    } else {
                        socket->disconnectFromHost();
                    }
                });
            }
        });
    }

    QUrl url(const QString &file) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/lobby/%2").arg(serverPort()).arg(file));
    }

    bool asked() const { return !m_request.isEmpty(); }

private:
    QByteArray m_request;
};

QByteArray httpResponse(int status, const QByteArray &body, qint64 announced)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " Whatever\r\n"
                      "Content-Type: application/octet-stream\r\n";
    if (announced >= 0)
        head += "Content-Length: " + QByteArray::number(announced) + "\r\n";
    return head + "Connection: close\r\n\r\n" + body;
}

int headerLines(const QByteArray &response)
{
    return int(response.left(response.indexOf("\r\n\r\n")).count("\r\n"));
}

// An "installer" that only leaves its arguments beside itself.
QByteArray markerScript()
{
    return "#!/bin/sh\nprintf '%s ' \"$@\" > \"$0.ran\"\n" + QByteArray(64 * 1024, '#') + '\n';
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file of the player's that happens to have the installer's name.
constexpr char kPrecious[] = "[Pinlex]\nTop=10\n";

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

struct Watch
{
    explicit Watch(LobbyDownload *lobby)
        : exits(lobby, &LobbyDownload::exitRequested), notices(lobby, &LobbyDownload::notice),
          failures(lobby, &LobbyDownload::failed)
    {
        QObject::connect(lobby, &LobbyDownload::changed, lobby, [this, lobby] {
            if (labels1.isEmpty() || labels1.last() != lobby->progress1())
                labels1.append(lobby->progress1());
            if (labels2.isEmpty() || labels2.last() != lobby->progress2())
                labels2.append(lobby->progress2());
        });
    }
    QSignalSpy exits, notices, failures;
    QStringList labels1, labels2;
};

} // namespace

class TestLobbyDownload : public QObject
{
    Q_OBJECT

private slots:
    void addressRule_data();
    void addressRule();
    void completeDownloadStartsTheInstaller_data();
    void completeDownloadStartsTheInstaller();
    void failedDownloadStartsNothing_data();
    void failedDownloadStartsNothing();
    void folderOthersMayWriteInIsRefused_data();
    void folderOthersMayWriteInIsRefused();
    void stopOrClosingEndsTheFetch_data();
    void stopOrClosingEndsTheFetch();
    void playWithOthersStartsTheLobbyOrSaysHow_data();
    void playWithOthersStartsTheLobbyOrSaysHow();
};

// An installer fetched over plain http from anywhere but this machine could
// have been replaced on the way: such an address is never even fetched.
void TestLobbyDownload::addressRule_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("https") << "https://lobby.example/setup.run" << true;
    QTest::newRow("http, IPv4 loopback") << "http://127.1.2.3:8080/setup.run" << true;
    QTest::newRow("http, IPv6 loopback") << "http://[::1]/setup.run" << true;
    QTest::newRow("http, localhost") << "http://LocalHost/setup.run" << true;
    QTest::newRow("http elsewhere") << "http://192.0.2.1/setup.run" << false;
    QTest::newRow("http, name starting like loopback") << "http://127.0.0.1.lobby.example/setup.run" << false;
    QTest::newRow("ftp on loopback") << "ftp://127.0.0.1/setup.run" << false;
    QTest::newRow("local file") << "file:///tmp/setup.run" << false;
}

void TestLobbyDownload::addressRule()
{
    QFETCH(QString, address);
    QFETCH(bool, allowed);
    QCOMPARE(LobbyDownload::isAllowedAddress(QUrl(address)), allowed);
    if (allowed)
        return;
    QTemporaryDir folder;
    LobbyDownload lobby;
    lobby.setFolder(folder.path());
    lobby.setAddress(QUrl(address));
    Watch watch(&lobby);
    lobby.start();
    QCOMPARE(lobby.progress1(), QStringLiteral("Download Aborted"));
    QCOMPARE(watch.failures.size(), 1);
    QVERIFY(lobby.canStart());
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TestLobbyDownload::completeDownloadStartsTheInstaller_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("runnable");
    QTest::addColumn<bool>("overLink");   // the name is a link to a file elsewhere
    QTest::newRow("a script") << markerScript() << true << false;
    QTest::newRow("not a program") << QByteArray(4096, 'x') << false << false;
    QTest::newRow("a script where a link was") << markerScript() << true << true;
}

void TestLobbyDownload::completeDownloadStartsTheInstaller()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, runnable);
    QFETCH(bool, overLink);
    HttpServer server;
    server.response = httpResponse(200, body, body.size());
    QTemporaryDir folder;
    LobbyDownload lobby;
    lobby.setFolder(folder.path());
    lobby.setAddress(server.url(QStringLiteral("setup.run")));
    Watch watch(&lobby);
    // A link at the name is replaced itself: the file it names is never
    // written, made executable or run.
    QTemporaryDir elsewhere;
    const QString linked = elsewhere.filePath(QStringLiteral("bashrc"));
    if (overLink) {
        writeFile(linked, kPrecious);
        QVERIFY(QFile::link(linked, lobby.filePath()));
    }

    lobby.start();
    QVERIFY(!lobby.canStart());
    QVERIFY(lobby.canStop());
    QTRY_VERIFY(lobby.canStart());

    const QString name = lobby.address().fileName();
    const QString received = QStringLiteral("Received %1 bytes").arg(body.size());
    QVERIFY2(watch.labels1.size() >= 4, qPrintable(watch.labels1.join(QLatin1Char('|'))));
    QCOMPARE(watch.labels1.first(), QStringLiteral("Loading"));
    QCOMPARE(watch.labels1.at(1), QStringLiteral("Loading") + QString(headerLines(server.response), QLatin1Char('.')));
    qint64 before = 0;
    for (const QString &count : watch.labels1.mid(2, watch.labels1.size() - 3)) {
        QVERIFY2(count.endsWith(QStringLiteral(" bytes")), qPrintable(count));
        const qint64 bytes = count.chopped(6).toLongLong();
        QVERIFY(bytes > before);
        before = bytes;
    }
    QCOMPARE(before, qint64(body.size()));
    QCOMPARE(watch.labels1.last(), received);
    QCOMPARE(watch.labels2, QStringList({QString(), QStringLiteral("Downloading: ") + name, QStringLiteral("Installing")}));
    QCOMPARE(contents(lobby.filePath()), body);
    QVERIFY(!QFileInfo(lobby.filePath()).isSymLink());
    if (overLink) {
        QCOMPARE(contents(linked), QByteArray(kPrecious));
        QVERIFY(!QFileInfo(linked).isExecutable());
    }

    if (runnable) {
        QCOMPARE(watch.exits.size(), 1);
        QVERIFY(watch.notices.isEmpty());
        QFile marker(lobby.filePath() + QStringLiteral(".ran"));
        QTRY_VERIFY(marker.size() > 0);
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(marker.readAll(), QByteArray("/SP- /silent /noicons "));
    } else {
        QCOMPARE(watch.exits.size(), 0);
        QCOMPARE(watch.notices.size(), 1);
        QCOMPARE(watch.notices.first().first().toString(), QStringLiteral("An Error has Occurred."));
    }
    QStringList left = {name};
    if (runnable)
        left.append(name + QStringLiteral(".ran"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), left);
}

// A partial or refused installer must never run, never stay behind, and
// never take away a file of the same name that was there before.
void TestLobbyDownload::failedDownloadStartsNothing_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<int>("ending");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("reported");   // on the general error display
    const QByteArray script = markerScript();
    const auto close = int(HttpServer::Ending::Close);
    const qint64 none = LobbyDownload::kDefaultSizeLimit;
    QTest::newRow("HTTP 404") << httpResponse(404, script, script.size()) << close << none << false;
    QTest::newRow("connection cut mid-body")
        << httpResponse(200, script, 4 * script.size()) << int(HttpServer::Ending::Cut) << none << true;
    QTest::newRow("larger than the limit")
        << httpResponse(200, script, -1) << close << qint64(script.size() - 1) << true;
    // Without a length, a connection closed half-way looks like a whole body.
    QTest::newRow("no length, half a body")
        << httpResponse(200, script.left(script.size() / 2), -1) << close << none << true;
}

void TestLobbyDownload::failedDownloadStartsNothing()
{
    QFETCH(QByteArray, response);
    QFETCH(int, ending);
    QFETCH(qint64, limit);
    QFETCH(bool, reported);
    HttpServer server;
    server.response = response;
    server.ending = HttpServer::Ending(ending);
    QTemporaryDir folder;
    LobbyDownload lobby;
    lobby.setFolder(folder.path());
    lobby.setSizeLimit(limit);
    lobby.setAddress(server.url(QStringLiteral("orviklobby.ini")));
    writeFile(lobby.filePath(), kPrecious);
    Watch watch(&lobby);

    lobby.start();
    QTRY_VERIFY(lobby.canStart());
    QCOMPARE(lobby.progress1(), QStringLiteral("Download Aborted"));
    QCOMPARE(watch.failures.size(), reported ? 1 : 0);
    QCOMPARE(watch.exits.size(), 0);
    QVERIFY(!watch.labels2.contains(QStringLiteral("Installing")));
    QCOMPARE(contents(lobby.filePath()), QByteArray(kPrecious));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList(lobby.address().fileName()));
}

// Another user who may write in the folder could put their own program in
// the installer's place before it starts.
void TestLobbyDownload::folderOthersMayWriteInIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("writable by all") << "0777";
    QTest::newRow("writable by the group") << "0770";
    QTest::newRow("another user's") << "another user's";
}

void TestLobbyDownload::folderOthersMayWriteInIsRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir temp;
    const QString folder = temp.filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkdir(folder));
    const QByteArray name = QFile::encodeName(folder);
    if (kind == QLatin1String("another user's")) {
        if (getuid() != 0)
            QSKIP("only root can give a folder to another user");
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    } else {
        QCOMPARE(::chmod(name.constData(), mode_t(kind.toUInt(nullptr, 8))), 0);
    }
    HttpServer server;
    server.response = httpResponse(200, markerScript(), markerScript().size());
    LobbyDownload lobby;
    lobby.setFolder(folder);
    lobby.setAddress(server.url(QStringLiteral("setup.run")));
    Watch watch(&lobby);

    lobby.start();
    QCOMPARE(lobby.progress1(), QStringLiteral("Download Aborted"));
    QCOMPARE(watch.failures.size(), 1);
    QVERIFY(lobby.canStart());
    QTest::qWait(50);
    QVERIFY(!server.asked());
    QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
}

void TestLobbyDownload::stopOrClosingEndsTheFetch_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Stop Download") << "stop";
    QTest::newRow("Play Solo Game") << "solo";
    QTest::newRow("Escape") << "escape";
}

// Drives the dialog: its buttons and labels follow the fetch, and the
// event loop runs on while the server keeps silent. Leaving the dialog for
// the solo game ends the fetch too: an installer arriving later would end
// that game. Until the end the file of the same name stays as it was.
void TestLobbyDownload::stopOrClosingEndsTheFetch()
{
    QFETCH(QString, how);
    HttpServer server;
    server.ending = HttpServer::Ending::Silent;
    QTemporaryDir folder;
    Tdownload dialog;
    LobbyDownload *lobby = dialog.lobby();
    lobby->setFolder(folder.path());
    lobby->setAddress(server.url(QStringLiteral("silent.run")));
    writeFile(lobby->filePath(), kPrecious);
    Watch watch(lobby);
    // It opens over the game's window, which has the keys until then.
    QWidget board;
    board.show();
    QApplication::setActiveWindow(&board);
    QVERIFY(QTest::qWaitForWindowActive(&board));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QDir::Filters all = QDir::Files | QDir::Hidden | QDir::System;

    QTest::mouseClick(dialog.getbutton, Qt::LeftButton);
    QCOMPARE(dialog.label_progress1->text(), QStringLiteral("Loading"));
    QVERIFY(!dialog.getbutton->isEnabled());
    QVERIFY(dialog.abortbutton->isEnabled());
    QCOMPARE(contents(lobby->filePath()), QByteArray(kPrecious));

    int ticks = 0;
    QTimer game;
    connect(&game, &QTimer::timeout, [&ticks] { ++ticks; });
    game.start(5);
    QTRY_VERIFY(ticks >= 10);
    QVERIFY(dialog.abortbutton->isEnabled());

    if (how == QLatin1String("stop")) {
        QTest::mouseClick(dialog.abortbutton, Qt::LeftButton);
        QCOMPARE(dialog.label_progress1->text(), QStringLiteral("Download has been aborted."));
        QCOMPARE(dialog.label_progress2->text(), QStringLiteral("Download Aborted"));
        QVERIFY(dialog.getbutton->isEnabled());
        QVERIFY(!dialog.abortbutton->isEnabled());
    } else {
        if (how == QLatin1String("solo"))
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        else {
            // Esc goes where the keys go: the dialog took them when it opened.
            QTRY_COMPARE(QApplication::focusWidget(), dialog.Button1);
            QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Escape);
        }
        QVERIFY(!dialog.isVisible());
    }
    QVERIFY(!lobby->canStop());
    QCOMPARE(QDir(folder.path()).entryList(all), QStringList(lobby->address().fileName()));
    QCOMPARE(contents(lobby->filePath()), QByteArray(kPrecious));
    QTest::qWait(50);
    QCOMPARE(watch.exits.size(), 0);
    QCOMPARE(watch.failures.size(), 0);
}

void TestLobbyDownload::playWithOthersStartsTheLobbyOrSaysHow_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("installed") << true;
    QTest::newRow("missing") << false;
}

void TestLobbyDownload::playWithOthersStartsTheLobbyOrSaysHow()
{
    QFETCH(bool, installed);
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });
    const QString program = LobbyDownload::lobbyProgramPath();
    QVERIFY(program.startsWith(home.path()));
    if (installed) {
        QVERIFY(QDir().mkpath(QFileInfo(program).path()));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch \"$0.ran\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    LobbyDownload lobby;
    Watch watch(&lobby);
    lobby.playWithOthers();
    QCOMPARE(watch.exits.size(), installed ? 1 : 0);
    QCOMPARE(watch.notices.size(), installed ? 0 : 1);
    if (installed)
        QTRY_VERIFY(QFile::exists(program + QStringLiteral(".ran")));
    else
        QVERIFY(watch.notices.first().first().toString().startsWith(QStringLiteral("Please close the game")));
}

QTEST_MAIN(TestLobbyDownload)
#include "test_lobbydownload.moc"
