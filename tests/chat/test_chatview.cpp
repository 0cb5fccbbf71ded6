// The chat view and the chat kept in it: styles, re-colouring, links,
// pictures, copy, clear, scrolling, the cap on its length and what a
// screen reader reads.
#include "chat/chataccessible.h"
#include "chat/chatlog.h"
#include "chat/chatview.h"

#include <QAccessible>
#include <QClipboard>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

namespace {

// A view of the design size with its chat, shown so that it lays out.
struct Chat
{
    ChatView view;
    ChatLog log{&view};
    Chat()
    {
        ChatAccessible::install();
        view.resize(522, 160);
        view.show();
    }
    void add(int count, const QString &text)
    {
        for (int i = 0; i < count; ++i)
            log.addLine(text.arg(i), 0, true);
    }
};

// The items of a line as one readable text: words in brackets with their
// style and link number, pictures as #n.
QString describe(const ChatView &view, int line)
{
    const ChatRow &row = view.model().row(line);
    QString out;
    for (const ChatItem &item : row.items) {
        if (item.picture >= 0)
            out += QStringLiteral("#%1").arg(item.picture);
        else
            out += QStringLiteral("[%1]%2").arg(row.itemText(item)).arg(item.style)
                   + (item.link >= 0 ? QStringLiteral("L%1").arg(item.link) : QString());
    }
    return out;
}

// Whether some pixel of the line on screen is in exactly this colour.
bool paints(ChatView &view, int line, const QColor &colour)
{
    QCoreApplication::processEvents();   // the pending repaint
    const QRect rect(view.viewport()->mapTo(&view, view.lineRect(line).topLeft()), view.lineRect(line).size());
    const QImage image = view.screen()->grabWindow(view.winId(), rect.x(), rect.y(), rect.width(), rect.height())
                             .toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour.rgb())
                return true;
        }
    }
    return false;
}

int lineAtTop(const ChatView &view)
{
    return view.lineAt(QPoint(10, 3));
}

} // namespace

class TestChatView : public QObject
{
    Q_OBJECT

private slots:
    void exampleLineShowsItsItemsInTheirStyles();
    void newColourOfASlotRecoloursItsEarlierLines();
    void linksAreNumberedAgainAfterAClear();
    void clickOnALinkReportsItsNumber();
    void peerTextIsNeverMarkup();
    void copyGivesPlainTextWithCrlfBetweenLines();
    void badLinesAddNothing();
    void endStaysInViewUnlessScrollingIsOff();
    void textSizeKeepsTheScrollPosition_data();
    void textSizeKeepsTheScrollPosition();
    void onlyTheLastLinesAreKept();
    void screenReaderReadsEachLine();
    void screenReaderFindsAndClicksALink();
};

void TestChatView::exampleLineShowsItsItemsInTheirStyles()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("2+P2 chats: hi :)#12 see www.pinlex.example"), 0x0000FF, true);
    QCOMPARE(chat.view.toPlainText(), QStringLiteral("P2 chats:  hi  \uFFFC see www.pinlex.example "));
    QCOMPARE(describe(chat.view, 0), QStringLiteral("[P2 chats: ]7[ ]7[hi ]7[ ]7#2[ ]7[see ]7[www.pinlex.example ]4L0"));
    QCOMPARE(chat.view.styles()[7].colour, QColor(Qt::red));
    QVERIFY(chat.view.styles()[7].bold);
    QVERIFY(paints(chat.view, 0, Qt::red));
    QVERIFY(paints(chat.view, 0, QColor(0, 128, 0)));   // the link
    QCOMPARE(chat.log.linkcount(), 0);
    QCOMPARE(chat.log.link(0), std::optional<QString>(QStringLiteral("www.pinlex.example ")));
    QCOMPARE(ChatLog::webAddress(*chat.log.link(0)), QUrl(QStringLiteral("http://www.pinlex.example")));
}

