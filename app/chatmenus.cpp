#include "app/chatform.h"

#include "app/formhelpers.h"
#include "base/errordisplay.h"
#include "board/rackmodel.h"
#include "chat/chatedit.h"
#include "chat/chatview.h"
#include "client/gameclient.h"
#include "client/robottable.h"
#include "settings/colortext.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "sound/soundtable.h"
#include "ui/windowplacement.h"

#include <QColorDialog>
#include <QMenuBar>

// The main menu, the pop-up menus and the options they hold.

using namespace formhelpers;

void Tchat::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    StartGame1 = addItem(file, QStringLiteral("StartGame1"), QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    connect(StartGame1, &QAction::triggered, this, &Tchat::button_startClick);
    HostAGame1 = addItem(file, QStringLiteral("HostAGame1"), QStringLiteral("Host a Game\u2026"));
    connect(HostAGame1, &QAction::triggered, this, [this] { playWithOthers(true); });
    JoinAGame1 = addItem(file, QStringLiteral("JoinAGame1"), QStringLiteral("Join a Game\u2026"));
    connect(JoinAGame1, &QAction::triggered, this, [this] { playWithOthers(false); });
    addSeparator(file, QStringLiteral("N1"));
    Exit1 = addItem(file, QStringLiteral("Exit1"), QStringLiteral("Exit"));
    connect(Exit1, &QAction::triggered, this, &Tchat::Exit1Click);

    QMenu *options = bar->addMenu(QStringLiteral("&Options"));
    PlaySounds1 = addItem(options, QStringLiteral("PlaySounds1"), QStringLiteral("Play Sounds"), true, true);
    PlayChatterSounds1 = addItem(options, QStringLiteral("PlayChatterSounds1"), QStringLiteral("Play Chatter Sounds"),
                                 true, false);
    QMenu *turnSound = options->addMenu(QStringLiteral("Turn Sound"));
    TurnSound1 = turnSound->menuAction();
    TurnSound1->setObjectName(QStringLiteral("TurnSound1"));
    TurnSound1->setData(0);
    Classic1 = addItem(turnSound, QStringLiteral("Classic1"), QStringLiteral("Classic"), true, true);
    Classic1->setData(0);
    New1 = addItem(turnSound, QStringLiteral("New1"), QStringLiteral("New"), true, false);
    New1->setData(1);
    makeRadio(this, {Classic1, New1});
    addSeparator(options, QStringLiteral("N6"));
    TypeWords1 = addItem(options, QStringLiteral("TypeWords1"), QStringLiteral("Type Words"), true, false);
    usespace = addItem(options, QStringLiteral("usespace"), QStringLiteral("Use Space to Sort"), true, false);
    clearwords1 = addItem(options, QStringLiteral("clearwords1"), QStringLiteral("Automatically Clear Invalid Words"),
                          true, false);
    QMenu *between = options->addMenu(QStringLiteral("Time Between Rounds"));
    timebetween = between->menuAction();
    timebetween->setObjectName(QStringLiteral("timebetween"));
    timebetween->setData(10);
    Slow1 = addItem(between, QStringLiteral("Slow1"), QStringLiteral("Short"), true, false);
    Slow1->setData(5);
    Normal1 = addItem(between, QStringLiteral("Normal1"), QStringLiteral("Normal"), true, true);
    Normal1->setData(10);
    Fast1 = addItem(between, QStringLiteral("Fast1"), QStringLiteral("Long"), true, false);
    Fast1->setData(15);
    makeRadio(this, {Slow1, Normal1, Fast1});
    showbadword = addItem(options, QStringLiteral("showbadword"), QStringLiteral("Show Invalid Word Panel"), true, true);
    addSeparator(options, QStringLiteral("N3"));
    TextColor1 = addItem(options, QStringLiteral("TextColor1"), QStringLiteral("Text Color"));
    QMenu *textSize = options->addMenu(QStringLiteral("Text Size"));
    TextSize1 = textSize->menuAction();
    TextSize1->setObjectName(QStringLiteral("TextSize1"));
    N8 = addItem(textSize, QStringLiteral("N8"), QStringLiteral("8"), true);
    N10 = addItem(textSize, QStringLiteral("N10"), QStringLiteral("10"), true);
    N12 = addItem(textSize, QStringLiteral("N12"), QStringLiteral("12"), true);
    N14 = addItem(textSize, QStringLiteral("N14"), QStringLiteral("14"), true);
    for (QAction *size : {N8, N10, N12, N14})
        size->setData(size->text().toInt());
    makeRadio(this, {N8, N10, N12, N14}, true);
    ScrollChatOff2 = addItem(options, QStringLiteral("ScrollChatOff2"), QStringLiteral("Scroll Chat Off"), true);
    ScrollChatOff2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ClearMainChat1 = addItem(options, QStringLiteral("ClearMainChat1"), QStringLiteral("Clear Main Chat"));
    ResetLocation1 = addItem(options, QStringLiteral("ResetLocation1"), QStringLiteral("Reset Screen Location"));
    connect(ResetLocation1, &QAction::triggered, this, &Tchat::ResetLocation1Click);
    addSeparator(options, QStringLiteral("N2"));
    JustWatch1 = addItem(options, QStringLiteral("JustWatch1"), QStringLiteral("Just Watch"), true);
    RobotChatter1 = addItem(options, QStringLiteral("RobotChatter1"), QStringLiteral("Computer Players Chat"), true,
                            true);
    connect(RobotChatter1, &QAction::triggered, this, &Tchat::RobotChatter1Click);
    connect(JustWatch1, &QAction::triggered, this, &Tchat::JustWatch1Click);

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    ViewTally1 = addItem(view, QStringLiteral("ViewTally1"), QStringLiteral("View Tally"));
    SpyList1 = addItem(view, QStringLiteral("SpyList1"), QStringLiteral("Spy List"));
    connect(SpyList1, &QAction::triggered, this, &Tchat::SpyList1Click);
    connect(ViewTally1, &QAction::triggered, this, &Tchat::ViewTally1Click);
    PrhaseList1 = addItem(view, QStringLiteral("PrhaseList1"), QStringLiteral("Phrase List"));

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    Help2 = addItem(help, QStringLiteral("Help2"), QStringLiteral("Content"));
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    connect(Help2, &QAction::triggered, this, &Tchat::Help2Click);
    addSeparator(help, QStringLiteral("N4"));
    About1 = addItem(help, QStringLiteral("About1"), QStringLiteral("About"));
    connect(About1, &QAction::triggered, this, &Tchat::About1Click);
}

