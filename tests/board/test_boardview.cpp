// The board's widgets: they stand and read as the rack model says, and the
// mouse and keyboard reach the model through them.
#include "board/boardview.h"
#include "board/rackmodel.h"
#include "tests/hostmessages.h"
#include "board/tileimages.h"
#include "ui/controls.h"

#include <QAction>
#include <QLineEdit>
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
    void typingGoesToTheBoardNotTheFocusedControl();
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
    QCOMPARE(board.rack.wordTiles(), (QList<int>{5, 3}));

    QCOMPARE(board.view.rackTile(4)->pos(), home7);
    QCOMPARE(board.view.rackTile(7)->pos(), home4);
    QVERIFY(board.view.rackTile(2)->y() < board.view.rackTile(1)->y());
    QVERIFY(board.view.rackTile(5)->pixmap().isNull());
    QCOMPARE(board.view.rackTile(5)->accessibleName(), QStringLiteral("empty rack place"));
    QCOMPARE(board.view.rackTile(8)->accessibleName(), QStringLiteral("E"));
    QCOMPARE(board.view.wordSlot(1)->pixmap().cacheKey(),
             tileimages::picture(tileimages::numofletter(u'm')).cacheKey());
    QCOMPARE(board.view.wordSlot(1)->tag(), 5);
    QCOMPARE(board.view.wordSlot(1)->accessibleName(), QStringLiteral("M"));
    QCOMPARE(board.view.wordSlot(3)->accessibleName(), QStringLiteral("pin 3"));

    // Only the last letter of the word comes back.
    QTest::mouseClick(board.view.wordSlot(1), Qt::LeftButton);
    QTest::mouseClick(board.view.wordSlot(2), Qt::LeftButton);
    QCOMPARE(board.rack.wordTiles(), QList<int>{5});
    QCOMPARE(board.view.wordSlot(2)->accessibleName(), QStringLiteral("pin 2"));
    board.rack.acceptWord(1, 10, false);
    QCOMPARE(board.view.wordSlot(2)->accessibleName(), QStringLiteral("knocked-down pin"));
}

void TestBoardView::typingGoesToTheBoardNotTheFocusedControl()
{
    Board board;
    auto *chatLine = new QLineEdit(&board.window);
    chatLine->move(0, 340);
    auto *help = new QAction(&board.window);
    help->setShortcut(Qt::Key_F1);
    board.window.addAction(help);
    QSignalSpy helped(help, &QAction::triggered);
    board.view.watchKeys(&board.window);
    board.window.show();
    QApplication::setActiveWindow(&board.window);
    chatLine->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&board.window));

    QTest::keyClick(chatLine, Qt::Key_M);
    QCOMPARE(chatLine->text(), QStringLiteral("m"));
    QTest::keyClick(chatLine, Qt::Key_F1);
    QCOMPARE(helped.count(), 1);

    board.rack.setTypeWords(true);
    QTest::keyClick(chatLine, Qt::Key_I);
    QTest::keyClick(chatLine, Qt::Key_F1);
    QCOMPARE(chatLine->text(), QStringLiteral("m"));
    QCOMPARE(helped.count(), 1);
    QCOMPARE(board.rack.wordTiles(), QList<int>{7});

    // Out of turn the keys are the chat line's again.
    board.rack.closeBoard();
    QTest::keyClick(chatLine, Qt::Key_E);
    QCOMPARE(chatLine->text(), QStringLiteral("me"));
}

QTEST_MAIN(TestBoardView)
#include "test_boardview.moc"
