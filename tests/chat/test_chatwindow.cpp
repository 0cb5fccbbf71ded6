// The chat in the main window: sending over the client socket, the chat
// edit, the phrase buttons and their lock, the phrase editor, the smilies,
// received lines and links.
#include "app/chatform.h"
#include "ui/controls.h"
#include "base/errordisplay.h"
#include "app/forms.h"
#include "client/gameclient.h"
#include "net/connection.h"
#include "chat/chatedit.h"
#include "chat/chatview.h"
#include "chat/phrasesform.h"
#include "net/framing.h"
#include "net/tsock.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kEnd(1, char(0xFF));

// The host's end of the client socket: what the window sends arrives here.
struct Host
{
    QTcpServer server;
    QTcpSocket *peer = nullptr;

    bool connect(Tchat &chat)
    {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        chat.client->sock->open(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections() && chat.client->sock->isConnected(); }))
            return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }

    // Everything sent since the last call, once nothing more is on its way.
    QByteArray received()
    {
        QTest::qWait(50);   // lets a message that should not come show that it did
        return peer->readAll();
    }
};

// Opens links in tests instead of the desktop's browser.
class LinkRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestChatWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void senditSendsTheChatEditsText_data();
    void senditSendsTheChatEditsText();
    void chatWaitsForTheLogin();
    void placeholderGoesAtTheFirstKey();
    void pasteAndSmiliesGoToTheEnd();
    void phraseLockLetsOnePhraseThroughUntilReleased();
    void phraseEditorStoresThePhrases();
    void receivedLinesAreShownInTheirColour();
    void badLineNumberIsShownAsAnError();
    void linkOpensItsOwnWebPage();
    void scrollChatOffItemsStayInStep();
    void clearMainChatEmptiesTheView();

private:
    QTemporaryDir m_dir;
    QStringList m_errors;
    LinkRecorder m_links;
};

void TestChatWindow::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
    setErrorSink([this](const QString &message) { m_errors << message; });
    for (const char *scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &m_links, "open");
}

void TestChatWindow::init()
{
    m_errors.clear();
    m_links.opened.clear();
}

void TestChatWindow::cleanupTestCase()
{
    for (const char *scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
}

void TestChatWindow::senditSendsTheChatEditsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("chat in the chat colour") << "hi all" << "CMD_chat+3+hi all|clRed" + kEnd;
    QTest::newRow("action in black") << "/me waves" << "CMD_action+3+waves|clBlack" + kEnd;
    QTest::newRow("just /me: an empty action") << "/me" << "CMD_action+3+|clBlack" + kEnd;
    QTest::newRow("other command: nothing") << "/help" << QByteArray();
}

void TestChatWindow::senditSendsTheChatEditsText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    Tchat chat;
    Host host;
    QVERIFY(host.connect(chat));
    chat.client->loggedin = true;
    chat.client->myseat = 3;
    chat.chatColour = 0x0000FF;
    chat.mychat->setText(text);
    QTest::keyClick(chat.mychat, Qt::Key_Return);
    QCOMPARE(host.received(), sent);
    QCOMPARE(chat.mychat->text(), QString());   // emptied whatever was sent
    // A line shows only when the host's relay comes back.
    QVERIFY(chat.mainchat->toPlainText().isEmpty());
}

void TestChatWindow::chatWaitsForTheLogin()
{
    Tchat chat;
    Host host;
    QVERIFY(host.connect(chat));
    chat.mychat->setText(QStringLiteral("early"));
    chat.sendit();
    QCOMPARE(host.received(), QByteArray());
    QCOMPARE(chat.mychat->text(), QStringLiteral("early"));

    // A socket that refuses the message keeps the text and shows why.
    Tchat unconnected;
    unconnected.client->loggedin = true;
    unconnected.mychat->setText(QStringLiteral("lost?"));
    unconnected.sendit();
    QCOMPARE(unconnected.mychat->text(), QStringLiteral("lost?"));
    QCOMPARE(m_errors.size(), 1);
}

void TestChatWindow::placeholderGoesAtTheFirstKey()
{
    Tchat chat;
    Host host;
    QVERIFY(host.connect(chat));
    chat.client->loggedin = true;
    QCOMPARE(chat.mychat->text(), QStringLiteral("<Enter Chat Here>"));
    QTest::keyClick(chat.mychat, Qt::Key_Return);
    QCOMPARE(chat.mychat->text(), QString());
    QCOMPARE(host.received(), QByteArray());

    chat.mychat->setText(ChatEdit::kPlaceholder);
    QTest::keyClicks(chat.mychat, QStringLiteral("ab"));
    QCOMPARE(chat.mychat->text(), QStringLiteral("ab"));
}