void Tchat::buildPopups()
{
    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    RemoveFromGame1 = addItem(popup_kick, QStringLiteral("RemoveFromGame1"), QStringLiteral("Remove From Game"));
    SettoJustWatch1 = addItem(popup_kick, QStringLiteral("SettoJustWatch1"), QStringLiteral("Set to Just Watch"));
    UnsetJustWatch1 = addItem(popup_kick, QStringLiteral("UnsetJustWatch1"), QStringLiteral("Unset Just Watch"));

    popup_mainchat = new QMenu(this);
    popup_mainchat->setObjectName(QStringLiteral("popup_mainchat"));
    SelectAll1 = addItem(popup_mainchat, QStringLiteral("SelectAll1"), QStringLiteral("Select All"));
    Copy1 = addItem(popup_mainchat, QStringLiteral("Copy1"), QStringLiteral("Copy"));
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    ClearMainChat2 = addItem(popup_mainchat, QStringLiteral("ClearMainChat2"), QStringLiteral("Clear Main Chat"));
    addSeparator(popup_mainchat, QStringLiteral("N5"));
    ScrollChatOff1 = addItem(popup_mainchat, QStringLiteral("ScrollChatOff1"), QStringLiteral("Scroll Chat Off"), true);
    ScrollChatOff1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    popup_mychat = new QMenu(this);
    popup_mychat->setObjectName(QStringLiteral("popup_mychat"));
    Paste1 = addItem(popup_mychat, QStringLiteral("Paste1"), QStringLiteral("Paste"));
    Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    popup_sounds = new QMenu(this);
    popup_sounds->setObjectName(QStringLiteral("popup_sounds"));
    popup_sounds->setToolTipsVisible(true);
    addItem(popup_sounds, QStringLiteral("Cancel1"), QStringLiteral("<Cancel>"))->setData(0);
    for (int n = 1; n <= sounds::kChatterCount; ++n) {
        QAction *wave = addItem(popup_sounds, sounds::chatterName(n), sounds::chatterCaption(n));
        wave->setData(n);
        wave->setToolTip(wave->text());
    }
    // wave20Click: every item of the menu, told apart by its tag.
    connect(popup_sounds, &QMenu::triggered, this,
            [this](QAction *item) { client->wave20Click(item->data().toInt()); });

    popup_smilies = new QMenu(this);
    popup_smilies->setObjectName(QStringLiteral("popup_smilies"));
    for (int code = 10; code <= 27; ++code)
        addItem(popup_smilies, QStringLiteral("N%1").arg(code), QStringLiteral(":)#%1").arg(code))->setData(code);
}

