// The chat: what the composer sends over the client socket, the phrase
// lock, and in the main window the chat edit, the phrase buttons and their
// editor, the smilies, received lines and links.
#include "app/chatform.h"
#include "app/forms.h"
#include "app/session.h"
#include "base/errordisplay.h"
#include "chat/chatedit.h"
#include "client/gameevents.h"
#include "chat/chatlog.h"
#include "chat/chatview.h"
#include "chat/phrasesform.h"
#include "net/connection.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "ui/controls.h"

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

    bool connect(GameClient &client)
    {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        client.sock()->open(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections() && client.sock()->isConnected(); }))
            return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }

    // Seats the client in slot as a host does; its login, sent back, is
    // read here.
    bool seat(GameClient &client, int slot)
    {
        client.events()->received("CMD_sendlogininfo+" + QByteArray::number(slot));
        QByteArray login;
        return QTest::qWaitFor([&] {
            login += peer->readAll();
            return login.endsWith(kEnd);
        });
    }

    // Everything sent since the last call, once nothing more is on its way.
    QByteArray received()
    {
        QTest::qWait(50);   // lets a message that should not come show that it did
        return peer->readAll();
    }
};

// The sending side of the chat without a window.
struct Composer
{
    GameClient client;
    Options options{QString()};
    ChatComposer composer{client, options};
};

// A control of the window by its name.
template <typename T>
T *find(const QObject &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

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
    void senditSendsTheLine_data();
    void senditSendsTheLine();
    void chatWaitsForTheLogin();
    void enterSendsTheChatEditsText();
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

void TestChatWindow::senditSendsTheLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("chat in the chat colour") << "hi all" << "CMD_chat+3+hi all|clRed" + kEnd;
    QTest::newRow("action in black") << "/me waves" << "CMD_action+3+waves|clBlack" + kEnd;
    QTest::newRow("just /me: an empty action") << "/me" << "CMD_action+3+|clBlack" + kEnd;
    QTest::newRow("other command: nothing") << "/help" << QByteArray();
    QTest::newRow("empty: nothing") << "" << QByteArray();
}

void TestChatWindow::senditSendsTheLine()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    Composer c;
    Host host;
    QVERIFY(host.connect(c.client));
    QVERIFY(host.seat(c.client, 3));
    c.options.setTextColor(0x0000FF);
    QVERIFY(c.composer.sendit(text));   // done with, whatever was sent
    QCOMPARE(host.received(), sent);
}

void TestChatWindow::chatWaitsForTheLogin()
{
    Composer c;
    Host host;
    QVERIFY(host.connect(c.client));
    QVERIFY(!c.composer.sendit(QStringLiteral("early")));
    QCOMPARE(host.received(), QByteArray());

    // A socket that refuses the message keeps the text and shows why.
    Composer unconnected;
    unconnected.client.events()->received("CMD_sendlogininfo+3");
    m_errors.clear();   // its login went nowhere either
    QVERIFY(!unconnected.composer.sendit(QStringLiteral("lost?")));
    QCOMPARE(m_errors.size(), 1);
}

