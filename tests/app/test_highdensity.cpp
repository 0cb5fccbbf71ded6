// Screens of high density: every painted picture of the windows is drawn at
// the device pixel ratio of the screen it is on (not a picture of ratio 1
// scaled up), again when a window moves to a screen of another ratio, and
// the card's rules stay equally thick at any ratio.
#include "app/chatform.h"
#include "board/scorecardview.h"
#include "board/tileimages.h"
#include "dialogs/aboutform.h"
#include "dialogs/downloadform.h"
#include "ui/artwork.h"
#include "ui/controls.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <set>
#include <utility>

namespace {

// Two screens side by side, of ratio 1 and 2, for the offscreen platform.
// The platform makes the first by name the primary screen.
const char kScreens[] = R"({"screens": [
    {"name": "plain", "x": 0, "y": 0, "width": 1000, "height": 800, "dpr": 1},
    {"name": "dense", "x": 1000, "y": 0, "width": 1000, "height": 800, "dpr": 2}]})";

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// Some 2 x 2 block of device pixels is not of one colour, as every block
// of a picture of half the pixels scaled up would be.
bool finerThanHalfItsPixels(const QPixmap &picture)
{
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c || image.pixel(x + 1, y + 1) != c)
                return true;
        }
    }
    return false;
}

// Every picture of the window is of the ratio, of its control's size and,
// above ratio 1, finer than a picture of ratio 1.
void checkPictures(QWidget &window, qreal ratio)
{
    for (PictureBox *box : window.findChildren<PictureBox *>()) {
        box->show(); // hidden ones too
        const QPixmap picture = box->picture();
        if (picture.isNull())
            continue; // an empty rack place
        const QByteArray name = box->objectName().toLatin1();
        QVERIFY2(qFuzzyCompare(picture.devicePixelRatio(), ratio), name);
        if (!box->hasScaledContents())
            QVERIFY2(box->rect().contains(QRect(QPoint(), picture.deviceIndependentSize().toSize())), name);
        if (ratio > 1)
            QVERIFY2(finerThanHalfItsPixels(picture), name);
    }
}

bool showOn(QWidget &window, QScreen *screen)
{
    window.move(screen->geometry().topLeft() + QPoint(40, 40));
    window.show();
    return QTest::qWaitForWindowExposed(&window) && window.screen() == screen;
}

// The lengths of the runs of this colour up to limit device pixels long,
// along every row (or column) of the picture: the widths of the rules
// that cross it.
std::set<int> shortRuns(const QImage &image, QRgb colour, bool rows, int limit)
{
    std::set<int> lengths;
    const int lines = rows ? image.height() : image.width();
    const int length = rows ? image.width() : image.height();
    for (int line = 0; line < lines; ++line) {
        int run = 0;
        for (int at = 0; at <= length; ++at) {
            const bool inside = at < length && (rows ? image.pixel(at, line) : image.pixel(line, at)) == colour;
            if (inside) {
                ++run;
            } else if (run) {
                if (run <= limit)
                    lengths.insert(run);
                run = 0;
            }
        }
    }
    return lengths;
}

} // namespace

class TestHighDensity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesAreOfTheScreensRatio_data();
    void picturesAreOfTheScreensRatio();
    void picturesArePaintedAgainOnAnotherScreen();
    void rulesAreEquallyThick_data();
    void rulesAreEquallyThick();

private:
    QTemporaryDir m_runtime;
};

void TestHighDensity::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    QVERIFY(screenNamed(QStringLiteral("plain")));
    QCOMPARE(QGuiApplication::primaryScreen(), screenNamed(QStringLiteral("dense")));
}

void TestHighDensity::picturesAreOfTheScreensRatio_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("ratio 1") << "plain" << 1.0;
    QTest::newRow("ratio 2") << "dense" << 2.0;
}

