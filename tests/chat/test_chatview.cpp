// The chat view and the chat kept in it: styles, re-colouring, links,
// pictures, copy, clear and scrolling.
#include "chat/chatlog.h"
#include "chat/chatview.h"

#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

namespace {

struct Fragment
{
    QString text;
    QTextCharFormat format;
};

// Every fragment of the view's content, pictures included, in order.
QList<Fragment> fragments(const ChatView &view)
{
    QList<Fragment> out;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            out.append({it.fragment().text(), it.fragment().charFormat()});
    }
    return out;
}

QColor colourOf(const Fragment &fragment)
{
    return fragment.format.foreground().color();
}

// A view of the design size with its chat, shown so that it lays out.
struct Chat
{
    ChatView view;
    ChatLog log{&view};
    Chat()
    {
        view.resize(522, 160);
        view.show();
    }
};

} // namespace

class TestChatView : public QObject
{
    Q_OBJECT

private slots:
    void exampleLineShowsItsItemsInTheirStyles();
    void newColourOfASlotRecoloursItsEarlierLines();
    void textSizeRestylesEveryItemAndKeepsLinks();
    void linksAreNumberedAgainAfterAClear();
    void clickOnALinkReportsItsNumber();
    void peerTextIsNeverMarkup();
    void copyGivesPlainTextWithCrlfBetweenLines();
    void badLinesAddNothing();
    void endStaysInViewUnlessScrollingIsOff();
};

void TestChatView::exampleLineShowsItsItemsInTheirStyles()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("2+P2 chats: hi :)#12 see www.pinlex.example"), 0x0000FF, true);
    QCOMPARE(chat.view.toPlainText(), QStringLiteral("P2 chats:  hi  \uFFFC see www.pinlex.example "));
    const QList<Fragment> parts = fragments(chat.view);
    QCOMPARE(parts.size(), 4);   // bold red text, the picture, bold red text, the link

    for (int i : {0, 2}) {
        QCOMPARE(colourOf(parts[i]), QColor(Qt::red));
        QCOMPARE(parts[i].format.fontWeight(), int(QFont::Bold));
        QVERIFY(!parts[i].format.isAnchor());
    }
    QVERIFY(parts[1].format.isImageFormat());
    QCOMPARE(parts[1].format.toImageFormat().name(), QStringLiteral("pinlex-smiley:2"));
    QCOMPARE(parts[3].text, QStringLiteral("www.pinlex.example "));
    QCOMPARE(colourOf(parts[3]), QColor(0, 128, 0));
    QVERIFY(parts[3].format.fontUnderline());
    QVERIFY(parts[3].format.isAnchor());
    QCOMPARE(chat.log.linkcount(), 0);
    QCOMPARE(chat.log.link(0), std::optional<QString>(QStringLiteral("www.pinlex.example ")));
    QCOMPARE(ChatLog::webAddress(*chat.log.link(0)), QUrl(QStringLiteral("http://www.pinlex.example")));
}

void TestChatView::newColourOfASlotRecoloursItsEarlierLines()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("2+Ann chats: one"), 0x0000FF, true);
    chat.log.addLine(QStringLiteral("3+Bob chats: two"), 0xFF0000, true);
    chat.log.addLine(QStringLiteral("2+Ann chats: three"), 0x008000, true);
    const QList<Fragment> parts = fragments(chat.view);
    QCOMPARE(parts.size(), 3);
    QCOMPARE(colourOf(parts[0]), QColor(0, 128, 0));   // Ann's first line follows her latest
    QCOMPARE(colourOf(parts[1]), QColor(0, 0, 255));   // Bob's line keeps his colour
    QCOMPARE(colourOf(parts[2]), QColor(0, 128, 0));
}

void TestChatView::textSizeRestylesEveryItemAndKeepsLinks()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("1+Ann chats: see www.a.example and www.b.example"), 0, true);
    chat.view.styles().setPointSize(14);
    chat.view.format();
    for (const Fragment &part : fragments(chat.view))
        QCOMPARE(part.format.fontPointSize(), 14.0);
    // The two links, side by side in one style, keep their own numbers.
    QStringList targets;
    for (const Fragment &part : fragments(chat.view)) {
        if (part.format.isAnchor())
            targets << part.format.anchorHref();
    }
    QCOMPARE(targets, (QStringList{"pinlex-link:0", "pinlex-link:1"}));
}

void TestChatView::linksAreNumberedAgainAfterAClear()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("1+A: www.one.example www.two.example"), 0, true);
    chat.log.addLine(QStringLiteral("0+A: http://three.example"), 0xFF0000, true);
    QCOMPARE(chat.log.linkcount(), 2);
    QCOMPARE(chat.view.linkCount(), 3);
    QCOMPARE(chat.log.link(2), std::optional<QString>(QStringLiteral("http://three.example ")));
    QCOMPARE(chat.log.link(3), std::nullopt);
    QCOMPARE(chat.log.link(-1), std::nullopt);

    chat.log.clear();
    QVERIFY(chat.view.toPlainText().isEmpty());
    QCOMPARE(chat.log.linkcount(), -1);
    chat.log.addLine(QStringLiteral("0+www.four.example"), 0xFF0000, true);
    QCOMPARE(chat.log.link(0), std::optional<QString>(QStringLiteral("www.four.example ")));
    QCOMPARE(chat.log.link(1), std::nullopt);
    QCOMPARE(fragments(chat.view).last().format.anchorHref(), QStringLiteral("pinlex-link:0"));
    // The first item after a clear starts the first line, not a second one.
    QCOMPARE(chat.view.document()->blockCount(), 1);
}

