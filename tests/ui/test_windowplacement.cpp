// Fitting a stored window placement to the screen it is shown on.
#include "ui/windowplacement.h"

#include <QtTest>

#include <limits>

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void fitsTheAvailableArea_data();
    void fitsTheAvailableArea();
};

void TestWindowPlacement::fitsTheAvailableArea_data()
{
    QTest::addColumn<QRect>("bounds");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("fitted");
    constexpr int kMax = std::numeric_limits<int>::max();
    // A second screen right of the first, below a top panel.
    const QRect second(1024, 32, 1280, 992);
    QTest::newRow("already on the screen") << QRect(1100, 100, 700, 600) << second << QRect(1100, 100, 700, 600);
    QTest::newRow("larger than the screen") << QRect(1030, 40, 5000, 5000) << second << second;
    QTest::newRow("largest size") << QRect(0, 0, kMax, kMax) << second << second;
    QTest::newRow("at the far corner") << QRect(kMax - 700, kMax - 600, 700, 600) << second
                                       << QRect(1604, 424, 700, 600);
    QTest::newRow("left of the screen") << QRect(-3000, 50, 700, 600) << second << QRect(1024, 50, 700, 600);
    QTest::newRow("below the minimum") << QRect(1100, 100, 10, 10) << second << QRect(1100, 100, 600, 560);
    // Nothing can make the window fit: its corner at the screen's.
    QTest::newRow("screen smaller than the minimum") << QRect(100, 100, 700, 600) << QRect(0, 0, 500, 400)
                                                     << QRect(0, 0, 600, 560);
}

void TestWindowPlacement::fitsTheAvailableArea()
{
    QFETCH(QRect, bounds);
    QFETCH(QRect, area);
    QFETCH(QRect, fitted);
    QCOMPARE(fitToScreen(bounds, area, QSize(600, 560)), fitted);
}

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_windowplacement.moc"