void Tchat::connectOptions()
{
    connect(PlaySounds1, &QAction::triggered, this, &Tchat::PlaySounds1Click);
    connect(PlayChatterSounds1, &QAction::triggered, this, &Tchat::PlayChatterSounds1Click);
    for (QAction *item : {Classic1, New1})
        connect(item, &QAction::triggered, this, [this, item] { New1Click(item); });
    connect(TypeWords1, &QAction::triggered, this, &Tchat::TypeWords1Click);
    connect(usespace, &QAction::triggered, this, &Tchat::usespaceClick);
    connect(clearwords1, &QAction::triggered, this, &Tchat::clearwords1Click);
    for (QAction *item : {Slow1, Normal1, Fast1})
        connect(item, &QAction::triggered, this, [this, item] { Fast1Click(item); });
    connect(showbadword, &QAction::triggered, this, &Tchat::showbadwordClick);
    connect(TextColor1, &QAction::triggered, this, &Tchat::TextColor1Click);
    for (QAction *item : {N8, N10, N12, N14})
        connect(item, &QAction::triggered, this, [this, item] { N14Click(item); });
    for (QAction *size : {N8, N10, N12, N14})
        size->setChecked(size->data().toInt() == mainchat->styles()[0].pointSize);
    applyOptions();
}

void Tchat::loadinifile()
{
    const Settings settings = Settings::load(IniFile(inifile), sectionName);
    placement = keptBounds(fitToScreen(*this, settings.bounds), settings.bounds);
    setWindowBounds(placement);

    mainchat->styles().setPointSize(settings.textSize);
    mainchat->format();
    for (QAction *size : {N8, N10, N12, N14})
        size->setChecked(size->data().toInt() == settings.textSize);
    chatColour = settings.textColor;
    applyChatColour();
    if (settings.timePerTurn)
        timePerTurn = qBound(kMinTimePerTurn, *settings.timePerTurn, kMaxTimePerTurn);
    choose(timebetween, settings.timeBetween == 5 ? Slow1 : settings.timeBetween == 15 ? Fast1 : Normal1);
    for (int n = 1; n <= Settings::kPhraseCount; ++n) {
        if (!settings.phrases[n - 1].isEmpty())
            b_phrase[n]->setToolTip(settings.phrases[n - 1]);
    }
    TypeWords1->setChecked(settings.typeWords);
    usespace->setChecked(settings.useSpace);
    showbadword->setChecked(settings.showBadWord);
    clearwords1->setChecked(settings.clearWords);
    choose(TurnSound1, settings.turnSound == 1 ? New1 : Classic1);
    PlaySounds1->setChecked(settings.playSounds);
    PlayChatterSounds1->setChecked(settings.chatterSounds);
    RobotChatter1->setChecked(settings.robotChatter);
    applyOptions();
}

