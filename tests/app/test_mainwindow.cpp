// The main window's layout, menus and life.
#include "app/chatform.h"
#include "ui/controls.h"
#include "app/forms.h"
#include "client/gameclient.h"
#include "client/roster.h"
#include "board/tileimages.h"
#include "chat/phrasesform.h"
#include "client/gamestartform.h"
#include "client/spylistform.h"
#include "dialogs/aboutform.h"
#include "dialogs/downloadform.h"
#include "dialogs/helpform.h"
#include "host/serverform.h"
#include "tally/tallylistform.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controlsStandWhereTheLayoutPutsThem_data();
    void controlsStandWhereTheLayoutPutsThem();
    void hiddenUntilTheirTime();
    void menusHaveTheirCaptionsChecksAndShortcuts();
    void popupSoundsListEveryChatterSound();
    void windowsAreCreatedWithTheirCaptions();
    void clientAreaNeverShrinksBelowTheBoard();
    void resetLocationRestoresTheDefaults();
    void closeWithoutMovingLeavesThePlacement();
    void hostReadsThePauseFromTheMenu();
    void viewTallyOffersTheOtherSeatedPlayers();

private:
    QTemporaryDir m_runtime;
};

void TestMainWindow::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
}

void TestMainWindow::controlsStandWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("card") << "Image4" << QRect(6, 5, 554, 205);
    QTest::newRow("paint box") << "scorecard" << QRect(107, 28, 273, 160);
    QTest::newRow("seat 3 name") << "label_playername3" << QRect(13, 129, 94, 16);
    QTest::newRow("seat 4 score") << "label_score4" << QRect(381, 166, 33, 19);
    QTest::newRow("seat 2 eyes") << "image_eyes2" << QRect(12, 83, 25, 9);
    QTest::newRow("seat 4 winner") << "image_winner4" << QRect(11, 154, 94, 16);
    QTest::newRow("seat 1 winner") << "image_winner1" << QRect(11, 32, 94, 16);
    QTest::newRow("seat 3 word 2") << "label_word32" << QRect(421, 120, 134, 13);
    QTest::newRow("word line") << "label_theword" << QRect(16, 189, 536, 14);
    QTest::newRow("start") << "button_start" << QRect(64, 212, 104, 23);
    QTest::newRow("send") << "button_send" << QRect(120, 213, 104, 23);
    QTest::newRow("status") << "label_status" << QRect(230, 216, 327, 16);
    QTest::newRow("word slot 7") << "image_word7" << QRect(275, 240, 41, 41);
    QTest::newRow("rack tile 1 after reset") << "image_letters1" << QRect(8, 289, 41, 41);
    QTest::newRow("rack tile 10") << "image_letters10" << QRect(408, 289, 41, 41);
    QTest::newRow("timer frame") << "Image1" << QRect(453, 288, 107, 44);
    QTest::newRow("timer bar") << "image_timer" << QRect(459, 293, 97, 34);
    QTest::newRow("sort") << "button_sort" << QRect(465, 241, 32, 32);
    QTest::newRow("not playing") << "image_noplay" << QRect(128, 262, 238, 41);
    QTest::newRow("invalid word panel") << "panel_badword" << QRect(120, 246, 240, 57);
    QTest::newRow("phrase 9") << "b_phrase9" << QRect(7, 484, 25, 19);
    QTest::newRow("chatter sounds") << "b_phrase10" << QRect(7, 503, 25, 19);
    QTest::newRow("chat frame") << "panel_chat" << QRect(35, 333, 526, 164);
    QTest::newRow("chat edit") << "mychat" << QRect(35, 499, 430, 22);
    QTest::newRow("smilies") << "button_smilies" << QRect(470, 500, 25, 19);
    QTest::newRow("logo") << "Image2" << QRect(505, 500, 58, 24);
}

void TestMainWindow::controlsStandWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Tchat chat;
    auto *control = chat.panel_board->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    // Positions are in the board panel's coordinates.
    QCOMPARE(control->mapTo(chat.panel_board, QPoint(0, 0)), geometry.topLeft());
    QCOMPARE(control->size(), geometry.size());
    QCOMPARE(chat.panel_board->geometry(), QRect(2, 2, 567, 525));
}

