#include "app/chatform.h"

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/windowplacement.h"
#include "base/errordisplay.h"
#include "app/forms.h"
#include "app/singleinstance.h"
#include "base/tcolor.h"
#include "board/tileimages.h"
#include "chat/chatedit.h"
#include "chat/chatlog.h"
#include "chat/chatmessages.h"
#include "chat/chatview.h"
#include "chat/phrasesform.h"
#include "chat/smilies.h"
#include "client/spylistform.h"
#include "dialogs/aboutform.h"
#include "dialogs/helpform.h"
#include "net/framing.h"
#include "net/tsock.h"
#include "settings/colortext.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "tally/tallylistform.h"
#include "words/random.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>

namespace {

constexpr int kBoardWidth = 567;
constexpr int kBoardHeight = 525;
// Left edges of the rack tiles and word slots, tile 1 to 10.
constexpr std::array<int, 11> kTileX = {0, 8, 52, 97, 141, 186, 230, 275, 319, 364, 408};
constexpr int kRackTop = 289;
constexpr int kWordTop = 240;

QFont arial(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

PictureBox *makePicture(QWidget *parent, const QString &name, const QRect &geometry, const QPixmap &picture = {},
                        bool stretch = false)
{
    auto *box = new PictureBox(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    if (!picture.isNull())
        box->setPicture(picture, stretch);
    return box;
}

void setTextColour(QLabel *label, quint32 value)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colorFromValue(value));
    label->setPalette(palette);
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption, bool checkable = false,
                 bool checked = false)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    action->setChecked(checked);
    return action;
}

QAction *addSeparator(QMenu *menu, const QString &name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(name);
    return separator;
}

// A choice among radio items: the submenu's tag takes the chosen item's tag.
void choose(QAction *submenu, std::initializer_list<QAction *> items, QAction *chosen)
{
    submenu->setData(chosen->data());
    for (QAction *item : items)
        item->setChecked(false);
    chosen->setChecked(true);
}

const char *const kBuiltInPhrases[] = {"Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
                                       "Wow, WTG!", "Thanks!", "Way To Go Teamie!", "Good Game Everyone!"};

} // namespace

