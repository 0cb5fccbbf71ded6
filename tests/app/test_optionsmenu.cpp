// The window's side of the options: the menus and the chat show the
// options model, the menus set it, and the window keeps its placement.
#include "app/chatform.h"
#include "app/session.h"
#include "client/roster.h"
#include "base/errordisplay.h"
#include "chat/chatedit.h"
#include "chat/chatview.h"
#include "ui/controls.h"
#include "../settings/testfiles.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The window under test, with its settings file in a folder of its own.
struct Window
{
    QTemporaryDir dir;
    Tchat chat;
    Options &options = chat.session().options;
    Window() { options.setFileName(dir.filePath(QStringLiteral("orviklobby.ini"))); }
    QByteArray saved() const { return contentsOf(options.fileName()); }
    template <typename T = QAction>
    T *find(const char *name) const { return chat.findChild<T *>(QLatin1String(name)); }
    // The names of the checked items among these.
    QString checked(std::initializer_list<const char *> names) const
    {
        QStringList items;
        for (const char *name : names) {
            if (find(name)->isChecked())
                items << QLatin1String(name);
        }
        return items.join(QLatin1Char(' '));
    }
};

QString text(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestOptionsMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void menusAndChatShowTheLoadedOptions();
    void loadedTextSizeChecksOnlyItsOwnItem_data();
    void loadedTextSizeChecksOnlyItsOwnItem();
    void itemsSetTheOptionAndSaveAtOnce_data();
    void itemsSetTheOptionAndSaveAtOnce();
    void textColourIsSetOnlyWhenConfirmed();
    void closeWritesOnlyWhenTheWindowMoved();
    void storedPlacementFitsTheScreen_data();
    void storedPlacementFitsTheScreen();

private:
    QTemporaryDir m_runtime;
};

void TestOptionsMenu::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    setErrorSink([](const QString &) {});
}

void TestOptionsMenu::menusAndChatShowTheLoadedOptions()
{
    Window w;
    QCOMPARE(w.checked({"PlaySounds1", "PlayChatterSounds1", "Classic1", "New1", "Normal1", "showbadword", "N10",
                        "RobotChatter1", "TypeWords1"}),
             QStringLiteral("PlaySounds1 Classic1 Normal1 showbadword N10 RobotChatter1"));
    writeFile(w.options.fileName(), "[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\nTextsize=14\n"
                                    "Textcolor=clRed\nTurnsound=1\nTimebetween=15\nType=true\nUsespace=true\n"
                                    "Showbadword=false\nClearwords=true\nPlaysounds=false\nPhrase2=Strike!\n");
    w.chat.show();
    w.chat.session().roster.ownArrival();   // the host seated us: the window loads
    QTRY_COMPARE(w.chat.windowBounds(), QRect(50, 40, 700, 650));
    QCOMPARE(w.checked({"PlaySounds1", "PlayChatterSounds1", "Classic1", "New1", "Slow1", "Normal1", "Fast1",
                        "TypeWords1", "usespace", "clearwords1", "showbadword", "N12", "N14"}),
             QStringLiteral("PlayChatterSounds1 New1 Fast1 TypeWords1 usespace clearwords1 N14"));
    for (int style = 0; style < ChatStyles::kCount; ++style)
        QCOMPARE(w.find<ChatView>("mainchat")->styles()[style].pointSize, 14);
    QCOMPARE(w.find<ChatEdit>("mychat")->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(w.find<QWidget>("b_phrase2")->toolTip(), QStringLiteral("Strike!"));
    QCOMPARE(w.find<QWidget>("b_phrase4")->toolTip(), QStringLiteral("Excellent!"));
    // The window's own switch of Type Words reaches the menu.
    w.options.setTypeWords(false);
    QVERIFY(!w.find("TypeWords1")->isChecked());
}

void TestOptionsMenu::loadedTextSizeChecksOnlyItsOwnItem_data()
{
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("checked");   // items checked after the load
    QTest::newRow("11: no item") << QByteArray("11") << 11 << "";
    QTest::newRow("12: its item alone") << QByteArray("12") << 12 << "N12";
    QTest::newRow("hex 0xC") << QByteArray("0xC") << 12 << "N12";
    QTest::newRow("absurd size is kept readable") << QByteArray("100000") << ChatStyles::kMaxPointSize << "";
    QTest::newRow("none: 8") << QByteArray() << 8 << "N8";
}

void TestOptionsMenu::loadedTextSizeChecksOnlyItsOwnItem()
{
    QFETCH(QByteArray, size);
    QFETCH(int, points);
    QFETCH(QString, checked);
    Window w;
    if (!size.isEmpty())
        writeFile(w.options.fileName(), "[Pinlex]\nTextsize=" + size + "\n");
    w.options.load();
    QCOMPARE(w.find<ChatView>("mainchat")->styles()[0].pointSize, points);
    QCOMPARE(w.checked({"N8", "N10", "N12", "N14"}), checked);
}

void TestOptionsMenu::itemsSetTheOptionAndSaveAtOnce_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QByteArray>("line");   // a line of the saved file
    QTest::addColumn<QString>("checked");   // of the item and its neighbours
    QTest::newRow("Play Sounds") << "PlaySounds1" << QByteArray("\nPlaysounds=false\n") << "";
    QTest::newRow("Play Chatter Sounds") << "PlayChatterSounds1" << QByteArray("\nChatterSounds=true\n")
                                         << "PlayChatterSounds1";
    QTest::newRow("New") << "New1" << QByteArray("\nTurnsound=1\n") << "New1";
    QTest::newRow("Type Words") << "TypeWords1" << QByteArray("\nType=true\n") << "TypeWords1";
    QTest::newRow("Use Space to Sort") << "usespace" << QByteArray("\nUsespace=true\n") << "usespace";
    QTest::newRow("Automatically Clear") << "clearwords1" << QByteArray("\nClearwords=true\n") << "clearwords1";
    QTest::newRow("Short") << "Slow1" << QByteArray("\nTimebetween=5\n") << "Slow1";
    QTest::newRow("Long") << "Fast1" << QByteArray("\nTimebetween=15\n") << "Fast1";
    QTest::newRow("Show Invalid Word Panel") << "showbadword" << QByteArray("\nShowbadword=false\n") << "";
    QTest::newRow("Text Size 14") << "N14" << QByteArray("\nTextsize=14\n") << "N14";
    QTest::newRow("Computer Players Chat") << "RobotChatter1" << QByteArray("\nRobotchatter=false\n") << "";
    QTest::newRow("Show Word Definitions") << "ShowDefinitions1" << QByteArray("\nShowDefinitions=true\n")
                                           << "ShowDefinitions1";
}

