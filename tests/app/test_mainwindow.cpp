// The main window's layout, menus and life.
#include "app/chatform.h"
#include "app/session.h"
#include "tests/hostmessages.h"
#include "ui/controls.h"
#include "app/forms.h"
#include "base/errordisplay.h"
#include "client/gameevents.h"
#include "client/roster.h"
#include "board/tileimages.h"
#include "chat/phrasesform.h"
#include "client/gamestartform.h"
#include "client/spylistform.h"
#include "dialogs/aboutform.h"
#include "dialogs/downloadform.h"
#include "dialogs/helpform.h"
#include "chat/chatview.h"
#include "history/historywindow.h"
#include "host/serverform.h"
#include "tally/tallylistform.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <cmath>

namespace {

// A control of the window by its name.
template <typename T = QAction>
T *find(const QObject &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

// The desktop's dark theme for as long as it lives: the Adwaita-Dark style
// where it is installed, else a dark palette.
struct DarkDesktop
{
    const QString style = QApplication::style()->name();
    const QPalette palette = QApplication::palette();

    DarkDesktop()
    {
        if (QStyleFactory::keys().contains(QStringLiteral("Adwaita-Dark"), Qt::CaseInsensitive))
            QApplication::setStyle(QStringLiteral("Adwaita-Dark"));
        if (QApplication::palette().color(QPalette::WindowText).lightness() > 128)
            return;
        QPalette dark(QColor(238, 238, 236), QColor(53, 53, 53), QColor(80, 80, 80), QColor(20, 20, 20),
                      QColor(40, 40, 40), QColor(238, 238, 236), Qt::white, QColor(45, 45, 45), QColor(53, 53, 53));
        dark.setColor(QPalette::ButtonText, QColor(238, 238, 236));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop()
    {
        QApplication::setStyle(style);
        QApplication::setPalette(palette);
    }
};

// The first control of the accessibility tree under root with this role and name.
QAccessibleInterface *accessible(QAccessibleInterface *root, QAccessible::Role role, const QString &name)
{
    if (root->role() == role && root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface *found = accessible(root->child(i), role, name))
            return found;
    }
    return nullptr;
}

// Relative luminance, and the contrast ratio of two colours (1 to 21).
double luminance(QColor colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString textOf(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (const auto *box = qobject_cast<const QComboBox *>(control))
        return box->currentText();
    return qobject_cast<const QLineEdit *>(control)->text();
}

void setTextOf(QWidget *control, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *box = qobject_cast<QComboBox *>(control))
        box->setItemText(box->currentIndex(), text);
    else
        qobject_cast<QLineEdit *>(control)->setText(text);
}

// The contrast of a control's text with what lies under it as its window
// draws them: of the pixels the text changes, the one that stands out most.
double textContrast(QWidget *control)
{
    QWidget *window = control->window();
    const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
    const QString text = textOf(control);
    const QImage with = window->grab(area).toImage();
    setTextOf(control, QString());
    const QImage without = window->grab(area).toImage();
    setTextOf(control, text);
    double most = 1;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x)
            most = std::max(most, contrast(with.pixelColor(x, y), without.pixelColor(x, y)));
    }
    return most;
}

} // namespace

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
    void damagedHistoryIsKeptAsideAndToldInTheChat();
    void aTurnReadsAsAListenerNeedsIt_data();
    void aTurnReadsAsAListenerNeedsIt();
    void textStaysReadableOnADarkDesktop_data();
    void textStaysReadableOnADarkDesktop();
    void gameOptionsOfferTheComputerPlayersLastChosen();
    void theWindowSaysWhyItCloses_data();
    void theWindowSaysWhyItCloses();

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
    auto *board = find<QWidget>(chat, "panel_board");
    auto *control = board->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    // Positions are in the board panel's coordinates.
    QCOMPARE(control->mapTo(board, QPoint(0, 0)), geometry.topLeft());
    QCOMPARE(control->size(), geometry.size());
    QCOMPARE(board->geometry(), QRect(2, 2, 567, 525));
}

