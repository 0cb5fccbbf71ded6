// The board's widgets: they stand and read as the rack model says, and the
// mouse and keyboard reach the model through them.
#include "board/boardview.h"
#include "board/rackmodel.h"
#include "tests/hostmessages.h"
#include "board/tileimages.h"
#include "ui/controls.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

struct Board
{
    QWidget window;
    QWidget *panel = new QWidget(&window);
    RackModel rack;
    BoardView view{&rack, panel};

    Board()
    {
        window.resize(567, 335);
        panel->resize(567, 335);
        rack.setMyseat(1);
        rack.setLoggedIn(true);
        rack.theletters(dealOf("0+1+s+2+t+3+e+4+a+5+m+6+l+7+i+8+e+9+n+10+r"));
        rack.openBoard();
    }
};

} // namespace

class TestBoardView : public QObject
{
    Q_OBJECT

private slots:
    void mouseReachesTheModelAndPicturesFollowIt();
    void keysReadAsTheBoardsKeys_data();
    void keysReadAsTheBoardsKeys();
    void theChatLineWithTheFocusKeepsTheKeys();
    void menusAndHelpAnswerWhileTyping_data();
    void menusAndHelpAnswerWhileTyping();
};

void TestBoardView::mouseReachesTheModelAndPicturesFollowIt()
{
    Board board;
    const QPoint home4 = board.view.rackTile(4)->pos();
    const QPoint home7 = board.view.rackTile(7)->pos();
    QTest::mousePress(board.view.rackTile(4), Qt::RightButton);
    QTest::mousePress(board.view.rackTile(7), Qt::LeftButton);
    QTest::mousePress(board.view.rackTile(5), Qt::LeftButton);
    QTest::mousePress(board.view.rackTile(3), Qt::LeftButton);
    QTest::mousePress(board.view.rackTile(2), Qt::RightButton);
    QTest::mousePress(board.view.rackTile(9), Qt::MiddleButton);
    QTest::mousePress(board.view.rackTile(2), Qt::RightButton);
    QCOMPARE(board.rack.wordTiles(), (QList<int>{5, 3}));

    QCOMPARE(board.view.rackTile(4)->pos(), home7);
    QCOMPARE(board.view.rackTile(7)->pos(), home4);
    QVERIFY(board.view.rackTile(2)->y() < board.view.rackTile(1)->y());
    QVERIFY(board.view.rackTile(5)->pixmap().isNull());
    QCOMPARE(board.view.rackTile(5)->accessibleName(), QStringLiteral("Rack, tile 5 of 10: empty"));
    QCOMPARE(board.view.rackTile(8)->accessibleName(), QStringLiteral("Rack, tile 8 of 10: E"));
    // Named by its place on the screen, not its number.
    QCOMPARE(board.view.rackTile(4)->accessibleName(), QStringLiteral("Rack, tile 7 of 10: A"));
    QCOMPARE(board.view.wordSlot(1)->picture().cacheKey(),
             tileimages::picture(tileimages::numofletter(u'm')).cacheKey());
    QCOMPARE(board.view.wordSlot(1)->tag(), 5);
    QCOMPARE(board.view.wordSlot(1)->accessibleName(), QStringLiteral("Word, letter 1: M"));
    QCOMPARE(board.view.wordSlot(3)->accessibleName(), QStringLiteral("Word, letter 3: pin 3"));

    // Only the last letter of the word comes back.
    QTest::mouseClick(board.view.wordSlot(1), Qt::LeftButton);
    QTest::mouseClick(board.view.wordSlot(2), Qt::LeftButton);
    QCOMPARE(board.rack.wordTiles(), QList<int>{5});
    QCOMPARE(board.view.wordSlot(2)->accessibleName(), QStringLiteral("Word, letter 2: pin 2"));
    board.rack.acceptWord(1, 10, false);
    QCOMPARE(board.view.wordSlot(2)->accessibleName(), QStringLiteral("Word, letter 2: knocked-down pin"));
}

void TestBoardView::keysReadAsTheBoardsKeys_data()
{
    using Key = RackModel::Key;
    QTest::addColumn<int>("code");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<RackModel::Key>("key");
    QTest::addColumn<QString>("letter");

    const Qt::KeyboardModifiers none;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << Key::ToggleTyping << "";
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                               << Key::ToggleTyping << "";
    QTest::newRow("Return") << int(Qt::Key_Return) << none << Key::Send << "";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << Key::Send
                                  << "";
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << Key::Erase << "";
    QTest::newRow("1") << int(Qt::Key_1) << none << Key::Clear << "";
    QTest::newRow("Esc clears too") << int(Qt::Key_Escape) << none << Key::Clear << "";
    QTest::newRow("keypad 1 is no clear") << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                          << Key::Other << "";
    QTest::newRow("6") << int(Qt::Key_6) << none << Key::Shuffle << "";
    QTest::newRow("keypad 6 is no shuffle") << int(Qt::Key_6) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                            << Key::Other << "";
    QTest::newRow("Space") << int(Qt::Key_Space) << none << Key::Space << "";
    QTest::newRow("A") << int(Qt::Key_A) << none << Key::Letter << "a";
    QTest::newRow("Ctrl+Z is the window's") << int(Qt::Key_Z) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                            << Key::Window << "z";
    QTest::newRow("Alt+F is the window's") << int(Qt::Key_F) << Qt::KeyboardModifiers(Qt::AltModifier)
                                           << Key::Window << "f";
    QTest::newRow("2") << int(Qt::Key_2) << none << Key::Other << "";
    QTest::newRow("F1 is the window's") << int(Qt::Key_F1) << none << Key::Window << "";
}