void TestChatWindow::pasteAndSmiliesGoToTheEnd()
{
    Tchat chat;
    QGuiApplication::clipboard()->setText(QStringLiteral("two\nlines"));
    chat.Paste1->trigger();
    QCOMPARE(chat.mychat->text(), QStringLiteral("<Enter Chat Here>two lines"));

    chat.mychat->setText(QStringLiteral("hello"));
    chat.mychat->setSelection(0, 2);
    chat.Paste1Click();
    QCOMPARE(chat.mychat->text(), QStringLiteral("hellotwo lines"));
    QCOMPARE(chat.mychat->cursorPosition(), chat.mychat->text().size());
    QVERIFY(!chat.mychat->hasSelectedText());

    // Ctrl+V in the edit pastes the same way, at the end.
    chat.mychat->setText(QStringLiteral("ab"));
    chat.mychat->setCursorPosition(0);
    QTest::keyClick(chat.mychat, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(chat.mychat->text(), QStringLiteral("abtwo lines"));

    chat.mychat->setText(ChatEdit::kPlaceholder);
    const QList<QAction *> smilies = chat.popup_smilies->actions();
    smilies[5]->trigger();
    QCOMPARE(chat.mychat->text(), QStringLiteral(":)#15"));
    smilies[17]->trigger();
    QCOMPARE(chat.mychat->text(), QStringLiteral(":)#15:)#27"));
    QCOMPARE(chat.mychat->cursorPosition(), 10);
    // The menu shows every smiley's picture once it opens.
    emit chat.popup_smilies->aboutToShow();
    QVERIFY(!smilies[0]->icon().isNull());
}

void TestChatWindow::phraseLockLetsOnePhraseThroughUntilReleased()
{
    Tchat chat;
    Host host;
    QVERIFY(host.connect(chat));
    chat.client->myseat = 2;   // phrases do not wait for the login
    QCOMPARE(chat.b_phrase[7]->toolTip(), QStringLiteral("Thanks!"));

    QTest::mouseClick(chat.b_phrase[7], Qt::LeftButton);
    QTest::mouseClick(chat.b_phrase[1], Qt::LeftButton);
    QCOMPARE(host.received(), "CMD_action+2+says: Thanks!|clBlack" + kEnd);
    QVERIFY(!chat.phraseLockReady);
    QVERIFY(chat.phraseLockTimer.isActive());
    QCOMPARE(chat.phraseLockTimer.interval(), 2000);

    chat.phraseLockRelease();   // the timer's two seconds are up
    chat.b_phrase[1]->setToolTip(QStringLiteral("/me bows"));
    chat.b_phrase1Click(1);
    QCOMPARE(host.received(), "CMD_action+2+bows|clBlack" + kEnd);
    QVERIFY(!chat.phraseLockReady);
}

void TestChatWindow::phraseEditorStoresThePhrases()
{
    Forms forms;
    Tchat &chat = *forms.chat();
    chat.inifile = m_dir.filePath(QStringLiteral("phrases.ini"));
    chat.PrhaseList1->trigger();
    Tphrases &editor = *forms.phrases();
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.phrase[1]->text(), QStringLiteral("Way To Go!"));
    QCOMPARE(editor.phrase[10]->text(), QStringLiteral("Chatter Sounds"));
    QCOMPARE(editor.phrase[1]->maxLength(), 50);

    editor.phrase[1]->setText(QStringLiteral("/me bows"));
    editor.phrase[3]->clear();
    editor.phrase[10]->setText(QStringLiteral("ignored"));
    QTest::mouseClick(editor.button_done, Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QCOMPARE(chat.b_phrase[1]->toolTip(), QStringLiteral("/me bows"));
    QCOMPARE(chat.b_phrase[3]->toolTip(), QString());
    QCOMPARE(chat.b_phrase[10]->toolTip(), QStringLiteral("Chatter Sounds"));

    QFile file(chat.inifile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.startsWith("[Pinlex]\nPhrase1=/me bows\nPhrase2=Good One!\nPhrase3=\n"));
    QVERIFY(saved.endsWith("Phrase9=Good Game Everyone!\n"));
    QVERIFY(!saved.contains("ignored"));

    // The next run's load: the empty phrase leaves the built-in one.
    Tchat next;
    next.inifile = chat.inifile;
    next.loadinifile();
    QCOMPARE(next.b_phrase[1]->toolTip(), QStringLiteral("/me bows"));
    QCOMPARE(next.b_phrase[3]->toolTip(), QStringLiteral("Nice Try!"));
}

void TestChatWindow::receivedLinesAreShownInTheirColour()
{
    Tchat chat;
    chat.receivedlist->enqueue("CMD_chat+2+P2 chats: hi|clBlue");
    chat.receivedlist->enqueue("CMD_action+2+P2 says: Thanks!|clBlack");
    chat.receivedlist->enqueue("CMD_chat+2+P2 chats: a|b|clBlue");
    while (chat.receivedlist->dispatchOne()) {
    }
    QCOMPARE(chat.mainchat->toPlainText(),
             QStringLiteral("P2 chats:  hi \nP2 says:  Thanks! \nP2 chats:  a "));
    // The last line's unreadable colour (red) is now slot 2's colour.
    QCOMPARE(chat.mainchat->styles()[7].colour, QColor(Qt::red));
    QVERIFY(m_errors.isEmpty());
}

void TestChatWindow::badLineNumberIsShownAsAnError()
{
    Tchat chat;
    chat.addlinetochat(QStringLiteral("12+Eve chats: hi"), 0);
    chat.client->receivedlist->enqueue("CMD_chat+x+Eve chats: hi|clRed");
    QTRY_COMPARE(chat.client->receivedlist->pending(), 0);
    QCOMPARE(m_errors, (QStringList{"List index out of bounds (17)", "'x' is not a valid integer value"}));
    QVERIFY(chat.mainchat->toPlainText().isEmpty());
}

void TestChatWindow::linkOpensItsOwnWebPage()
{
    Tchat chat;
    chat.addlinetochat(QStringLiteral("1+A chats: see www.one.example and HTTPS://www.two.example/x?y=1"), 0);
    chat.addlinetochat(QStringLiteral("1+A chats: file:///tmp/www.evil.sh javascript:alert(1)//www.x"), 0);
    QCOMPARE(chat.linkcount, 3);
    for (int link : {0, 1, 2})
        chat.mainchatJump(link);
    QCOMPARE(m_links.opened.size(), 3);
    QCOMPARE(m_links.opened[0], QUrl(QStringLiteral("http://www.one.example")));
    QCOMPARE(m_links.opened[1], QUrl(QStringLiteral("https://www.two.example/x?y=1")));
    // A peer's word never opens anything but a web page.
    QCOMPARE(m_links.opened[2].scheme(), QStringLiteral("http"));
    QVERIFY(m_errors.isEmpty());

    // No web address in the word, and numbers never given out: nothing opens.
    for (int link : {3, 4, -1, 1000})
        chat.mainchatJump(link);
    QCOMPARE(m_links.opened.size(), 3);
    QCOMPARE(m_errors, QStringList(4, QStringLiteral("Cannot open Webpage")));

    // After a clear the first link opens its own text.
    m_links.opened.clear();
    chat.ClearMainChat1Click();
    QCOMPARE(chat.linkcount, -1);
    chat.addlinetochat(QStringLiteral("0+www.three.example"), chat.systemColour);
    emit chat.mainchat->jump(0);
    QCOMPARE(m_links.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.three.example"))});

    // More than a hundred links: each still opens its own text.
    for (int i = 1; i <= 120; ++i)
        chat.addlinetochat(QStringLiteral("0+www.page%1.example").arg(i), chat.systemColour);
    chat.mainchatJump(110);
    QCOMPARE(m_links.opened.last(), QUrl(QStringLiteral("http://www.page110.example")));
}

void TestChatWindow::scrollChatOffItemsStayInStep()
{
    Tchat chat;
    chat.ScrollChatOff2->trigger();
    QVERIFY(chat.ScrollChatOff1->isChecked() && chat.ScrollChatOff2->isChecked());
    chat.ScrollChatOff1->trigger();
    QVERIFY(!chat.ScrollChatOff1->isChecked() && !chat.ScrollChatOff2->isChecked());
}

void TestChatWindow::clearMainChatEmptiesTheView()
{
    Tchat chat;
    chat.show();
    chat.ClearMainChat1Click();   // the launch step's own lines
    chat.addlinetochat(QStringLiteral("0+You are Connected."), chat.systemColour);
    chat.SelectAll1Click();
    QVERIFY(chat.mainchat->hasSelection());
    chat.Copy1Click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" You are Connected. "));
    chat.ClearMainChat2->trigger();
    QVERIFY(chat.mainchat->toPlainText().isEmpty());
    QTRY_VERIFY(chat.mychat->hasFocus());
    chat.SelectAll1Click();   // an empty view: nothing to select, no error
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestChatWindow)
#include "test_chatwindow.moc"
