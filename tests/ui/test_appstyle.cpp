#include "ui/appstyle.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>
#include <QTest>

class TestAppStyle : public QObject
{
    Q_OBJECT

private slots:
    // A window with a menu bar is made before its first frame: nothing in it
    // may make Qt load the image-format plugins, and the painted overflow
    // arrows are still there, sharp at any ratio.
    void menuBarLoadsNoImagePlugin()
    {
        appstyle::use();
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("&File"));
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("/imageformats/"));

        for (const QStyle::StandardPixmap which :
             {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
            const QPixmap arrows = QApplication::style()->standardIcon(which).pixmap(QSize(16, 16), 2.0);
            QCOMPARE(arrows.devicePixelRatio(), 2.0);
            QCOMPARE(arrows.size(), QSize(32, 32));
            const QImage image = arrows.toImage();
            int inked = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    inked += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(inked > 20 && inked < 32 * 32 / 2, qPrintable(QString::number(inked)));
        }
    }
};

QTEST_MAIN(TestAppStyle)
#include "test_appstyle.moc"