void TestChatView::clickOnALinkReportsItsNumber()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("1+A: www.one.example"), 0, true);
    chat.log.addLine(QStringLiteral("1+A: then www.two.example"), 0, true);
    QVERIFY(QTest::qWaitForWindowExposed(&chat.view));
    QSignalSpy jumps(&chat.view, &ChatView::jump);

    const int linkStart = chat.view.toPlainText().indexOf(QStringLiteral("www.two"));
    QTextCursor cursor(chat.view.document());
    cursor.setPosition(linkStart + 3);
    const QPoint at = chat.view.cursorRect(cursor).center();
    QTest::mouseClick(chat.view.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(jumps.size(), 1);
    QCOMPARE(jumps[0][0].toInt(), 1);

    // A click on plain text reports nothing.
    cursor.setPosition(1);
    QTest::mouseClick(chat.view.viewport(), Qt::LeftButton, {}, chat.view.cursorRect(cursor).center());
    QCOMPARE(jumps.size(), 1);
}

void TestChatView::peerTextIsNeverMarkup()
{
    Chat chat;
    const QString text = QStringLiteral("<b>Bob</b> chats: <img src=\"x\"> &amp; <a href=\"http://x\">y</a>\nP1 chats: fake");
    chat.log.addLine(QStringLiteral("2+") + text, 0, true);
    QCOMPARE(chat.view.document()->blockCount(), 1);
    QCOMPARE(chat.view.toPlainText(),
             QStringLiteral("<b>Bob</b> chats:  <img src=\"x\"> &amp; <a href=\"http://x\">y</a> P1 chats: fake "));
    for (const Fragment &part : fragments(chat.view))
        QVERIFY(!part.format.isImageFormat());
    // The would-be anchor is just a word that looks like an address.
    QCOMPARE(chat.log.link(0), std::optional<QString>(QStringLiteral("href=\"http://x\">y</a>\nP1 ")));
}

void TestChatView::copyGivesPlainTextWithCrlfBetweenLines()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("0+You are Connected."), 0xFF0000, true);
    chat.log.addLine(QStringLiteral("2+Ann chats: hi :)#10"), 0, true);
    chat.log.addLine(QStringLiteral("3+Bob chats: www.x.example"), 0, true);

    chat.view.copySelection();   // nothing selected: the clipboard is left alone
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    chat.view.copySelection();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    chat.view.selectAll();
    chat.view.copySelection();
    const QString expected = QStringLiteral(" You are Connected. \r\nAnn chats:  hi  \r\nBob chats:  www.x.example ");
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    // The view's own copy (Ctrl+C) gives the same plain text and no markup.
    QGuiApplication::clipboard()->clear();
    chat.view.copy();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->text(), expected);
    QVERIFY(!data->hasHtml());
}

void TestChatView::badLinesAddNothing()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("1+A: www.one.example"), 0, true);
    const QString before = chat.view.toPlainText();
    for (const char *line : {"x+www.two.example", "10+www.two.example", "-1+www.two.example"}) {
        QVERIFY_THROWS_EXCEPTION(std::exception, chat.log.addLine(QLatin1String(line), 0, true));
        QCOMPARE(chat.view.toPlainText(), before);
        QCOMPARE(chat.log.linkcount(), 0);
    }
    // The view itself ignores styles and pictures it does not have.
    chat.view.addText(QStringLiteral("nowhere"), ChatStyles::kCount, false);
    chat.view.addText(QStringLiteral("nowhere"), -1, false);
    chat.view.addPicture(99);
    chat.view.format();
    QCOMPARE(chat.view.toPlainText(), before + QChar::ObjectReplacementCharacter);
    QCOMPARE(fragments(chat.view).last().format.toImageFormat().name(), QStringLiteral("pinlex-smiley:0"));
}

void TestChatView::endStaysInViewUnlessScrollingIsOff()
{
    Chat chat;
    QScrollBar *bar = chat.view.verticalScrollBar();
    for (int i = 0; i < 60; ++i)
        chat.log.addLine(QStringLiteral("1+A: line %1").arg(i), 0, true);
    QTRY_VERIFY(bar->maximum() > 0);
    QTRY_COMPARE(bar->value(), bar->maximum());

    bar->setValue(0);
    for (int i = 0; i < 20; ++i)
        chat.log.addLine(QStringLiteral("1+A: more %1").arg(i), 0, false);
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);

    chat.log.addLine(QStringLiteral("1+A: last"), 0, true);
    QTRY_COMPARE(bar->value(), bar->maximum());
}

QTEST_MAIN(TestChatView)
#include "test_chatview.moc"