Tchat::Tchat(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Pinlex "));
    setFont(arial(11));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colorFromValue(0x9BB7BE));
    setPalette(palette);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    // The client area never gets smaller than the board with its margins.
    client->setMinimumSize(kBoardWidth + 15, kBoardHeight + 12);
    setCentralWidget(client);

    panel_board = new QWidget(client);
    panel_board->setObjectName(QStringLiteral("panel_board"));
    panel_board->setGeometry(2, 2, kBoardWidth, kBoardHeight);

    buildBoard();
    buildChat();
    buildMenus();
    buildPopups();

    sock = new TSock(this);
    sock->setObjectName(QStringLiteral("sock"));
    sock->setPortName(QStringLiteral("7772"));
    Sock11 = new TSock(this);
    Sock11->setObjectName(QStringLiteral("Sock11"));
    Sock11->setHostName(QStringLiteral("127.0.0.1"));
    Sock11->setPortName(QStringLiteral("9001"));
    receivedlist = new Dispatcher(this);
    turntime.setInterval(1000);
    phraseLockTimer.setSingleShot(true);
    phraseLockTimer.setInterval(2000);
    connect(&phraseLockTimer, &QTimer::timeout, this, &Tchat::phraseLockRelease);
    inifile = IniFile::locate(QStringLiteral("orviklobby.ini"));
    m_chatlog = std::make_unique<ChatLog>(mainchat);
    connectChat();
    connectOptions();

    setGeometry(3, 3, 573, 530 + menuBar()->sizeHint().height());
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::buildBoard()
{
    QWidget *b = panel_board;
    Image4 = makePicture(b, QStringLiteral("Image4"), {6, 5, 554, 205}, artwork::scorecardCard());
    scorecard = new QWidget(b);
    scorecard->setObjectName(QStringLiteral("scorecard"));
    scorecard->setGeometry(107, 28, 273, 160);
    scorecard->setAttribute(Qt::WA_TranslucentBackground);

    label_teamgame = makeLabel(b, QStringLiteral("label_teamgame"), {16, 15, 87, 14}, QStringLiteral("Good Luck!"));
    label_teamgame->setFont(arial(11, true));

    constexpr std::array<int, 5> kSeatY = {0, 49, 89, 129, 169};
    constexpr std::array<int, 5> kWinnerY = {0, 32, 73, 113, 154};
    constexpr std::array<std::array<int, 4>, 5> kWordTops = {{{}, {0, 28, 41, 53}, {0, 68, 80, 93},
                                                              {0, 108, 120, 133}, {0, 147, 160, 173}}};
    for (int n = 1; n <= 4; ++n) {
        const int y = kSeatY[n];
        label_playername[n] = makeLabel(b, QStringLiteral("label_playername%1").arg(n), {13, y, 94, 16},
                                        QStringLiteral("<Waiting>"));
        label_playername[n]->setFont(arial(13, true));
        label_playername[n]->setProperty("tag", n);
        label_playername[n]->setContextMenuPolicy(Qt::CustomContextMenu);
        setTextColour(label_playername[n], 0x0000DD);

        label_score[n] = makeLabel(b, QStringLiteral("label_score%1").arg(n), {381, y - 3, 33, 19},
                                   QStringLiteral("0"));
        label_score[n]->setAlignment(Qt::AlignCenter);
        label_score[n]->setFont(arial(16, true));
        setTextColour(label_score[n], 0x0000DD);

        image_eyes[n] = makePicture(b, QStringLiteral("image_eyes%1").arg(n), {12, y - 6, 25, 9}, artwork::eyes());
        image_eyes[n]->hide();
        image_winner[n] = makePicture(b, QStringLiteral("image_winner%1").arg(n),
                                      {11, kWinnerY[n], 94, 16}, artwork::winnerBanner());
        image_winner[n]->hide();

        for (int k = 1; k <= 3; ++k) {
            label_word[n][k] = makeLabel(b, QStringLiteral("label_word%1%2").arg(n).arg(k),
                                         {421, kWordTops[n][k], 134, 13}, QString());
            label_word[n][k]->setFont(arial(11, true));
        }
    }
    label_theword = makeLabel(b, QStringLiteral("label_theword"), {16, 189, 536, 14}, QString());
    label_theword->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_theword->setFont(arial(13, true));
    setTextColour(label_theword, 3621960);

    button_start = makePicture(b, QStringLiteral("button_start"), {64, 212, 104, 23},
                               artwork::commandButton(QStringLiteral("Start Game")));
    button_start->setCursor(Qt::PointingHandCursor);
    button_clear = makePicture(b, QStringLiteral("button_clear"), {8, 213, 104, 23},
                               artwork::commandButton(QStringLiteral("Clear")));
    button_clear->hide();
    button_send = makePicture(b, QStringLiteral("button_send"), {120, 213, 104, 23},
                              artwork::commandButton(QStringLiteral("Send")));
    button_send->hide();
    label_status = makeLabel(b, QStringLiteral("label_status"), {230, 216, 327, 16}, QStringLiteral("Welcome Pinlex"));
    label_status->setFont(arial(13, true));

    for (int k = 1; k <= 10; ++k) {
        image_word[k] = makePicture(b, QStringLiteral("image_word%1").arg(k), {kTileX[k], kWordTop, 41, 41});
        image_letters[k] = makePicture(b, QStringLiteral("image_letters%1").arg(k),
                                       {kTileX[k], k == 1 ? 290 : kRackTop, 41, 41});
    }

    Image1 = makePicture(b, QStringLiteral("Image1"), {453, 288, 107, 44}, artwork::timerFrame());
    image_timer = makePicture(b, QStringLiteral("image_timer"), {459, 293, 97, 34}, artwork::timerBar(), true);
    label_timer = makeLabel(b, QStringLiteral("label_timer"), {463, 301, 90, 18}, QStringLiteral("Time: 0:00"));
    label_timer->setFont(arial(15, true));
    setTextColour(label_timer, 10347488);
    label_timeperturn = makeLabel(b, QStringLiteral("label_timeperturn"), {450, 275, 113, 14},
                                  QStringLiteral("Turn Time: 200 s."));
    button_sort = makePicture(b, QStringLiteral("button_sort"), {465, 241, 32, 32}, artwork::sortButton());
    button_sort->setToolTip(QStringLiteral("Sort Letters"));
    button_sort->hide();

    image_noplay = makePicture(b, QStringLiteral("image_noplay"), {128, 262, 238, 41}, artwork::noPlayBanner());
    image_noplay->hide();
    panel_badword = makePicture(b, QStringLiteral("panel_badword"), {120, 246, 240, 57}, artwork::badWordPanel());
    Image3 = makePicture(panel_badword, QStringLiteral("Image3"), {100, 33, 40, 18}, artwork::okPicture());
    Image3->setCursor(Qt::PointingHandCursor);
    panel_badword->hide();
}

