// The main window's side of the settings: what a load sets, and the Options
// menu's handlers, each of which saves at once.
#include "app/chatform.h"
#include "ui/controls.h"
#include "base/errordisplay.h"
#include "chat/chatedit.h"
#include "chat/chatview.h"
#include "testfiles.h"

#include <QColorDialog>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The window under test, with its settings file in a folder of its own.
struct Window
{
    QTemporaryDir dir;
    Tchat chat;
    Window() { chat.inifile = dir.filePath(QStringLiteral("orviklobby.ini")); }
    QByteArray saved() const { return contentsOf(chat.inifile); }
};

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadAppliesTheFileToWindowAndMenus();
    void loadWithoutFileChecksBothSoundOptions();
    void loadedTextSizeChecksOnlyItsOwnItem_data();
    void loadedTextSizeChecksOnlyItsOwnItem();
    void optionsSaveAtOnce_data();
    void optionsSaveAtOnce();
    void textColourIsSavedOnlyWhenConfirmed();
    void saveBeforeLoadWritesTheDesignState();
    void refusedSaveIsShownAsAnError();
    void closeWithoutMovingWritesNothing();
    void storedPlacementFitsTheScreen_data();
    void storedPlacementFitsTheScreen();

private:
    QTemporaryDir m_runtime;
    QStringList m_errors;
};

void TestOptions::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    setErrorSink([this](const QString &message) { m_errors << message; });
}

void TestOptions::loadAppliesTheFileToWindowAndMenus()
{
    Window w;
    writeFile(w.chat.inifile, "[Lobby]\nTop=1\n[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\nTextsize=14\n"
                              "Textcolor=clRed\nTimeperturn=90\nTurnsound=1\nTimebetween=15\nType=true\n"
                              "Usespace=true\nShowbadword=false\nClearwords=true\nPlaysounds=false\n"
                              "ChatterSounds=false\nPhrase2=Strike!\nPhrase4=\n");
    w.chat.show();
    w.chat.loadinifile();
    QCOMPARE(w.chat.placement, QRect(50, 40, 700, 650));
    QTRY_COMPARE(w.chat.windowBounds(), QRect(50, 40, 700, 650));
    for (int style = 0; style < ChatStyles::kCount; ++style)
        QCOMPARE(w.chat.mainchat->styles()[style].pointSize, 14);
    QVERIFY(w.chat.N14->isChecked());
    QCOMPARE(w.chat.chatColour, quint32(0x0000FF));
    QCOMPARE(w.chat.mychat->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(w.chat.timePerTurn, 90);
    QVERIFY(w.chat.New1->isChecked() && !w.chat.Classic1->isChecked());
    QCOMPARE(w.chat.TurnSound1->data().toInt(), 1);
    QVERIFY(w.chat.Fast1->isChecked() && !w.chat.Normal1->isChecked());
    QCOMPARE(w.chat.timebetween->data().toInt(), 15);
    QVERIFY(w.chat.TypeWords1->isChecked() && w.chat.usespace->isChecked() && w.chat.clearwords1->isChecked());
    QVERIFY(!w.chat.showbadword->isChecked());
    QVERIFY(!w.chat.PlaySounds1->isChecked() && !w.chat.PlayChatterSounds1->isChecked());
    QCOMPARE(w.chat.b_phrase[2]->toolTip(), QStringLiteral("Strike!"));
    // An empty stored phrase leaves the button's phrase as it is.
    QCOMPARE(w.chat.b_phrase[4]->toolTip(), QStringLiteral("Excellent!"));
}

void TestOptions::loadWithoutFileChecksBothSoundOptions()
{
    Window w;
    QVERIFY(!w.chat.PlayChatterSounds1->isChecked());
    w.chat.timePerTurn = 75;
    w.chat.loadinifile();
    QVERIFY(w.chat.PlaySounds1->isChecked() && w.chat.PlayChatterSounds1->isChecked());
    QVERIFY(w.chat.showbadword->isChecked());
    QCOMPARE(w.chat.mainchat->styles()[7].pointSize, 8);
    QVERIFY(w.chat.N8->isChecked());
    // The default "1" is below the control's range, which keeps it in range.
    QCOMPARE(w.chat.timePerTurn, Tchat::kMinTimePerTurn);
    QVERIFY(w.saved().isEmpty());
}

void TestOptions::loadedTextSizeChecksOnlyItsOwnItem_data()
{
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("checked");   // items checked after the load
    QTest::newRow("11: no item") << QByteArray("11") << 11 << "";
    QTest::newRow("12: its item alone") << QByteArray("12") << 12 << "N12";
    QTest::newRow("hex 0xC") << QByteArray("0xC") << 12 << "N12";
    QTest::newRow("absurd size is kept readable") << QByteArray("100000") << ChatStyles::kMaxPointSize << "";
}

void TestOptions::loadedTextSizeChecksOnlyItsOwnItem()
{
    QFETCH(QByteArray, size);
    QFETCH(int, points);
    QFETCH(QString, checked);
    Window w;
    w.chat.N10->setChecked(true);
    writeFile(w.chat.inifile, "[Pinlex]\nTextsize=" + size + "\n");
    w.chat.loadinifile();
    QCOMPARE(w.chat.mainchat->styles()[0].pointSize, points);
    QStringList items;
    for (QAction *item : {w.chat.N8, w.chat.N10, w.chat.N12, w.chat.N14}) {
        if (item->isChecked())
            items << item->objectName();
    }
    QCOMPARE(items.join(QLatin1Char(' ')), checked);
}

void TestOptions::optionsSaveAtOnce_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QByteArray>("line");   // a line of the saved file
    QTest::addColumn<bool>("checked");
    QTest::newRow("Play Sounds") << "PlaySounds1" << QByteArray("\nPlaysounds=false\n") << false;
    QTest::newRow("Play Chatter Sounds") << "PlayChatterSounds1" << QByteArray("\nChatterSounds=true\n") << true;
    QTest::newRow("New") << "New1" << QByteArray("\nTurnsound=1\n") << true;
    QTest::newRow("Type Words") << "TypeWords1" << QByteArray("\nType=true\n") << true;
    QTest::newRow("Use Space to Sort") << "usespace" << QByteArray("\nUsespace=true\n") << true;
    QTest::newRow("Automatically Clear") << "clearwords1" << QByteArray("\nClearwords=true\n") << true;
    QTest::newRow("Short") << "Slow1" << QByteArray("\nTimebetween=5\n") << true;
    QTest::newRow("Long") << "Fast1" << QByteArray("\nTimebetween=15\n") << true;
    QTest::newRow("Show Invalid Word Panel") << "showbadword" << QByteArray("\nShowbadword=false\n") << false;
    QTest::newRow("Text Size 14") << "N14" << QByteArray("\nTextsize=14\n") << true;
}