void TestMainWindow::hiddenUntilTheirTime()
{
    Tchat chat;
    chat.setLaunchParameters({QStringLiteral("Tester")});   // no connection
    chat.show();
    for (const char *name : {"button_clear", "button_send", "button_sort", "image_noplay", "panel_badword",
                             "image_eyes1", "image_winner4"})
        QVERIFY2(!find<QWidget>(chat, name)->isVisible(), name);
    const QList<std::pair<const char *, const char *>> texts = {
        {"label_playername2", "<Waiting>"}, {"label_status", "Welcome Pinlex"}, {"label_timer", "Time: 0:00"},
        {"label_timeperturn", "Turn Time: 200 s."}, {"label_teamgame", "Good Luck!"}};
    for (const auto &[name, text] : texts)
        QCOMPARE(find<QLabel>(chat, name)->text(), QLatin1String(text));
    QCOMPARE(chat.windowTitle(), QStringLiteral("Pinlex "));
    // The empty word row shows its ten standing pins.
    QCOMPARE(find<PictureBox>(chat, "image_word3")->picture().cacheKey(), tileimages::picture(30).cacheKey());
    // Showing the window runs the launch step: the start button waits for hosting.
    QVERIFY(!find<QWidget>(chat, "button_start")->isVisible());
    QVERIFY(!find(chat, "StartGame1")->isEnabled());
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
                                    "Computer Players Chat", "Show Word Definitions After Each Frame", "-",
                                    "Game Directories\u2026"}));

    QStringList choices;
    for (const char *name : {"Slow1", "Normal1", "Fast1", "N8", "N14"})
        choices << find(chat, name)->text();
    QCOMPARE(choices, (QStringList{"Short", "Normal", "Long", "8", "14"}));
    QVERIFY(!find(chat, "StartGame1")->isEnabled());
    QCOMPARE(find(chat, "ScrollChatOff2")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(find(chat, "ScrollChatOff1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(find(chat, "Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(find(chat, "Help2")->text(), QStringLiteral("Content"));
    QCOMPARE(find(chat, "PrhaseList1")->text(), QStringLiteral("Phrase List"));
    QCOMPARE(find(chat, "Copy1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(find(chat, "Paste1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
}

void TestMainWindow::popupSoundsListEveryChatterSound()
{
    Tchat chat;
    const QList<QAction *> items = find<QMenu>(chat, "popup_sounds")->actions();
    QCOMPARE(items.size(), 21);
    QCOMPARE(items[0]->text(), QStringLiteral("<Cancel>"));
    QCOMPARE(items[0]->data().toInt(), 0);
    QCOMPARE(items[5]->objectName(), QStringLiteral("wave5"));
    QCOMPARE(items[5]->text(), QStringLiteral("Where have you been?"));
    QCOMPARE(items[20]->text(), QStringLiteral("Crying"));
    QCOMPARE(items[20]->data().toInt(), 20);
    QCOMPARE(find<QMenu>(chat, "popup_smilies")->actions().size(), 18);
    QCOMPARE(find<QMenu>(chat, "popup_smilies")->actions().first()->text(), QStringLiteral(":)#10"));
    QCOMPARE(find<QMenu>(chat, "popup_kick")->actions().size(), 3);
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
        {forms.history(), "Game History"},
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
    find(chat, "ResetLocation1")->trigger();
    QTRY_COMPARE(chat.windowBounds().topLeft(), QPoint(3, 3));
    // The size is the default, or what the board's minimum makes of it.
    QVERIFY(chat.windowBounds().width() >= 581 && chat.windowBounds().width() < 600);
    QVERIFY(chat.windowBounds().height() >= 576 && chat.windowBounds().height() < 620);
}

void TestMainWindow::closeWithoutMovingLeavesThePlacement()
{
    // Never loaded: the placement is all zero, so a close stores the bounds.
    Tchat fresh;
    Options &options = fresh.session().options;
    options.setFileName(m_runtime.filePath(QStringLiteral("close.ini")));
    fresh.show();
    QCOMPARE(options.placement(), QRect());
    QVERIFY(fresh.close());
    QCOMPARE(options.placement(), fresh.windowBounds());
    QVERIFY(QFile::exists(options.fileName()));
}

void TestMainWindow::hostReadsThePauseFromTheMenu()
{
    Forms forms;
    Options &options = forms.chat()->session().options;
    options.setFileName(m_runtime.filePath(QStringLiteral("pause.ini")));
    QCOMPARE(forms.server()->pauseSeconds(), 10);
    options.setTimeBetween(5);
    QCOMPARE(forms.server()->pauseSeconds(), 5);
    find(*forms.chat(), "Fast1")->trigger();
    QCOMPARE(forms.server()->pauseSeconds(), 15);
}

void TestMainWindow::viewTallyOffersTheOtherSeatedPlayers()
{
    Forms forms;
    Session &session = forms.chat()->session();
    // Seated by no host: the login goes nowhere.
    const ErrorSink shown = setErrorSink({});
    session.client.events()->received("CMD_sendlogininfo+2");
    setErrorSink(shown);
    for (const auto &[slot, name] : {std::pair{1, "Ann"}, std::pair{2, "Me"}, std::pair{4, "Dan"}})
        session.roster.newplayerinfo(slot, name);
    find(*forms.chat(), "ViewTally1")->trigger();
    QVERIFY(forms.tallylist()->isVisible());
    QStringList offered;
    for (int row = 0; row < forms.tallylist()->checklist->count(); ++row)
        offered << forms.tallylist()->checklist->item(row)->text();
    QCOMPARE(offered, (QStringList{"Ann", "Dan"}));
}

void TestMainWindow::textStaysReadableOnADarkDesktop_data()
{
    QTest::addColumn<bool>("gameOptions");   // else the main window
    QTest::addColumn<QString>("control");    // by name, else a label by its text
    QTest::addColumn<QString>("text");       // shown for the measure; empty keeps its own
    QTest::newRow("played word") << false << "label_word11" << "BOWLING";
    QTest::newRow("status") << false << "label_status" << "";
    QTest::newRow("turn time") << false << "label_timeperturn" << "";
    QTest::newRow("turn clock") << false << "label_timer" << "";
    QTest::newRow("phrase button") << false << "b_phrase1" << "";
    QTest::newRow("smilies") << false << "button_smilies" << "";
    QTest::newRow("chat line") << false << "mychat" << "";
    QTest::newRow("options heading") << true << "Game Options" << "";
    QTest::newRow("team game") << true << "Team Game" << "";
    QTest::newRow("computer players") << true << "Computer players:" << "";
    QTest::newRow("time per turn") << true << "edit_creationtime" << "";
    QTest::newRow("strength") << true << "strength" << "";
}

// A dark desktop theme once gave light text on the cream and the wood:
// white played words, light status lines, invisible button numbers.
void TestMainWindow::textStaysReadableOnADarkDesktop()
{
    QFETCH(bool, gameOptions);
    QFETCH(QString, control);
    QFETCH(QString, text);
    const DarkDesktop dark;
    QVERIFY(luminance(QApplication::palette().color(QPalette::WindowText)) > 0.5);
    Forms forms;
    QWidget *window = gameOptions ? static_cast<QWidget *>(forms.gamestart()) : forms.chat();
    window->show();
    QWidget *found = window->findChild<QWidget *>(control);
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!found && label->text() == control)
            found = label;
    }
    QVERIFY(found);
    if (!text.isEmpty())
        setTextOf(found, text);
    QVERIFY(!textOf(found).isEmpty());
    const double measured = textContrast(found);
    // The least contrast for body text that accessibility guidelines ask.
    QVERIFY2(measured >= 4.5, qPrintable(QStringLiteral("%1 has a contrast of %2").arg(control).arg(measured)));
}

// The number and strength of computer players chosen are offered again,
// and kept with the other options.
void TestMainWindow::gameOptionsOfferTheComputerPlayersLastChosen()
{
    const QString file = m_runtime.filePath(QStringLiteral("robots.ini"));
    {
        Forms forms;
        Session &session = forms.chat()->session();
        session.options.setFileName(file);
        session.client.setPort(1);   // the computer players find no table
        emit session.flow.startDialogRequested();
        Tgamestart *dialog = forms.gamestart();
        QCOMPARE(dialog->computerPlayers(), 0);
        QCOMPARE(dialog->strength->currentText(), QStringLiteral("Medium"));
        dialog->robots->setValue(2);
        dialog->strength->setCurrentIndex(dialog->strength->findText(QStringLiteral("Hard")));
        dialog->button_startClick();
    }
    Forms forms;
    Session &session = forms.chat()->session();
    session.options.setFileName(file);
    session.options.load();
    emit session.flow.startDialogRequested();
    QCOMPARE(forms.gamestart()->computerPlayers(), 2);
    QCOMPARE(forms.gamestart()->strength->currentText(), QStringLiteral("Hard"));
}

void TestMainWindow::theWindowSaysWhyItCloses_data()
{
    QTest::addColumn<GameClient::Ending>("why");
    QTest::addColumn<QString>("told");
    QTest::newRow("removed") << GameClient::Ending::Removed << "You were removed from the game.";
    QTest::newRow("the host's end") << GameClient::Ending::HostEnded << "The host has ended the game.";
}

// The window once vanished without a word when the host quit or removed
// the player: nobody could tell that from a crash.
void TestMainWindow::theWindowSaysWhyItCloses()
{
    QFETCH(GameClient::Ending, why);
    QFETCH(QString, told);
    Tchat chat;
    chat.session().options.setFileName(m_runtime.filePath(QStringLiteral("ending.ini")));
    chat.show();
    QSignalSpy closed(&chat, &Tchat::closed);
    emit chat.session().client.connectionEnded(why);
    auto *box = chat.findChild<QMessageBox *>();
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->text(), told);
    QVERIFY(chat.isVisible());
    box->button(QMessageBox::Ok)->click();
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(!chat.isVisible());
}

// The program starts whatever its history file holds, and says in the chat
// where the unreadable one went.
void TestMainWindow::damagedHistoryIsKeptAsideAndToldInTheChat()
{
    const QString path = m_runtime.filePath(QStringLiteral("damaged.sqlite"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("no game history\n").repeated(300));
    file.close();
    const QByteArray before = qgetenv("PINLEX_HISTORY_FILE");
    qputenv("PINLEX_HISTORY_FILE", path.toUtf8());
    const auto restore = qScopeGuard([before] { qputenv("PINLEX_HISTORY_FILE", before); });
    Forms forms;
    const auto *chat = forms.chat()->findChild<ChatView *>(QStringLiteral("mainchat"));
    QTRY_VERIFY(chat->toPlainText().contains(QStringLiteral("could not be read")));
    QVERIFY(chat->toPlainText().contains(QStringLiteral(".damaged")));
    QVERIFY(find(*forms.chat(), "GameHistory1"));
}

void TestMainWindow::aTurnReadsAsAListenerNeedsIt_data()
{
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("list");   // the list it is an item of
    QTest::addColumn<int>("index");      // its place there, from 0

    const auto button = QAccessible::Button;
    QTest::newRow("send") << button << "Send word" << "" << -1;
    QTest::newRow("clear") << button << "Clear" << "" << -1;
    QTest::newRow("sort") << button << "Sort Letters" << "" << -1;
    QTest::newRow("start") << button << "Start Game" << "" << -1;
    QTest::newRow("phrase") << button << "Phrase 4: Good luck!" << "" << -1;
    QTest::newRow("score") << QAccessible::StaticText << "Seat 2, total 87" << "" << -1;
    // Tiles 1 and 2 changed places; tile 3's E went to the word after M.
    QTest::newRow("rack, in screen order") << QAccessible::ListItem << "Rack, tile 1 of 10: T" << "Rack" << 0;
    QTest::newRow("rack, an empty place") << QAccessible::ListItem << "Rack, tile 3 of 10: empty" << "Rack" << 2;
    QTest::newRow("rack, last") << QAccessible::ListItem << "Rack, tile 10 of 10: R" << "Rack" << 9;
    QTest::newRow("word") << QAccessible::ListItem << "Word, letter 2: E" << "Word" << 1;
}

// A screen reader once heard "E" for a tile and a letter alike, pictures
// for the commands and "0" for a score.
void TestMainWindow::aTurnReadsAsAListenerNeedsIt()
{
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QString, list);
    QFETCH(int, index);

    Tchat chat;
    Session &session = chat.session();
    RackModel &rack = session.rack;
    rack.setMyseat(1);
    rack.theletters(dealOf("1+1+s+2+t+3+e+4+a+5+m+6+l+7+i+8+e+9+n+10+r"));
    rack.liftTile(1);
    rack.liftTile(2);
    rack.selectTile(5);
    rack.selectTile(3);
    session.score.setScoreText(2, QStringLiteral("87"));
    Options::Phrases phrases = session.options.phrases();
    phrases[3] = QStringLiteral("Good luck!");
    session.options.setPhrases(phrases);
    chat.show();

    QAccessibleInterface *found = accessible(QAccessible::queryAccessibleInterface(&chat), role, name);
    QVERIFY2(found, qPrintable(name));
    if (role == QAccessible::Button) {
        QVERIFY(found->state().focusable);
        QVERIFY(found->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
    if (!list.isEmpty()) {
        QCOMPARE(found->parent()->role(), QAccessible::List);
        QCOMPARE(found->parent()->text(QAccessible::Name), list);
        QCOMPARE(found->parent()->indexOfChild(found), index);
    }
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