void TestMainWindow::hiddenUntilTheirTime()
{
    Tchat chat;
    chat.setLaunchParameters({QStringLiteral("Tester")});   // no connection
    chat.show();
    for (QWidget *w : std::initializer_list<QWidget *>{chat.button_clear, chat.button_send, chat.button_sort,
                                                       chat.image_noplay, chat.panel_badword, chat.image_eyes[1],
                                                       chat.image_winner[4]})
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    QCOMPARE(chat.label_playername[2]->text(), QStringLiteral("<Waiting>"));
    QCOMPARE(chat.label_status->text(), QStringLiteral("Welcome Pinlex"));
    QCOMPARE(chat.label_timer->text(), QStringLiteral("Time: 0:00"));
    QCOMPARE(chat.label_timeperturn->text(), QStringLiteral("Turn Time: 200 s."));
    QCOMPARE(chat.label_teamgame->text(), QStringLiteral("Good Luck!"));
    QCOMPARE(chat.windowTitle(), QStringLiteral("Pinlex "));
    // The empty word row shows its ten standing pins.
    QCOMPARE(chat.image_word[3]->pixmap().cacheKey(), tileimages::picture(30).cacheKey());
    // Showing the window runs the launch step: the start button waits for hosting.
    QVERIFY(!chat.button_start->isVisible());
    QVERIFY(!chat.StartGame1->isEnabled());
}