void TestChatView::newColourOfASlotRecoloursItsEarlierLines()
{
    Chat chat;
    QVERIFY(QTest::qWaitForWindowExposed(&chat.view));
    const QColor red(Qt::red), green(0, 128, 0), blue(Qt::blue);
    chat.log.addLine(QStringLiteral("2+Ann chats: one"), 0x0000FF, true);
    chat.log.addLine(QStringLiteral("3+Bob chats: two"), 0xFF0000, true);
    QVERIFY(paints(chat.view, 0, red));
    chat.log.addLine(QStringLiteral("2+Ann chats: three"), 0x008000, true);
    // Ann's first line follows her latest colour; Bob's keeps his.
    QVERIFY(paints(chat.view, 0, green) && !paints(chat.view, 0, red));
    QVERIFY(paints(chat.view, 1, blue) && !paints(chat.view, 1, green));
    QVERIFY(paints(chat.view, 2, green));
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
    QCOMPARE(describe(chat.view, 0), QStringLiteral("[ ]0[www.four.example ]4L0"));
    QCOMPARE(chat.view.model().rowCount(), 1);
}

void TestChatView::clickOnALinkReportsItsNumber()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("1+A: www.one.example"), 0, true);
    chat.log.addLine(QStringLiteral("1+A: then www.two.example and then more words to wrap www.three.example"), 0,
                     true);
    chat.view.styles().setPointSize(14);   // the links move
    chat.view.format();
    QVERIFY(QTest::qWaitForWindowExposed(&chat.view));
    QSignalSpy jumps(&chat.view, &ChatView::jump);

    for (int link : {1, 2}) {
        QVERIFY(chat.view.viewport()->rect().contains(chat.view.linkRect(link)));
        QTest::mouseClick(chat.view.viewport(), Qt::LeftButton, {}, chat.view.linkRect(link).center());
        QCOMPARE(jumps.size(), 1);
        QCOMPARE(jumps.takeFirst()[0].toInt(), link);
    }
    // A click on plain text reports nothing, nor does a drag from a link.
    const QRect line = chat.view.lineRect(1);
    QTest::mouseClick(chat.view.viewport(), Qt::LeftButton, {}, line.topLeft() + QPoint(3, 3));
    const QPoint link = chat.view.linkRect(2).center();
    QTest::mousePress(chat.view.viewport(), Qt::LeftButton, {}, link);
    QTest::mouseMove(chat.view.viewport(), line.topLeft() + QPoint(3, 3));
    QTest::mouseRelease(chat.view.viewport(), Qt::LeftButton, {}, link);
    QVERIFY(jumps.isEmpty());
    QVERIFY(chat.view.hasSelection());
}

void TestChatView::peerTextIsNeverMarkup()
{
    Chat chat;
    const QString text = QStringLiteral("<b>Bob</b> chats: <img src=\"x\"> &amp; <a href=\"http://x\">y</a>\nP1 chats: fake");
    chat.log.addLine(QStringLiteral("2+") + text, 0, true);
    QCOMPARE(chat.view.model().rowCount(), 1);
    QCOMPARE(chat.view.toPlainText(),
             QStringLiteral("<b>Bob</b> chats:  <img src=\"x\"> &amp; <a href=\"http://x\">y</a> P1 chats: fake "));
    QVERIFY(!describe(chat.view, 0).contains(QLatin1Char('#')));
    // The would-be anchor is just a word that looks like an address.
    QCOMPARE(chat.log.link(0), std::optional<QString>(QStringLiteral("href=\"http://x\">y</a> P1 ")));
}