void Tchat::buildChat()
{
    QWidget *b = panel_board;
    for (int n = 1; n <= 9; ++n) {
        b_phrase[n] = new FlatButton(QString::number(n), b);
        b_phrase[n]->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        b_phrase[n]->setGeometry(7, 332 + 19 * (n - 1), 25, 19);
        b_phrase[n]->setToolTip(QLatin1String(kBuiltInPhrases[n - 1]));
    }
    b_phrase[10] = new FlatButton(QStringLiteral("\u266A"), b);
    b_phrase[10]->setObjectName(QStringLiteral("b_phrase10"));
    b_phrase[10]->setGeometry(7, 503, 25, 19);
    b_phrase[10]->setToolTip(QStringLiteral("Chatter Sounds"));

    auto *frame = new QFrame(b);
    frame->setObjectName(QStringLiteral("panel_chat"));
    frame->setGeometry(35, 333, 526, 164);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    panel_chat = frame;
    mainchat = new ChatView(frame);
    mainchat->setObjectName(QStringLiteral("mainchat"));
    mainchat->setGeometry(2, 2, 522, 160);
    mainchat->setFrameShape(QFrame::NoFrame);

    mychat = new ChatEdit(b);
    mychat->setObjectName(QStringLiteral("mychat"));
    mychat->setGeometry(35, 499, 430, 22);
    button_smilies = new FlatButton(QStringLiteral(":)"), b);
    button_smilies->setObjectName(QStringLiteral("button_smilies"));
    button_smilies->setGeometry(470, 500, 25, 19);
    Image2 = makePicture(b, QStringLiteral("Image2"), {505, 500, 58, 24}, artwork::logo());
    Image2->setCursor(Qt::PointingHandCursor);
    connect(Image2, &PictureBox::clicked, this, &Tchat::Image2Click);
}

void Tchat::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    StartGame1 = addItem(file, QStringLiteral("StartGame1"), QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
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
    ScrollChatOff2 = addItem(options, QStringLiteral("ScrollChatOff2"), QStringLiteral("Scroll Chat Off"), true);
    ScrollChatOff2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ClearMainChat1 = addItem(options, QStringLiteral("ClearMainChat1"), QStringLiteral("Clear Main Chat"));
    ResetLocation1 = addItem(options, QStringLiteral("ResetLocation1"), QStringLiteral("Reset Screen Location"));
    connect(ResetLocation1, &QAction::triggered, this, &Tchat::ResetLocation1Click);
    addSeparator(options, QStringLiteral("N2"));
    JustWatch1 = addItem(options, QStringLiteral("JustWatch1"), QStringLiteral("Just Watch"), true);

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

    static const char *const kSoundCaptions[] = {
        "Doh", "Cough", "Hello", "Thank You", "Where have you been?", "Snoring", "Sneezing", "Sorry",
        "Welcome", "Yeehaa", "Yippee", "Oh No", "Applause", "Honk", "Oooh", "Razzberry", "Cheer",
        "Woman Laughing", "Man Laughing", "Crying"};
    popup_sounds = new QMenu(this);
    popup_sounds->setObjectName(QStringLiteral("popup_sounds"));
    addItem(popup_sounds, QStringLiteral("Cancel1"), QStringLiteral("<Cancel>"))->setData(0);
    for (int n = 1; n <= 20; ++n) {
        QAction *wave = addItem(popup_sounds, QStringLiteral("wave%1").arg(n), QLatin1String(kSoundCaptions[n - 1]));
        wave->setData(n);
        wave->setToolTip(wave->text());
    }

    popup_smilies = new QMenu(this);
    popup_smilies->setObjectName(QStringLiteral("popup_smilies"));
    for (int code = 10; code <= 27; ++code)
        addItem(popup_smilies, QStringLiteral("N%1").arg(code), QStringLiteral(":)#%1").arg(code))->setData(code);
}

