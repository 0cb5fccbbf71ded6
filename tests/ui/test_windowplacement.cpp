#include "ui/windowplacement.h"

#include <QtTest>

// Under a Wayland compositor the position read back from a window is
// meaningless (-3, -30 on one compositor): saving it would move the window
// on the next start under X11.
class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheSizeIsKeptWhereTheCompositorPlaces_data();
    void onlyTheSizeIsKeptWhereTheCompositorPlaces();
};

void TestWindowPlacement::onlyTheSizeIsKeptWhereTheCompositorPlaces_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QRect>("kept");
    QTest::addColumn<QRect>("expected");

    const QRect stored(40, 50, 600, 580);
    const QRect moved(70, 90, 620, 590);
    QTest::newRow("X11 keeps where it was moved") << QStringLiteral("xcb") << stored << moved;
    QTest::newRow("Wayland keeps the stored position") << QStringLiteral("wayland") << stored
                                                       << QRect(40, 50, 620, 590);
    QTest::newRow("Wayland with EGL") << QStringLiteral("wayland-egl") << stored << QRect(40, 50, 620, 590);
}

void TestWindowPlacement::onlyTheSizeIsKeptWhereTheCompositorPlaces()
{
    QFETCH(QString, platform);
    QFETCH(QRect, kept);
    QFETCH(QRect, expected);
    const QRect shown(70, 90, 620, 590);
    QCOMPARE(keptBounds(shown, kept, compositorPlacesWindows(platform)), expected);
}

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_windowplacement.moc"