void TestChatView::copyGivesPlainTextWithCrlfBetweenLines()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("0+You are Connected."), 0xFF0000, true);
    chat.log.addLine(QStringLiteral("2+Ann chats: hi :)#10"), 0, true);
    chat.log.addLine(QStringLiteral("3+Bob chats: www.x.example"), 0, true);

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    chat.view.copySelection();   // nothing selected: the clipboard is left alone
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    chat.view.selectAll();
    chat.view.copySelection();
    const QString expected = QStringLiteral(" You are Connected. \r\nAnn chats:  hi  \r\nBob chats:  www.x.example ");
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    // Ctrl+C and Ctrl+Insert in the view give the same plain text and no markup.
    for (Qt::Key key : {Qt::Key_C, Qt::Key_Insert}) {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&chat.view, key, Qt::ControlModifier);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), expected);
        QVERIFY(!data->hasHtml());
    }

    // A selection made with the mouse: from inside the second line to the
    // end of the chat.
    const QRect second = chat.view.lineRect(1);
    QTest::mousePress(chat.view.viewport(), Qt::LeftButton, {}, second.topLeft() + QPoint(1, 2));
    QTest::mouseMove(chat.view.viewport(), chat.view.viewport()->rect().bottomRight());
    QTest::mouseRelease(chat.view.viewport(), Qt::LeftButton, {}, chat.view.viewport()->rect().bottomRight());
    QCOMPARE(chat.view.selectedPlainText(), QStringLiteral("Ann chats:  hi  \r\nBob chats:  www.x.example "));
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
    QVERIFY(describe(chat.view, 0).endsWith(QLatin1String("#0")));
}

void TestChatView::endStaysInViewUnlessScrollingIsOff()
{
    Chat chat;
    QScrollBar *bar = chat.view.verticalScrollBar();
    chat.add(60, QStringLiteral("1+A: line %1"));
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(0);
    for (int i = 0; i < 20; ++i)
        chat.log.addLine(QStringLiteral("1+A: more %1").arg(i), 0, false);
    QCOMPARE(bar->value(), 0);

    chat.log.addLine(QStringLiteral("1+A: last"), 0, true);
    QCOMPARE(bar->value(), bar->maximum());
    // Following the end survives a narrower view, whose lines wrap more.
    chat.log.addLine(QStringLiteral("1+A: a long line that wraps once the view is narrow"), 0, true);
    chat.view.resize(200, 160);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestChatView::textSizeKeepsTheScrollPosition_data()
{
    QTest::addColumn<bool>("atEnd");
    QTest::newRow("scrolled back") << false;
    QTest::newRow("at the end") << true;
}

// Changing the text size used to leave the view at another part of the chat.
void TestChatView::textSizeKeepsTheScrollPosition()
{
    QFETCH(bool, atEnd);
    Chat chat;
    QScrollBar *bar = chat.view.verticalScrollBar();
    chat.add(100, QStringLiteral("1+A: line %1 with enough words to wrap at the largest of the sizes"));
    if (!atEnd)
        bar->setSliderPosition(chat.view.lineRect(40).top() + bar->value());   // as a drag does
    const int top = lineAtTop(chat.view);
    for (int points : {14, 8, 10}) {
        chat.view.styles().setPointSize(points);
        chat.view.format();
        if (atEnd)
            QCOMPARE(bar->value(), bar->maximum());
        else
            QCOMPARE(lineAtTop(chat.view), top);
    }
}

void TestChatView::onlyTheLastLinesAreKept()
{
    Chat chat;
    QScrollBar *bar = chat.view.verticalScrollBar();
    chat.add(ChatModel::kMaxLines, QStringLiteral("1+A: line %1 www.%1.example"));
    bar->setSliderPosition(bar->maximum() / 2);
    const int top = lineAtTop(chat.view);
    const QString shown = chat.view.model().row(top).text;

    // Lines arriving while the player reads further up drop the oldest.
    for (int i = 0; i < 3; ++i)
        chat.log.addLine(QStringLiteral("1+A: new %1 www.new%1.example").arg(i), 0, false);
    QCOMPARE(chat.view.model().rowCount(), ChatModel::kMaxLines);
    QCOMPARE(chat.view.model().row(0).plainText(), QStringLiteral("A:  line 3 www.3.example "));
    QCOMPARE(chat.view.model().row(lineAtTop(chat.view)).text, shown);
    // The links of lines that went are gone; the others keep their numbers.
    QCOMPARE(chat.log.linkcount(), ChatModel::kMaxLines + 2);
    QCOMPARE(chat.log.link(2), std::nullopt);
    QCOMPARE(chat.log.link(3), std::optional<QString>(QStringLiteral("www.3.example ")));
    QCOMPARE(chat.log.link(ChatModel::kMaxLines + 2), std::optional<QString>(QStringLiteral("www.new2.example ")));

    // A line is cut, never refused, at its longest.
    chat.log.addLine(QStringLiteral("1+A: ") + QString(2 * ChatModel::kMaxLineLength, QLatin1Char('x')), 0, true);
    QCOMPARE(chat.view.model().row(ChatModel::kMaxLines - 1).text.size(), ChatModel::kMaxLineLength);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestChatView::screenReaderReadsEachLine()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("0+You are Connected."), 0xFF0000, true);
    chat.log.addLine(QStringLiteral("2+Ann chats: hi :)#12 and :)#27"), 0, true);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&chat.view);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->childCount(), 2);
    QAccessibleInterface *second = list->child(1);
    QCOMPARE(second->role(), QAccessible::ListItem);
    QCOMPARE(list->child(0)->text(QAccessible::Name), QStringLiteral(" You are Connected. "));
    QCOMPARE(second->text(QAccessible::Name), QStringLiteral("Ann chats:  hi   and  "));
    QCOMPARE(second->text(QAccessible::Description), QStringLiteral("Smilies: wink, heart"));
    QCOMPARE(list->indexOfChild(second), 1);
    QCOMPARE(second->parent(), list);
    const QRect shown = second->rect();
    QCOMPARE(list->childAt(shown.center().x(), shown.center().y()), second);

    // A line keeps its interface while older lines go, and is no longer
    // valid once it goes itself.
    chat.add(ChatModel::kMaxLines - 2, QStringLiteral("1+A: line %1"));
    QCOMPARE(list->indexOfChild(second), 1);
    chat.log.addLine(QStringLiteral("1+A: one more"), 0, true);
    QCOMPARE(list->indexOfChild(second), 0);
    QCOMPARE(list->child(0), second);
    chat.log.addLine(QStringLiteral("1+A: and one more"), 0, true);
    QVERIFY(!second->isValid());
    QCOMPARE(list->child(ChatModel::kMaxLines - 1)->text(QAccessible::Name), QStringLiteral("A:  and one more "));
}

