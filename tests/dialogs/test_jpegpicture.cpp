// The dialog's JPEG decoder: good pictures come out whole, damaged ones
// give nothing and never bring the program down.
#include "dialogs/jpegpicture.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

namespace {

// Left half red, right half blue, written by Qt's own JPEG writer.
QByteArray twoColourJpeg(const QSize &size, QImage::Format format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(220, 30, 30));
    for (int y = 0; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(30, 30, 220));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(format).save(&buffer, "JPEG", 95);
    return bytes;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 12 && qAbs(qGreen(a) - qGreen(b)) <= 12 && qAbs(qBlue(a) - qBlue(b)) <= 12;
}

QByteArray flipped(QByteArray bytes, qsizetype at)
{
    bytes[at] = char(bytes.at(at) ^ 0x10);
    return bytes;
}

} // namespace

class TestJpegPicture : public QObject
{
    Q_OBJECT

private slots:
    void goodPictureDecodes_data();
    void goodPictureDecodes();
    void dialogPictureDecodes();
    void damagedPictureGivesNothing_data();
    void damagedPictureGivesNothing();
};

void TestJpegPicture::goodPictureDecodes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("grey");
    QTest::newRow("colour") << QSize(64, 32) << false;
    QTest::newRow("odd size") << QSize(37, 23) << false;
    QTest::newRow("greyscale") << QSize(40, 24) << true;
}

void TestJpegPicture::goodPictureDecodes()
{
    QFETCH(QSize, size);
    QFETCH(bool, grey);
    const QByteArray jpeg = twoColourJpeg(size, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    const QImage image = decodeJpeg(jpeg);
    QCOMPARE(image.size(), size);
    const QImage expected = QImage::fromData(jpeg, "JPEG");
    for (const QPoint at : {QPoint(2, 2), QPoint(size.width() - 3, size.height() - 3)})
        QVERIFY2(near(image.pixel(at), expected.pixel(at)), qPrintable(QString::number(image.pixel(at), 16)));
    if (!grey)
        QVERIFY(near(image.pixel(2, size.height() - 1), qRgb(220, 30, 30)));
}

void TestJpegPicture::dialogPictureDecodes()
{
    QFile file(QStringLiteral(":/dialogs/pictures/lobby.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    const QImage image = decodeJpeg(jpeg);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QImage::fromData(jpeg, "JPEG").size());
}

void TestJpegPicture::damagedPictureGivesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = twoColourJpeg(QSize(64, 48), QImage::Format_RGB32);
    const qsizetype scan = good.indexOf("\xFF\xDA") + 16;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a JPEG") << QByteArray("GIF89a, not a JPEG at all");
    QTest::newRow("header only") << good.left(scan);
    QTest::newRow("truncated scan") << good.left((scan + good.size()) / 2);
    QTest::newRow("end marker missing") << good.chopped(2);
    QTest::newRow("start marker flipped") << flipped(good, 1);
    QTest::newRow("scan marker flipped") << flipped(good, scan - 15);
    QTest::newRow("scan data flipped") << flipped(good, scan + 8);
}

void TestJpegPicture::damagedPictureGivesNothing()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(decodeJpeg(bytes).isNull());
}

QTEST_MAIN(TestJpegPicture)
#include "test_jpegpicture.moc"