void TestOptionsMenu::itemsSetTheOptionAndSaveAtOnce()
{
    QFETCH(QString, item);
    QFETCH(QByteArray, line);
    QFETCH(QString, checked);
    Window w;
    QAction *action = w.find(item.toLatin1().constData());
    QVERIFY(action);
    const QList<QAction *> neighbours = action->actionGroup() ? action->actionGroup()->actions()
                                                              : QList<QAction *>{action};
    const auto checkedNow = [&] {
        QStringList names;
        for (QAction *a : neighbours) {
            if (a->isChecked())
                names << a->objectName();
        }
        return names.join(QLatin1Char(' '));
    };
    action->trigger();
    QVERIFY2(w.saved().contains(line), w.saved().constData());
    QCOMPARE(checkedNow(), checked);
    // A second click on a chosen radio item keeps it chosen.
    if (action->actionGroup()) {
        action->trigger();
        QCOMPARE(checkedNow(), checked);
    }
    if (item == QLatin1String("N14"))
        QCOMPARE(w.find<ChatView>("mainchat")->styles()[ChatStyles::kCount - 1].pointSize, 14);
}

void TestOptionsMenu::textColourIsSetOnlyWhenConfirmed()
{
    Window w;
    w.find("TextColor1")->trigger();
    auto *dialog = w.find<QColorDialog>("ColorDialog");
    QVERIFY(dialog && dialog->isVisible());
    dialog->setCurrentColor(Qt::green);
    dialog->reject();
    QVERIFY(w.saved().isEmpty());
    QCOMPARE(w.options.textColor(), quint32(0));

    w.find("TextColor1")->trigger();
    QCOMPARE(dialog->currentColor(), QColor(Qt::black));
    dialog->setCurrentColor(QColor(0xD0, 0xE0, 0xF0));
    dialog->accept();
    QCOMPARE(w.options.textColor(), quint32(0x00F0E0D0));
    QVERIFY(w.saved().contains("\nTextcolor=$00F0E0D0\n"));
    QCOMPARE(w.find<ChatEdit>("mychat")->palette().color(QPalette::Text), QColor(0xD0, 0xE0, 0xF0));
}

void TestOptionsMenu::closeWritesOnlyWhenTheWindowMoved()
{
    Window w;
    writeFile(w.options.fileName(), "[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\n");
    w.chat.show();
    w.options.load();
    QTRY_COMPARE(w.chat.windowBounds(), w.options.placement());
    QVERIFY(w.chat.close());
    QCOMPARE(w.saved(), QByteArray("[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\n"));

    w.chat.show();
    w.chat.setWindowBounds(QRect(60, 40, 700, 650));
    QTRY_COMPARE(w.chat.windowBounds().left(), 60);
    QVERIFY(w.chat.close());
    QVERIFY(w.saved().startsWith("[Pinlex]\nTop=40\nLeft=60\nWidth=700\nHeight=650\nTextsize="));
    QCOMPARE(w.options.placement(), w.chat.windowBounds());

    // A window wider than the work area is remembered 15 pixels narrower,
    // once, not fitted to the work area.
    w.chat.show();
    const QRect work = w.chat.screen()->availableGeometry();
    w.chat.setWindowBounds(QRect(3, 3, work.width() + 100, 576));
    QTRY_COMPARE(w.chat.windowBounds().width(), work.width() + 100);
    QVERIFY(w.chat.close());
    QCOMPARE(w.options.placement().width(), work.width() + 85);
    QCOMPARE(w.options.placement().height(), w.chat.windowBounds().height());

    // A refused write keeps the window open.
    w.chat.show();
    w.chat.setWindowBounds(QRect(70, 40, 700, 650));
    QTRY_COMPARE(w.chat.windowBounds().left(), 70);
    w.options.setFileName(w.dir.filePath(QStringLiteral("orviklobby.ini/refused")));
    QVERIFY(!w.chat.close());
    QVERIFY(w.chat.isVisible());
}

void TestOptionsMenu::storedPlacementFitsTheScreen_data()
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
void TestOptionsMenu::storedPlacementFitsTheScreen()
{
    QFETCH(QByteArray, placement);
    Window w;
    writeFile(w.options.fileName(), "[Pinlex]\n" + placement);
    w.chat.show();
    w.options.load();
    const QRect screen = w.chat.screen()->availableGeometry();
    QVERIFY2(screen.contains(w.options.placement()), qPrintable(text(w.options.placement())));
    QTRY_COMPARE(w.chat.windowBounds(), w.options.placement());
    QVERIFY(w.chat.centralWidget()->width() >= w.chat.centralWidget()->minimumWidth());
    QVERIFY(w.chat.centralWidget()->height() >= w.chat.centralWidget()->minimumHeight());
}

QTEST_MAIN(TestOptionsMenu)
#include "test_optionsmenu.moc"