void TestChatWindow::enterSendsTheChatEditsText()
{
    Tchat chat;
    Host host;
    GameClient &client = chat.session().client;
    QVERIFY(host.connect(client));
    auto *edit = find<ChatEdit>(chat, "mychat");
    edit->setText(QStringLiteral("early"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QStringLiteral("early"));   // waits for the login

    QVERIFY(host.seat(client, 3));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(host.received(), "CMD_chat+3+early|clBlack" + kEnd);
    QCOMPARE(edit->text(), QString());
    // A line shows only when the host's relay comes back.
    QVERIFY(find<ChatView>(chat, "mainchat")->toPlainText().isEmpty());
}

void TestChatWindow::placeholderGoesAtTheFirstKey()
{
    Tchat chat;
    Host host;
    QVERIFY(host.connect(chat.session().client));
    QVERIFY(host.seat(chat.session().client, 3));
    auto *edit = find<ChatEdit>(chat, "mychat");
    QCOMPARE(edit->text(), QStringLiteral("<Enter Chat Here>"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QString());
    QCOMPARE(host.received(), QByteArray());

    edit->setText(ChatEdit::kPlaceholder);
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QCOMPARE(edit->text(), QStringLiteral("ab"));
}

void TestChatWindow::pasteAndSmiliesGoToTheEnd()
{
    Tchat chat;
    auto *edit = find<ChatEdit>(chat, "mychat");
    QAction *paste = find<QAction>(chat, "Paste1");
    QGuiApplication::clipboard()->setText(QStringLiteral("two\nlines"));
    paste->trigger();
    QCOMPARE(edit->text(), QStringLiteral("<Enter Chat Here>two lines"));

    edit->setText(QStringLiteral("hello"));
    edit->setSelection(0, 2);
    paste->trigger();
    QCOMPARE(edit->text(), QStringLiteral("hellotwo lines"));
    QCOMPARE(edit->cursorPosition(), edit->text().size());
    QVERIFY(!edit->hasSelectedText());

    // Ctrl+V in the edit pastes the same way, at the end.
    edit->setText(QStringLiteral("ab"));
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("abtwo lines"));

    edit->setText(ChatEdit::kPlaceholder);
    auto *menu = find<QMenu>(chat, "popup_smilies");
    const QList<QAction *> smilies = menu->actions();
    smilies[5]->trigger();
    QCOMPARE(edit->text(), QStringLiteral(":)#15"));
    smilies[17]->trigger();
    QCOMPARE(edit->text(), QStringLiteral(":)#15:)#27"));
    QCOMPARE(edit->cursorPosition(), 10);
    // The menu shows every smiley's picture once it opens.
    emit menu->aboutToShow();
    QVERIFY(!smilies[0]->icon().isNull());
}

void TestChatWindow::phraseLockLetsOnePhraseThroughUntilReleased()
{
    Tchat chat;
    Host host;
    QVERIFY(host.connect(chat.session().client));
    QVERIFY(host.seat(chat.session().client, 2));
    QCOMPARE(find<QWidget>(chat, "b_phrase7")->toolTip(), QStringLiteral("Thanks!"));

    QTest::mouseClick(find<QWidget>(chat, "b_phrase7"), Qt::LeftButton);
    QTest::mouseClick(find<QWidget>(chat, "b_phrase1"), Qt::LeftButton);
    QCOMPARE(host.received(), "CMD_action+2+says: Thanks!|clBlack" + kEnd);
    ChatComposer &composer = chat.session().composer;
    QVERIFY(!composer.phraseLockReady());
    QCOMPARE(composer.phraseLockTimer().interval(), 2000);

    composer.phraseLockRelease();   // the timer's two seconds are up
    Options::Phrases phrases = chat.session().options.phrases();
    phrases[0] = QStringLiteral("/me bows");
    chat.session().options.setPhrases(phrases);
    QVERIFY(composer.b_phrase1Click(1));
    QCOMPARE(host.received(), "CMD_action+2+bows|clBlack" + kEnd);
    QVERIFY(!composer.phraseLockReady());
    QVERIFY(!composer.b_phrase1Click(2));
}

void TestChatWindow::phraseEditorStoresThePhrases()
{
    Forms forms;
    Tchat &chat = *forms.chat();
    Options &options = chat.session().options;
    options.setFileName(m_dir.filePath(QStringLiteral("phrases.ini")));
    find<QAction>(chat, "PrhaseList1")->trigger();
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
    QCOMPARE(options.phrase(1), QStringLiteral("/me bows"));
    QCOMPARE(find<QWidget>(chat, "b_phrase1")->toolTip(), QStringLiteral("/me bows"));
    QCOMPARE(find<QWidget>(chat, "b_phrase3")->toolTip(), QString());
    QCOMPARE(find<QWidget>(chat, "b_phrase10")->toolTip(), QStringLiteral("Chatter Sounds"));
    QFile file(options.fileName());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("ignored"));
}

void TestChatWindow::receivedLinesAreShownInTheirColour()
{
    Tchat chat;
    Dispatcher *received = chat.session().client.receivedlist();
    received->enqueue("CMD_chat+2+P2 chats: hi|clBlue");
    received->enqueue("CMD_action+2+P2 says: Thanks!|clBlack");
    received->enqueue("CMD_chat+2+P2 chats: a|b|clBlue");
    while (received->dispatchOne()) {
    }
    auto *view = find<ChatView>(chat, "mainchat");
    QCOMPARE(view->toPlainText(), QStringLiteral("P2 chats:  hi \nP2 says:  Thanks! \nP2 chats:  a "));
    // The last line's unreadable colour (red) is now slot 2's colour.
    QCOMPARE(view->styles()[7].colour, QColor(Qt::red));
    QVERIFY(m_errors.isEmpty());
}

