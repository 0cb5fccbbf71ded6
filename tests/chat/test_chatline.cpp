// Chat display lines split into the items and styles the view shows, and
// the chat's messages to and from the host.
#include "chat/chatline.h"
#include "chat/chatmessages.h"
#include "chat/chatstyles.h"
#include "chat/smilies.h"
#include "protocol/messages.h"

#include <QtTest>

using Item = ChatLine::Item;

namespace {

Item text(const char *word, int style, bool newLine = false)
{
    return {Item::Kind::Text, QString::fromLatin1(word), style, 0, newLine};
}

Item picture(int index, int style)
{
    return {Item::Kind::Picture, QString(), style, index, false};
}

// Items as one readable line: words in brackets with their style, pictures
// as #n, a new line as '|'.
QString describe(const std::vector<Item> &items)
{
    QString out;
    for (const Item &item : items) {
        if (item.newLine)
            out += QLatin1Char('|');
        if (item.kind == Item::Kind::Picture)
            out += QStringLiteral("#%1").arg(item.picture);
        else
            out += QStringLiteral("[%1]%2").arg(item.text).arg(item.style);
    }
    return out;
}

QString errorOf(const QString &line)
{
    try {
        ChatLine::parse(line);
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

} // namespace

class TestChatLine : public QObject
{
    Q_OBJECT

private slots:
    void exampleLineFromP2();
    void lineSplitsIntoItems_data();
    void lineSplitsIntoItems();
    void badNumbersAreRefused_data();
    void badNumbersAreRefused();
    void chatEditTextBecomesMessages_data();
    void chatEditTextBecomesMessages();
    void phrasesAreSentAsActions_data();
    void phrasesAreSentAsActions();
    void receivedPayloadGivesLineAndColour_data();
    void receivedPayloadGivesLineAndColour();
    void smileyPicturesHaveTheirSize();
};

void TestChatLine::exampleLineFromP2()
{
    const ChatLine line = ChatLine::parse(QStringLiteral("2+P2 chats: hi :)#12 see www.pinlex.example"));
    QCOMPARE(line.style, 7);
    const std::vector<Item> expected = {
        text("P2 chats: ", 7, true), text(" ", 7), text("hi ", 7), text(" ", 7), picture(2, 7),
        text(" ", 7), text("see ", 7), text("www.pinlex.example ", ChatStyles::kLink)};
    QCOMPARE(describe(line.items), describe(expected));
    QVERIFY(line.items == expected);
}

void TestChatLine::lineSplitsIntoItems_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("items");

    QTest::newRow("system line without a colon")
        << "0+You are Connected." << "|[ ]0[You ]0[are ]0[Connected. ]0";
    QTest::newRow("slot 1 and slot 9 styles") << "1+A: x" << "|[A: ]6[ ]6[x ]6";
    QTest::newRow("slot 9") << "9+Z: x" << "|[Z: ]14[ ]14[x ]14";
    QTest::newRow("colon only in the message keeps the first")
        << "3+Al chats: a:b" << "|[Al chats: ]8[ ]8[a:b ]8";
    QTest::newRow("highest code") << "0+A::)#27" << "|[A: ]0[ ]0#17";
    QTest::newRow("code past the pictures") << "0+A::)#28x" << "|[A: ]0[ ]0#0[x ]0";
    QTest::newRow("code of letters") << "0+A::)#abx" << "|[A: ]0[ ]0#0[x ]0";
    QTest::newRow("code below the pictures") << "0+A::)#09" << "|[A: ]0[ ]0#0";
    QTest::newRow("code cut short by the end") << "0+A::)#1" << "|[A: ]0[ ]0#0";
    QTest::newRow("two codes in a row") << "0+A::)#10:)#11" << "|[A: ]0[ ]0#0[ ]0#1";
    QTest::newRow("a code opening the text is the speaker's colon") << "0+:)#10" << "|[: ]0[)#10 ]0";
    QTest::newRow("speaker's colon starts a code")
        << "4+Al chats:)#15 hi" << "|[Al chats: ]9[)#15 ]9[hi ]9";
    QTest::newRow("http link in capitals") << "0+A: go HTTP://X.ORG now" << "|[A: ]0[ ]0[go ]0[HTTP://X.ORG ]4[now ]0";
    QTest::newRow("https without www is no link") << "0+A: https://x.org" << "|[A: ]0[ ]0[https://x.org ]0";
    QTest::newRow("https with www is a link") << "0+A: https://www.x.org" << "|[A: ]0[ ]0[https://www.x.org ]4";
    QTest::newRow("an address opening the text is cut at its colon")
        << "0+http://x.org" << "|[http: ]0[//x.org ]0";
    QTest::newRow("link inside a word") << "0+(www.x.org)" << "|[ ]0[(www.x.org) ]4";
    QTest::newRow("nothing after the plus") << "5+" << "|[ ]10";
}

void TestChatLine::lineSplitsIntoItems()
{
    QFETCH(QString, line);
    QFETCH(QString, items);
    QCOMPARE(describe(ChatLine::parse(line).items), items);
}

void TestChatLine::badNumbersAreRefused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");
    QTest::newRow("not a number") << "x+hi" << "'x' is not a valid integer value";
    QTest::newRow("no plus") << "hi" << "'' is not a valid integer value";
    QTest::newRow("above 9") << "10+hi" << "List index out of bounds (15)";
    QTest::newRow("below 0") << "-1+hi" << "List index out of bounds (-1)";
    QTest::newRow("far below 0") << "-2147483648+hi" << "List index out of bounds (-2147483648)";
    QTest::newRow("far above 9") << "2147483647+hi" << "List index out of bounds (2147483652)";
}