// A link's accessible place must be where a click follows it, also after
// the text size moved it, and the link must go with its line.
void TestChatView::screenReaderFindsAndClicksALink()
{
    Chat chat;
    chat.log.addLine(QStringLiteral("1+A: www.one.example"), 0, true);
    chat.log.addLine(QStringLiteral("1+A: see www.two.example and www.three.example now"), 0, true);
    chat.view.styles().setPointSize(14);
    chat.view.format();
    QVERIFY(QTest::qWaitForWindowExposed(&chat.view));
    QSignalSpy jumps(&chat.view, &ChatView::jump);
    QAccessibleInterface *line = QAccessible::queryAccessibleInterface(&chat.view)->child(1);
    QCOMPARE(line->childCount(), 2);
    const QStringList names = {QStringLiteral("www.two.example"), QStringLiteral("www.three.example")};
    for (int i = 0; i < 2; ++i) {
        QAccessibleInterface *link = line->child(i);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), names[i]);
        QCOMPARE(link->parent(), line);
        QCOMPARE(line->indexOfChild(link), i);
        const QPoint at = chat.view.viewport()->mapFromGlobal(link->rect().center());
        QTest::mouseClick(chat.view.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(jumps.size(), 1);
        QCOMPARE(jumps.takeFirst()[0].toInt(), i + 1);
    }
    QAccessibleInterface *link = line->child(0);
    chat.add(ChatModel::kMaxLines, QStringLiteral("1+A: line %1"));
    QVERIFY(!link->isValid());
}

QTEST_MAIN(TestChatView)
#include "test_chatview.moc"