void TestChatWindow::badLineNumberIsShownAsAnError()
{
    Tchat chat;
    chat.chatLog().addlinetochat(QStringLiteral("12+Eve chats: hi"), 0, true);
    Dispatcher *received = chat.session().client.receivedlist();
    received->enqueue("CMD_chat+x+Eve chats: hi|clRed");
    QTRY_COMPARE(received->pending(), 0);
    QCOMPARE(m_errors, (QStringList{"List index out of bounds (17)", "'x' is not a valid integer value"}));
    QVERIFY(find<ChatView>(chat, "mainchat")->toPlainText().isEmpty());
}

void TestChatWindow::linkOpensItsOwnWebPage()
{
    Tchat chat;
    ChatLog &log = chat.chatLog();
    log.addlinetochat(QStringLiteral("1+A chats: see www.one.example and HTTPS://www.two.example/x?y=1"), 0, true);
    log.addlinetochat(QStringLiteral("1+A chats: file:///tmp/www.evil.sh javascript:alert(1)//www.x"), 0, true);
    QCOMPARE(log.linkcount(), 3);
    for (int link : {0, 1, 2})
        log.mainchatJump(link);
    QCOMPARE(m_links.opened.size(), 3);
    QCOMPARE(m_links.opened[0], QUrl(QStringLiteral("http://www.one.example")));
    QCOMPARE(m_links.opened[1], QUrl(QStringLiteral("https://www.two.example/x?y=1")));
    // A peer's word never opens anything but a web page.
    QCOMPARE(m_links.opened[2].scheme(), QStringLiteral("http"));
    QVERIFY(m_errors.isEmpty());

    // No web address in the word, and numbers never given out: nothing opens.
    for (int link : {3, 4, -1, 1000})
        log.mainchatJump(link);
    QCOMPARE(m_links.opened.size(), 3);
    QCOMPARE(m_errors, QStringList(4, QStringLiteral("Cannot open Webpage")));

    // After a clear the first link opens its own text, clicked in the view.
    m_links.opened.clear();
    find<QAction>(chat, "ClearMainChat1")->trigger();
    QCOMPARE(log.linkcount(), -1);
    log.addlinetochat(QStringLiteral("0+www.three.example"), ChatLog::kSystemColour, true);
    emit find<ChatView>(chat, "mainchat")->jump(0);
    QCOMPARE(m_links.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.three.example"))});

    // More than a hundred links: each still opens its own text.
    for (int i = 1; i <= 120; ++i)
        log.addlinetochat(QStringLiteral("0+www.page%1.example").arg(i), ChatLog::kSystemColour, true);
    log.mainchatJump(110);
    QCOMPARE(m_links.opened.last(), QUrl(QStringLiteral("http://www.page110.example")));
}

void TestChatWindow::scrollChatOffItemsStayInStep()
{
    Tchat chat;
    QAction *menu = find<QAction>(chat, "ScrollChatOff2");
    QAction *popup = find<QAction>(chat, "ScrollChatOff1");
    menu->trigger();
    QVERIFY(popup->isChecked() && menu->isChecked() && chat.session().options.scrollChatOff());
    popup->trigger();
    QVERIFY(!popup->isChecked() && !menu->isChecked() && !chat.session().options.scrollChatOff());
}

void TestChatWindow::clearMainChatEmptiesTheView()
{
    Tchat chat;
    chat.show();
    auto *view = find<ChatView>(chat, "mainchat");
    find<QAction>(chat, "ClearMainChat1")->trigger();   // the launch step's own lines
    chat.chatLog().addlinetochat(QStringLiteral("0+You are Connected."), ChatLog::kSystemColour, true);
    find<QAction>(chat, "SelectAll1")->trigger();
    QVERIFY(view->hasSelection());
    find<QAction>(chat, "Copy1")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" You are Connected. "));
    find<QAction>(chat, "ClearMainChat2")->trigger();
    QVERIFY(view->toPlainText().isEmpty());
    QTRY_VERIFY(find<ChatEdit>(chat, "mychat")->hasFocus());
    find<QAction>(chat, "SelectAll1")->trigger();   // an empty view: nothing to select, no error
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestChatWindow)
#include "test_chatwindow.moc"