void TestOptions::optionsSaveAtOnce()
{
    QFETCH(QString, item);
    QFETCH(QByteArray, line);
    QFETCH(bool, checked);
    Window w;
    auto *action = w.chat.findChild<QAction *>(item);
    QVERIFY(action);
    action->trigger();
    QVERIFY2(w.saved().contains(line), w.saved().constData());
    QCOMPARE(action->isChecked(), checked);

    // Radio items: the other items of the choice lose their checks, and a
    // second click on the chosen item keeps it chosen.
    if (item == QLatin1String("New1"))
        QVERIFY(!w.chat.Classic1->isChecked());
    if (item == QLatin1String("Fast1")) {
        QVERIFY(!w.chat.Normal1->isChecked() && !w.chat.Slow1->isChecked());
        w.chat.Fast1->trigger();
        QVERIFY(w.chat.Fast1->isChecked());
        QCOMPARE(w.chat.timebetween->data().toInt(), 15);
    }
    if (item == QLatin1String("N14")) {
        for (int style = 0; style < ChatStyles::kCount; ++style)
            QCOMPARE(w.chat.mainchat->styles()[style].pointSize, 14);
    }
}

void TestOptions::textColourIsSavedOnlyWhenConfirmed()
{
    Window w;
    w.chat.TextColor1->trigger();
    QVERIFY(w.chat.ColorDialog->isVisible());
    w.chat.ColorDialog->setCurrentColor(Qt::green);
    w.chat.ColorDialog->reject();
    QVERIFY(w.saved().isEmpty());
    QCOMPARE(w.chat.chatColour, quint32(0));

    w.chat.TextColor1->trigger();
    QCOMPARE(w.chat.ColorDialog->currentColor(), QColor(Qt::black));
    w.chat.ColorDialog->setCurrentColor(QColor(0xD0, 0xE0, 0xF0));
    w.chat.ColorDialog->accept();
    QCOMPARE(w.chat.chatColour, quint32(0x00F0E0D0));
    QVERIFY(w.saved().contains("\nTextcolor=$00F0E0D0\n"));
    QCOMPARE(w.chat.mychat->palette().color(QPalette::Text), QColor(0xD0, 0xE0, 0xF0));
}