void Tchat::FormCreate()
{
    m_marker = std::make_unique<RunMarker>(sectionName);
    phraseLockReady = true;
    systemColour = 0xFF0000;
    highestseat = kHighestSeat;
    clearall();
    Random::randomizeFromClock();
    ishost = false;
    turnseat = 0;
    linkcount = -1;
}

void Tchat::clearall()
{
    label_theword->clear();
    swappick = 0;
    for (int seat = 1; seat <= highestseat; ++seat) {
        label_score[seat]->setText(QStringLiteral("0"));
        image_winner[seat]->hide();
    }
    for (int k = 1; k <= 10; ++k) {
        image_letters[k]->move(kTileX[k], kRackTop);
        image_word[k]->setTag(0);
        image_word[k]->setHint(QString());
        image_word[k]->setPicture(tileimages::picture(tileimages::kKnockedDown + k));
    }
    for (int seat = 1; seat <= 4; ++seat) {
        for (int k = 1; k <= 3; ++k)
            label_word[seat][k]->clear();
    }
    scorecard->update();
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tchat::FormShow()
{
    processparams();
}

void Tchat::processparams()
{
    button_start->hide();
    StartGame1->setEnabled(false);
}

QRect Tchat::windowBounds() const
{
    return frameGeometry();
}

void Tchat::setWindowBounds(const QRect &bounds)
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    move(bounds.topLeft());
    resize(bounds.width() - frameExtra.width(), bounds.height() - frameExtra.height());
}