void TestHighDensity::picturesAreOfTheScreensRatio()
{
    QFETCH(QString, screen);
    QFETCH(qreal, ratio);
    Tchat chat;
    QVERIFY(showOn(chat, screenNamed(screen)));
    checkPictures(chat, ratio);
    Tabout about;
    QVERIFY(showOn(about, screenNamed(screen)));
    checkPictures(about, ratio);
    // It centres itself on the primary screen, the dense one.
    Tdownload download;
    download.show();
    QVERIFY(QTest::qWaitForWindowExposed(&download));
    checkPictures(download, 2);

    // The tiles of the rack, not on the board of a window without a game.
    for (int i = 0; i < tileimages::kCount; ++i) {
        const QPixmap tile = tileimages::picture(i, ratio);
        QCOMPARE(tile.devicePixelRatio(), ratio);
        QCOMPARE(tile.size(), tileimages::picture(i, 1).size() * ratio);
        if (ratio > 1)
            QVERIFY2(finerThanHalfItsPixels(tile), qPrintable(tileimages::describe(i)));
    }
    for (int i = 0; i < artwork::kLittleCount; ++i)
        QCOMPARE(artwork::littlePicture(i, ratio).size(), artwork::littlePicture(i, 1).size() * ratio);
}

void TestHighDensity::picturesArePaintedAgainOnAnotherScreen()
{
    Tchat chat;
    QVERIFY(showOn(chat, screenNamed(QStringLiteral("plain"))));
    auto *card = chat.findChild<PictureBox *>(QStringLiteral("Image4"));
    QCOMPARE(card->picture().devicePixelRatio(), 1.0);

    chat.move(screenNamed(QStringLiteral("dense"))->geometry().topLeft() + QPoint(40, 40));
    QTRY_COMPARE(chat.screen(), screenNamed(QStringLiteral("dense")));
    chat.grab(); // as the screen shows it
    QCOMPARE(card->pixmap().devicePixelRatio(), 2.0);
    QVERIFY(finerThanHalfItsPixels(card->pixmap()));
}

void TestHighDensity::rulesAreEquallyThick_data()
{
    QTest::addColumn<qreal>("ratio");
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0})
        QTest::addRow("ratio %g", ratio) << ratio;
}

// A one-pixel line drawn at ratio 1.5 is one device pixel thick in some
// places and two in others: the grid would look uneven.
void TestHighDensity::rulesAreEquallyThick()
{
    QFETCH(qreal, ratio);
    // Where the marks' paint box lies on the card, as the window has them.
    Tchat chat;
    const QPoint offset = chat.findChild<QWidget *>(QStringLiteral("scorecard"))->pos()
                          - chat.findChild<QWidget *>(QStringLiteral("Image4"))->pos();
    // The colours of the rules between frames, between seats and around a
    // mark box, read from the card at ratio 1.
    const QImage plain = artwork::scorecardCard(1).toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect frame = ScoreCardView::frameRect(2, 2).translated(offset);
    const QPoint box = ScoreCardView::boxAt(2, 2, 1) + offset;
    const QRgb frameRule = plain.pixel(frame.left(), frame.center().y());
    const QRgb seatRule = plain.pixel(frame.center().x(), frame.top());
    const QRgb boxEdge = plain.pixel(box.x() - 1, box.y() + 4);

    const QImage card = artwork::scorecardCard(ratio).toImage().convertToFormat(QImage::Format_ARGB32);
    for (const auto &[colour, rows] : {std::pair(frameRule, true), std::pair(seatRule, false),
                                       std::pair(boxEdge, true), std::pair(boxEdge, false)}) {
        // Longer runs are rules along the line, no rule is thicker than this.
        const std::set<int> widths = shortRuns(card, colour, rows, 2 * qCeil(ratio) + 1);
        QCOMPARE(int(widths.size()), 1);
        QVERIFY(*widths.begin() <= qCeil(ratio));
    }
}

int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(kScreens) < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestHighDensity test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_highdensity.moc"
