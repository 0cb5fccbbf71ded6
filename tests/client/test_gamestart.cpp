// The game options dialog, driven from the keyboard alone.
#include "client/gamestartform.h"
#include "ui/controls.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

class TestGameStart : public QObject
{
    Q_OBJECT

private slots:
    void everyControlIsReachedAndEnterStarts();
};

// Tab reached only the time, the computer players and their strength: the
// team choice and Start Game could not be used without a mouse.
void TestGameStart::everyControlIsReachedAndEnterStarts()
{
    Tgamestart dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.UpDown2->setFocus();
    QList<QWidget *> order{QApplication::focusWidget()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget();
    }
    QCOMPARE(order, (QList<QWidget *>{dialog.UpDown2, dialog.image_team, dialog.robots, dialog.strength,
                                      dialog.Image1, dialog.UpDown2}));

    QSignalSpy started(&dialog, &Tgamestart::startRequested);
    QTest::keyClick(dialog.image_team, Qt::Key_Space);
    QVERIFY(dialog.teamGame());
    QTest::keyClick(dialog.robots, Qt::Key_Return);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(1).toBool(), true);
    QVERIFY(!dialog.isVisible());

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.Image1, Qt::Key_Space);
    QCOMPARE(started.count(), 2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.strength, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(started.count(), 2);
}

QTEST_MAIN(TestGameStart)
#include "test_gamestart.moc"