void Tchat::closeEvent(QCloseEvent *event)
{
    if (!FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

bool Tchat::FormClose()
{
    QRect bounds = windowBounds();
    if (bounds == placement)
        return true; // nothing moved since the settings were loaded or saved
    if (const QScreen *screen = this->screen()) {
        const QRect workArea = screen->availableGeometry();
        if (bounds.width() > workArea.width())
            bounds.setWidth(bounds.width() - 15);
        if (bounds.height() > workArea.height())
            bounds.setHeight(bounds.height() - 15);
    }
    placement = bounds;
    try {
        saveinifile();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

void Tchat::connectChat()
{
    mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mainchat, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        popup_mainchat->popup(mainchat->viewport()->mapToGlobal(at));
    });
    connect(mainchat, &ChatView::jump, this, &Tchat::mainchatJump);
    connect(SelectAll1, &QAction::triggered, this, &Tchat::SelectAll1Click);
    connect(Copy1, &QAction::triggered, this, &Tchat::Copy1Click);
    connect(ClearMainChat1, &QAction::triggered, this, &Tchat::ClearMainChat1Click);
    connect(ClearMainChat2, &QAction::triggered, this, &Tchat::ClearMainChat1Click);
    connect(ScrollChatOff1, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);
    connect(ScrollChatOff2, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);

    mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mychat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { popup_mychat->popup(mychat->mapToGlobal(at)); });
    connect(mychat, &ChatEdit::enterPressed, this, &Tchat::sendit);
    connect(Paste1, &QAction::triggered, this, &Tchat::Paste1Click);

    for (int n = 1; n <= 9; ++n)
        connect(b_phrase[n], &QPushButton::clicked, this, [this, n] { b_phrase1Click(n); });
    connect(PrhaseList1, &QAction::triggered, this, &Tchat::PrhaseList1Click);
    connect(button_smilies, &QPushButton::clicked, this, &Tchat::button_smiliesClick);
    for (QAction *item : popup_smilies->actions()) {
        const int code = item->data().toInt();
        item->setIcon(QPixmap::fromImage(smilies::picture(code - smilies::kFirstCode)));
        connect(item, &QAction::triggered, this, [this, code] { N271Click(code); });
    }

    const auto received = [this](const QByteArray &payload, quint64) { chatrecieved(payload); };
    receivedlist->addCommand("CMD_chat", received);
    receivedlist->addCommand("CMD_action", received);
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

void Tchat::loadinifile()
{
    const Settings settings = Settings::load(IniFile(inifile), sectionName);
    placement = fitToScreen(*this, settings.bounds);
    setWindowBounds(placement);

    mainchat->styles().setPointSize(settings.textSize);
    mainchat->format();
    for (QAction *size : {N8, N10, N12, N14}) {
        if (size->text() == QString::number(settings.textSize))
            size->setChecked(true);
    }
    chatColour = settings.textColor;
    applyChatColour();
    if (settings.timePerTurn)
        timePerTurn = qBound(kMinTimePerTurn, *settings.timePerTurn, kMaxTimePerTurn);
    choose(timebetween, {Slow1, Normal1, Fast1},
           settings.timeBetween == 5 ? Slow1 : settings.timeBetween == 15 ? Fast1 : Normal1);
    for (int n = 1; n <= Settings::kPhraseCount; ++n) {
        if (!settings.phrases[n - 1].isEmpty())
            b_phrase[n]->setToolTip(settings.phrases[n - 1]);
    }
    TypeWords1->setChecked(settings.typeWords);
    usespace->setChecked(settings.useSpace);
    showbadword->setChecked(settings.showBadWord);
    clearwords1->setChecked(settings.clearWords);
    choose(TurnSound1, {Classic1, New1}, settings.turnSound == 1 ? New1 : Classic1);
    PlaySounds1->setChecked(settings.playSounds);
    PlayChatterSounds1->setChecked(settings.chatterSounds);
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

// The check items toggle themselves; their handlers only save.
void Tchat::PlaySounds1Click()
{
    saveReportingErrors();
}

void Tchat::PlayChatterSounds1Click()
{
    saveReportingErrors();
}

void Tchat::New1Click(QAction *item)
{
    choose(TurnSound1, {Classic1, New1}, item);
    saveReportingErrors();
}

void Tchat::TypeWords1Click()
{
    saveReportingErrors();
}

void Tchat::usespaceClick()
{
    saveReportingErrors();
}

void Tchat::clearwords1Click()
{
    saveReportingErrors();
}

void Tchat::Fast1Click(QAction *item)
{
    choose(timebetween, {Slow1, Normal1, Fast1}, item);
    saveReportingErrors();
}

void Tchat::showbadwordClick()
{
    saveReportingErrors();
}

void Tchat::TextColor1Click()
{
    ColorDialog->setCurrentColor(colortext::toColor(chatColour));
    ColorDialog->open();
}

void Tchat::N14Click(QAction *item)
{
    mainchat->styles().setPointSize(item->data().toInt());
    mainchat->format();
    for (QAction *size : {N8, N10, N12, N14})
        size->setChecked(false);
    item->setChecked(true);
    saveReportingErrors();
}

void Tchat::addlinetochat(const QString &line, quint32 colour)
{
    try {
        m_chatlog->addLine(line, colour, !ScrollChatOff2->isChecked());
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
    linkcount = m_chatlog->linkcount();
}

void Tchat::chatrecieved(const QByteArray &payload)
{
    const chatmessages::Received received = chatmessages::split(payload);
    addlinetochat(received.line, received.colour);
}

bool Tchat::sendToHost(const QByteArray &message)
{
    try {
        sock->send(message);
        return true;
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return false;
    }
}

void Tchat::sendit()
{
    if (!loggedin)
        return; // the text waits in the edit until the host has seated us
    const QByteArray message = chatmessages::forChatLine(myseat, mychat->text(), chatColour, actionColour);
    if (!message.isEmpty() && !sendToHost(message))
        return;
    mychat->clear();
}

void Tchat::b_phrase1Click(int n)
{
    if (!phraseLockReady || n < 1 || n > Settings::kPhraseCount)
        return;
    if (!sendToHost(chatmessages::forPhrase(myseat, b_phrase[n]->toolTip(), actionColour)))
        return;
    phraseLockReady = false;
    phraseLockTimer.start();
}

void Tchat::phraseLockRelease()
{
    phraseLockTimer.stop();
    phraseLockReady = true;
}

void Tchat::PrhaseList1Click()
{
    if (!m_forms || !m_forms->phrases)
        return;
    Tphrases *editor = m_forms->phrases.get();
    for (int n = 1; n <= 10; ++n)
        editor->phrase[n]->setText(b_phrase[n]->toolTip());
    connect(editor, &Tphrases::phrasesDone, this, &Tchat::applyPhrases, Qt::UniqueConnection);
    editor->show();
    editor->raise();
    editor->activateWindow();
}

void Tchat::applyPhrases(const QStringList &phrases)
{
    std::array<QString, Settings::kPhraseCount> stored;
    for (int n = 1; n <= Settings::kPhraseCount && n <= phrases.size(); ++n) {
        stored[n - 1] = phrases[n - 1];
        b_phrase[n]->setToolTip(stored[n - 1]);
    }
    try {
        IniFile file(inifile);
        Settings::savePhrases(file, sectionName, stored);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void Tchat::button_smiliesClick()
{
    popup_smilies->popup(button_smilies->mapToGlobal(QPoint(button_smilies->width(), button_smilies->height())));
}

void Tchat::N271Click(int code)
{
    mychat->insertSmiley(code);
    mychat->setFocus();
}

void Tchat::mainchatJump(int link)
{
    const QUrl address = ChatLog::webAddress(m_chatlog->link(link).value_or(QString()));
    if (!address.isValid()) {
        showError(QStringLiteral("Cannot open Webpage"));
        return;
    }
    QDesktopServices::openUrl(address);
}

void Tchat::SelectAll1Click()
{
    mainchat->selectAll();
}

void Tchat::Copy1Click()
{
    mainchat->copySelection();
}

void Tchat::Paste1Click()
{
    mychat->pasteAtEnd();
}

void Tchat::ClearMainChat1Click()
{
    m_chatlog->clear();
    linkcount = m_chatlog->linkcount();
    mychat->setFocus();
}

void Tchat::ScrollChatOff1Click(bool checked)
{
    ScrollChatOff1->setChecked(checked);
    ScrollChatOff2->setChecked(checked);
}

int Tchat::pauseBetweenFrames() const
{
    return timebetween->data().toInt();
}

QStringList Tchat::loadchecklist()
{
    QStringList names;
    for (int seat = 1; seat <= highestseat; ++seat) {
        const QString name = label_playername[seat]->text();
        if (seat != myseat && name != QLatin1String("<Waiting>"))
            names << name;
    }
    if (m_forms && m_forms->tallylist)
        m_forms->tallylist->loadchecklist(names);
    return names;
}

void Tchat::ViewTally1Click()
{
    if (!m_forms || !m_forms->tallylist)
        return;
    loadchecklist();
    m_forms->tallylist->show();
    m_forms->tallylist->raise();
    m_forms->tallylist->activateWindow();
}

void Tchat::ResetLocation1Click()
{
    setWindowBounds(QRect(3, 3, kDefaultWidth, kDefaultHeight));
}

void Tchat::Exit1Click()
{
    close();
}

void Tchat::Help2Click()
{
    if (m_forms && m_forms->help)
        m_forms->help->show();
}

void Tchat::About1Click()
{
    if (m_forms && m_forms->about)
        m_forms->about->show();
}

void Tchat::SpyList1Click()
{
    if (m_forms && m_forms->spylist)
        m_forms->spylist->show();
}

// The game has no web page of its own: the logo shows the about box.
void Tchat::Image2Click()
{
    About1Click();
}