void TestOptions::saveBeforeLoadWritesTheDesignState()
{
    Window w;
    writeFile(w.chat.inifile, "[Pinlex]\nPhrase1=Strike!\nTextsize=14\nTimebetween=5\n");
    w.chat.saveinifile();
    const QByteArray saved = w.saved();
    for (const char *line : {"Textsize=10\n", "Textcolor=clBlack\n", "Timeperturn=60\n", "Turnsound=0\n",
                             "Timebetween=10\n", "Type=false\n", "Showbadword=true\n", "Playsounds=true\n",
                             "ChatterSounds=false\n", "Phrase1=Strike!\n"})
        QVERIFY2(saved.contains(line), line);
}

void TestOptions::refusedSaveIsShownAsAnError()
{
    Window w;
    writeFile(w.dir.filePath(QStringLiteral("file")), "x");
    w.chat.inifile = w.dir.filePath(QStringLiteral("file/orviklobby.ini"));
    m_errors.clear();
    w.chat.PlaySounds1->trigger();
    QCOMPARE(m_errors, QStringList{QStringLiteral("Unable to write to ") + w.chat.inifile});
}

void TestOptions::closeWithoutMovingWritesNothing()
{
    Window w;
    writeFile(w.chat.inifile, "[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\n");
    w.chat.show();
    w.chat.loadinifile();
    QTRY_COMPARE(w.chat.windowBounds(), w.chat.placement);
    QVERIFY(w.chat.FormClose());
    QCOMPARE(w.saved(), QByteArray("[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\n"));

    w.chat.setWindowBounds(QRect(60, 40, 700, 650));
    QTRY_COMPARE(w.chat.windowBounds().left(), 60);
    QVERIFY(w.chat.FormClose());
    QVERIFY(w.saved().startsWith("[Pinlex]\nTop=40\nLeft=60\nWidth=700\nHeight=650\nTextsize="));
}

void TestOptions::storedPlacementFitsTheScreen_data()
{
    QTest::addColumn<QByteArray>("placement");
    QTest::newRow("largest numbers") << QByteArray("Top=2147483647\nLeft=-2147483648\nWidth=2147483647\n"
                                                   "Height=2147483647\n");
    QTest::newRow("20000 square") << QByteArray("Width=20000\nHeight=20000\n");
    QTest::newRow("beyond the right and bottom") << QByteArray("Top=90000\nLeft=90000\n");
    QTest::newRow("smaller than the board") << QByteArray("Width=10\nHeight=-5\n");
}

// A window of the stored size took gigabytes: the placement read from the
// file is fitted to the screen, and the board still fits in the window.
void TestOptions::storedPlacementFitsTheScreen()
{
    QFETCH(QByteArray, placement);
    Window w;
    writeFile(w.chat.inifile, "[Pinlex]\n" + placement);
    w.chat.show();
    w.chat.loadinifile();
    const QRect screen = w.chat.screen()->availableGeometry();
    QVERIFY2(screen.contains(w.chat.placement), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(w.chat.placement.x())
             .arg(w.chat.placement.y()).arg(w.chat.placement.width()).arg(w.chat.placement.height())));
    QTRY_COMPARE(w.chat.windowBounds(), w.chat.placement);
    QVERIFY(w.chat.centralWidget()->width() >= w.chat.centralWidget()->minimumWidth());
    QVERIFY(w.chat.centralWidget()->height() >= w.chat.centralWidget()->minimumHeight());
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