void TestBoardView::keysReadAsTheBoardsKeys()
{
    QFETCH(int, code);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(RackModel::Key, key);
    QFETCH(QString, letter);
    QCOMPARE(BoardView::boardKey(code, modifiers), key);
    QCOMPARE(BoardView::myletter(code), letter);
}

void TestBoardView::theChatLineWithTheFocusKeepsTheKeys()
{
    // Typing once took every key in the own turn: a line chatted then was
    // played as a word and never reached the chat.
    Board board;
    board.rack.closeBoard();
    auto *chatLine = new QLineEdit(&board.window);
    chatLine->move(0, 340);
    (new QPushButton(&board.window))->move(0, 370);
    auto *help = new QAction(&board.window);
    help->setShortcut(Qt::Key_F1);
    board.window.addAction(help);
    QSignalSpy helped(help, &QAction::triggered);
    QSignalSpy sent(&board.rack, &RackModel::sendword);
    board.view.watchKeys(&board.window);
    board.view.shareKeysWith(chatLine, [chatLine] { return chatLine->text().isEmpty(); });
    board.window.show();
    QApplication::setActiveWindow(&board.window);
    chatLine->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&board.window));
    const auto type = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    QWidget *mark = board.view.typingMark();

    type(Qt::Key_M);
    type(Qt::Key_F1);
    QCOMPARE(chatLine->text(), QStringLiteral("m"));
    QCOMPARE(helped.count(), 1);

    // The turn comes while a line is being chatted: the line keeps the keys.
    board.rack.setTypeWords(true);
    board.rack.openBoard();
    QVERIFY(chatLine->hasFocus() && !mark->isVisible());
    type(Qt::Key_I);
    type(Qt::Key_Return);
    QCOMPARE(chatLine->text(), QStringLiteral("mi"));
    QVERIFY(board.rack.wordTiles().isEmpty() && sent.isEmpty());
    // Tab from the chat line gives the keys to the board, before the button.
    type(Qt::Key_Tab);
    QVERIFY(board.panel->hasFocus());
    chatLine->setFocus();

    // A click on the board gives it the keys, and the mark shows where the
    // next letter goes; F1 still opens the help, and Esc clears the word.
    QTest::mousePress(board.view.rackTile(5), Qt::LeftButton);
    QVERIFY(!chatLine->hasFocus());
    type(Qt::Key_I);
    type(Qt::Key_F1);
    QCOMPARE(board.rack.wordTiles(), (QList<int>{5, 7}));
    QCOMPARE(helped.count(), 2);
    QVERIFY(mark->isVisible());
    QCOMPARE(mark->pos(), board.view.wordSlot(3)->mapTo(board.panel, QPoint()));
    type(Qt::Key_Escape);
    QVERIFY(board.rack.wordTiles().isEmpty());

    // Tab ends typing, and the keys are the chat line's again.
    type(Qt::Key_Tab);
    QVERIFY(chatLine->hasFocus() && !mark->isVisible());
    type(Qt::Key_E);
    QCOMPARE(chatLine->text(), QStringLiteral("mie"));

    // A turn that comes while the chat line is idle takes the keys, and
    // gives them back when it ends.
    chatLine->clear();
    board.rack.closeBoard();
    board.rack.setTypeWords(true);
    board.rack.openBoard();
    QVERIFY(!chatLine->hasFocus() && mark->isVisible());
    type(Qt::Key_S);
    QCOMPARE(board.rack.wordTiles(), QList<int>{1});
    board.rack.closeBoard();
    QVERIFY(chatLine->hasFocus() && !mark->isVisible());
    type(Qt::Key_T);
    QCOMPARE(chatLine->text(), QStringLiteral("t"));
}

void TestBoardView::menusAndHelpAnswerWhileTyping_data()
{
    QTest::addColumn<QKeySequence>("sequence");
    QTest::newRow("F1") << QKeySequence(Qt::Key_F1);
    QTest::newRow("F10") << QKeySequence(Qt::Key_F10);
    QTest::newRow("Alt+F") << QKeySequence(Qt::ALT | Qt::Key_F);
    QTest::newRow("Alt+O") << QKeySequence(Qt::ALT | Qt::Key_O);
    QTest::newRow("Ctrl+S, s on the rack") << QKeySequence(Qt::CTRL | Qt::Key_S);
}

// With Type Words on, the board once took every key of the own turn, so
// that neither the menus nor the help could be reached from the keyboard.
void TestBoardView::menusAndHelpAnswerWhileTyping()
{
    QFETCH(QKeySequence, sequence);
    const QKeyCombination key = sequence[0];
    Board board;
    auto *action = new QAction(&board.window);
    action->setShortcut(sequence);
    board.window.addAction(action);
    QSignalSpy triggered(action, &QAction::triggered);
    board.view.watchKeys(&board.window);
    board.rack.setTypeWords(true);
    board.window.show();
    QApplication::setActiveWindow(&board.window);
    board.panel->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&board.window));
    QTest::keyClick(board.panel, key.key(), key.keyboardModifiers());
    QCOMPARE(triggered.count(), 1);
    QVERIFY(board.rack.wordTiles().isEmpty());
    // The letter alone is still the word's.
    QTest::keyClick(board.panel, Qt::Key_S);
    QCOMPARE(board.rack.wordTiles(), QList<int>{1});
}

QTEST_MAIN(TestBoardView)
#include "test_boardview.moc"