void TestMainWindow::menusHaveTheirCaptionsChecksAndShortcuts()
{
    Tchat chat;
    QStringList menus;
    for (QAction *menu : chat.menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, (QStringList{"&File", "&Options", "&View", "&Help"}));

    const QMenu *options = chat.menuBar()->actions()[1]->menu();
    QStringList captions;
    for (QAction *item : options->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    QCOMPARE(captions, (QStringList{"Play Sounds", "Play Chatter Sounds", "Turn Sound", "-", "Type Words",
                                    "Use Space to Sort", "Automatically Clear Invalid Words", "Time Between Rounds",
                                    "Show Invalid Word Panel", "-", "Text Color", "Text Size", "Scroll Chat Off",
                                    "Clear Main Chat", "Reset Screen Location", "-", "Just Watch",
                                    "Computer Players Chat"}));

    QVERIFY(chat.PlaySounds1->isChecked());
    QVERIFY(!chat.PlayChatterSounds1->isChecked());
    QVERIFY(chat.Classic1->isChecked() && !chat.New1->isChecked());
    QCOMPARE(chat.TurnSound1->data().toInt(), 0);
    QVERIFY(chat.Normal1->isChecked() && !chat.Slow1->isChecked() && !chat.Fast1->isChecked());
    QCOMPARE(chat.timebetween->data().toInt(), 10);
    QCOMPARE((QList<int>{chat.Slow1->data().toInt(), chat.Normal1->data().toInt(), chat.Fast1->data().toInt()}),
             (QList<int>{5, 10, 15}));
    QVERIFY(chat.showbadword->isChecked());
    QVERIFY(!chat.TypeWords1->isChecked() && !chat.usespace->isChecked() && !chat.clearwords1->isChecked());
    QCOMPARE(chat.N12->data().toInt(), 12);
    QVERIFY(!chat.StartGame1->isEnabled());
    QCOMPARE(chat.ScrollChatOff2->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(chat.Help2->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(chat.Help2->text(), QStringLiteral("Content"));
    QCOMPARE(chat.PrhaseList1->text(), QStringLiteral("Phrase List"));
    QCOMPARE(chat.Copy1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(chat.Paste1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
}

void TestMainWindow::popupSoundsListEveryChatterSound()
{
    Tchat chat;
    const QList<QAction *> items = chat.popup_sounds->actions();
    QCOMPARE(items.size(), 21);
    QCOMPARE(items[0]->text(), QStringLiteral("<Cancel>"));
    QCOMPARE(items[0]->data().toInt(), 0);
    QCOMPARE(items[5]->objectName(), QStringLiteral("wave5"));
    QCOMPARE(items[5]->text(), QStringLiteral("Where have you been?"));
    QCOMPARE(items[20]->text(), QStringLiteral("Crying"));
    QCOMPARE(items[20]->data().toInt(), 20);
    QCOMPARE(chat.popup_smilies->actions().size(), 18);
    QCOMPARE(chat.popup_smilies->actions().first()->text(), QStringLiteral(":)#10"));
    QCOMPARE(chat.popup_kick->actions().size(), 3);
}

void TestMainWindow::windowsAreCreatedWithTheirCaptions()
{
    Forms forms;
    QCOMPARE(forms.chat()->windowTitle(), QStringLiteral("Pinlex "));
    const QList<QPair<QWidget *, QString>> dialogs = {
        {forms.about(), "Pinlex - About"},
        {forms.tallylist(), "Pinlex - Tally List"},
        {forms.download(), "Download The Orvik9 Lobby"},
        {forms.gamestart(), "Pinlex - Game Start"},
        {forms.help(), "Pinlex - Help File"},
        {forms.phrases(), "Pinlex - Phrase Buttons "},
        {forms.spylist(), "Pinlex - Spys"},
    };
    for (const auto &[window, caption] : dialogs) {
        QCOMPARE(window->windowTitle(), caption);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->windowHandle()->transientParent(), forms.chat()->windowHandle());
    }
    QVERIFY(forms.spylist()->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(forms.server()->objectName(), QStringLiteral("Server"));
}

void TestMainWindow::clientAreaNeverShrinksBelowTheBoard()
{
    Tchat chat;
    chat.show();
    chat.resize(300, 200);
    QTRY_VERIFY(chat.centralWidget()->width() >= 582);
    QVERIFY(chat.centralWidget()->height() >= 537);
}

void TestMainWindow::resetLocationRestoresTheDefaults()
{
    Tchat chat;
    chat.show();
    chat.setWindowBounds(QRect(100, 80, 700, 640));
    chat.ResetLocation1Click();
    QTRY_COMPARE(chat.windowBounds().topLeft(), QPoint(3, 3));
    // The size is the default, or what the board's minimum makes of it.
    QVERIFY(chat.windowBounds().width() >= 581 && chat.windowBounds().width() < 600);
    QVERIFY(chat.windowBounds().height() >= 576 && chat.windowBounds().height() < 620);
}

void TestMainWindow::closeWithoutMovingLeavesThePlacement()
{
    Tchat chat;
    chat.inifile = m_runtime.filePath(QStringLiteral("close.ini"));
    chat.show();
    chat.placement = chat.windowBounds();
    const QRect before = chat.placement;
    QVERIFY(chat.FormClose());
    QCOMPARE(chat.placement, before);

    // Never loaded: the placement is all zero, so a close stores the bounds.
    Tchat fresh;
    fresh.inifile = chat.inifile;
    fresh.show();
    QCOMPARE(fresh.placement, QRect());
    QVERIFY(fresh.FormClose());
    QCOMPARE(fresh.placement, fresh.windowBounds());

    // A window wider than the work area is stored 15 pixels narrower, once,
    // not fitted to the work area.
    Tchat wide;
    wide.inifile = chat.inifile;
    wide.show();
    const QRect work = wide.screen()->availableGeometry();
    wide.setWindowBounds(QRect(3, 3, work.width() + 100, 576));
    QTRY_COMPARE(wide.windowBounds().width(), work.width() + 100);
    QVERIFY(wide.FormClose());
    QCOMPARE(wide.placement.width(), work.width() + 85);
    QCOMPARE(wide.placement.height(), wide.windowBounds().height());
}

void TestMainWindow::hostReadsThePauseFromTheMenu()
{
    Forms forms;
    forms.chat()->inifile = m_runtime.filePath(QStringLiteral("pause.ini"));
    QCOMPARE(forms.server()->pauseSeconds(), 10);
    forms.chat()->Fast1Click(forms.chat()->Slow1);
    QCOMPARE(forms.server()->pauseSeconds(), 5);
    forms.chat()->Fast1Click(forms.chat()->Fast1);
    QCOMPARE(forms.server()->pauseSeconds(), 15);
}

void TestMainWindow::viewTallyOffersTheOtherSeatedPlayers()
{
    Forms forms;
    Tchat &chat = *forms.chat();
    chat.client->myseat = 2;
    for (const auto &[slot, name] : {std::pair{1, "Ann"}, std::pair{2, "Me"}, std::pair{4, "Dan"}})
        chat.client->roster->newplayerinfo(slot, name);
    chat.ViewTally1Click();
    QVERIFY(forms.tallylist()->isVisible());
    QStringList offered;
    for (int row = 0; row < forms.tallylist()->checklist->count(); ++row)
        offered << forms.tallylist()->checklist->item(row)->text();
    QCOMPARE(offered, (QStringList{"Ann", "Dan"}));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