void Tchat::saveinifile()
{
    Settings settings;
    settings.bounds = windowBounds();
    settings.textSize = mainchat->styles()[0].pointSize;
    settings.textColor = chatColour;
    settings.timePerTurn = timePerTurn;
    settings.turnSound = TurnSound1->data().toInt();
    settings.timeBetween = timebetween->data().toInt();
    settings.typeWords = TypeWords1->isChecked();
    settings.useSpace = usespace->isChecked();
    settings.showBadWord = showbadword->isChecked();
    settings.clearWords = clearwords1->isChecked();
    settings.playSounds = PlaySounds1->isChecked();
    settings.chatterSounds = PlayChatterSounds1->isChecked();
    settings.robotChatter = RobotChatter1->isChecked();
    IniFile file(inifile);
    settings.save(file, sectionName);
}

void Tchat::saveReportingErrors()
{
    try {
        saveinifile();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void Tchat::applyChatColour()
{
    QPalette palette = mychat->palette();
    palette.setColor(QPalette::Text, colortext::toColor(chatColour));
    mychat->setPalette(palette);
}

// The options the client and the board read, from the menus.
void Tchat::applyOptions()
{
    client->options.playSounds = PlaySounds1->isChecked();
    client->options.chatterSounds = PlayChatterSounds1->isChecked();
    client->options.turnSound = TurnSound1->data().toInt();
    rack->setTypeWords(TypeWords1->isChecked());
    rack->setUseSpace(usespace->isChecked());
    rack->setClearWords(clearwords1->isChecked());
    rack->setShowBadWord(showbadword->isChecked());
    robots->setChatter(RobotChatter1->isChecked());
}

void Tchat::RobotChatter1Click()
{
    applyOptions();
    saveReportingErrors();
}

// The check items toggle themselves; their handlers pass the choice on and
// save.
void Tchat::PlaySounds1Click()
{
    applyOptions();
    saveReportingErrors();
}

void Tchat::PlayChatterSounds1Click()
{
    applyOptions();
    saveReportingErrors();
}

void Tchat::New1Click(QAction *item)
{
    choose(TurnSound1, item);
    applyOptions();
    saveReportingErrors();
}

void Tchat::TypeWords1Click()
{
    applyOptions();
    saveReportingErrors();
}

void Tchat::usespaceClick()
{
    applyOptions();
    saveReportingErrors();
}

void Tchat::clearwords1Click()
{
    applyOptions();
    saveReportingErrors();
}

void Tchat::Fast1Click(QAction *item)
{
    choose(timebetween, item);
    saveReportingErrors();
}

void Tchat::showbadwordClick()
{
    applyOptions();
    saveReportingErrors();
}

void Tchat::TextColor1Click()
{
    if (!ColorDialog) {
        ColorDialog = new QColorDialog(this);
        ColorDialog->setObjectName(QStringLiteral("ColorDialog"));
        ColorDialog->setOption(QColorDialog::DontUseNativeDialog);
        // Only a confirmed choice changes the colour and is saved.
        connect(ColorDialog, &QColorDialog::colorSelected, this, [this](const QColor &colour) {
            chatColour = valueFromColor(colour);
            applyChatColour();
            saveReportingErrors();
        });
    }
    ColorDialog->setCurrentColor(colortext::toColor(chatColour));
    ColorDialog->open();
}

void Tchat::N14Click(QAction *item)
{
    mainchat->styles().setPointSize(item->data().toInt());
    mainchat->format();
    item->setChecked(true);
    saveReportingErrors();
}

int Tchat::pauseBetweenFrames() const
{
    return timebetween->data().toInt();
}