void TestChatLine::badNumbersAreRefused()
{
    QFETCH(QString, line);
    QFETCH(QString, error);
    QCOMPARE(errorOf(line), error);
}

void TestChatLine::chatEditTextBecomesMessages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("message");
    const QByteArray end(1, char(0xFF));
    QTest::newRow("chat in the chat colour") << "hello + all" << "CMD_chat+3+hello + all|clRed" + end;
    QTest::newRow("action") << "/me waves" << "CMD_action+3+waves|clBlack" + end;
    QTest::newRow("action without blank loses a letter") << "/mewaves" << "CMD_action+3+aves|clBlack" + end;
    QTest::newRow("empty action") << "/me" << "CMD_action+3+|clBlack" + end;
    QTest::newRow("other command") << "/help" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("single-byte text") << QStringLiteral("caf\u00e9 \u20ac") << "CMD_chat+3+caf\xe9 ?|clRed" + end;
    QTest::newRow("terminator byte cannot end the message early")
        << QStringLiteral("a\u00ffb") << "CMD_chat+3+a?b|clRed" + end;
}

void TestChatLine::chatEditTextBecomesMessages()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, message);
    QCOMPARE(chatmessages::forChatLine(3, text, 0x0000FF, 0x000000), message);
}

void TestChatLine::phrasesAreSentAsActions_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QByteArray>("message");
    const QByteArray end(1, char(0xFF));
    QTest::newRow("says") << "Thanks!" << "CMD_action+2+says: Thanks!|clBlack" + end;
    QTest::newRow("own action") << "/me bows" << "CMD_action+2+bows|clBlack" + end;
    QTest::newRow("/me without blank is said") << "/mebows" << "CMD_action+2+says: /mebows|clBlack" + end;
    QTest::newRow("empty phrase") << "" << "CMD_action+2+says: |clBlack" + end;
}

void TestChatLine::phrasesAreSentAsActions()
{
    QFETCH(QString, phrase);
    QFETCH(QByteArray, message);
    QCOMPARE(chatmessages::forPhrase(2, phrase, 0), message);
}

void TestChatLine::receivedPayloadGivesLineAndColour_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("line");
    QTest::addColumn<quint32>("colour");
    QTest::newRow("named colour") << QByteArray("2+P2 chats: hi|clBlue") << "2+P2 chats: hi" << quint32(0xFF0000);
    QTest::newRow("dollar colour") << QByteArray("2+P2 hi|$00008000") << "2+P2 hi" << quint32(0x008000);
    QTest::newRow("bar in the text makes the colour unreadable")
        << QByteArray("2+P2 chats: a|b|clBlue") << "2+P2 chats: a" << quint32(0x0000FF);
    QTest::newRow("no bar") << QByteArray("2+P2 chats: hi") << "2+P2 chats: hi" << quint32(0x0000FF);
    QTest::newRow("single-byte text") << QByteArray("2+caf\xe9|clBlack") << QStringLiteral("2+caf\u00e9")
                                      << quint32(0);
}

void TestChatLine::receivedPayloadGivesLineAndColour()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, line);
    QFETCH(quint32, colour);
    const auto chat = std::get<msg::Chat>(*msg::readToClient("CMD_chat+" + payload));
    const chatmessages::Received received = chatmessages::received(chat.slot, chat.text(), chat.colour());
    QCOMPARE(received.line, line);
    QCOMPARE(received.colour, colour);
}

void TestChatLine::smileyPicturesHaveTheirSize()
{
    QSet<qint64> distinct;
    for (int index = 0; index < smilies::kCount; ++index) {
        const QImage image = smilies::picture(index);
        QCOMPARE(image.size(), QSize(17, 16));
        distinct.insert(image.cacheKey());
    }
    QCOMPARE(distinct.size(), smilies::kCount);
    QCOMPARE(smilies::picture(18).cacheKey(), smilies::picture(0).cacheKey());
}

QTEST_MAIN(TestChatLine)
#include "test_chatline.moc"
