#include "app/chatform.h"

#include "app/formhelpers.h"
#include "app/forms.h"
#include "app/singleinstance.h"
#include "base/errordisplay.h"
#include "board/boardview.h"
#include "board/rackmodel.h"
#include "board/scorecardmodel.h"
#include "board/scorecardview.h"
#include "chat/chatedit.h"
#include "chat/chatlog.h"
#include "chat/chatview.h"
#include "client/gameclient.h"
#include "client/gameflow.h"
#include "client/robottable.h"
#include "client/turnclock.h"
#include "dialogs/aboutform.h"
#include "dialogs/helpform.h"
#include "client/spylistform.h"
#include "settings/inifile.h"
#include "sound/soundplayer.h"
#include "ui/artwork.h"
#include "ui/windowplacement.h"
#include "words/random.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>

using namespace formhelpers;

namespace {

constexpr int kBoardWidth = 567;
constexpr int kBoardHeight = 525;

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

    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("client"));
    area->setAutoFillBackground(true);
    // The client area never gets smaller than the board with its margins.
    area->setMinimumSize(kBoardWidth + 15, kBoardHeight + 12);
    setCentralWidget(area);

    panel_board = new QWidget(area);
    panel_board->setObjectName(QStringLiteral("panel_board"));
    panel_board->setGeometry(2, 2, kBoardWidth, kBoardHeight);

    client = new GameClient(this);
    receivedlist = client->receivedlist;
    sounds = new SoundPlayer(this);
    client->setSoundOutput(sounds);
    client->setHostStarter([this](quint16 port, bool everyAddress) { startHost(port, everyAddress); });
    rack = new RackModel(this);
    score = new ScoreCardModel(this);
    clock = new TurnClock(this);
    flow = new GameFlow(*client, *rack, *score, *clock, this);
    robots = new RobotTable(*client, this);

    buildBoard();
    buildChat();
    buildMenus();
    buildPopups();

    phraseLockTimer.setSingleShot(true);
    phraseLockTimer.setInterval(2000);
    connect(&phraseLockTimer, &QTimer::timeout, this, &Tchat::phraseLockRelease);
    inifile = IniFile::locate(QStringLiteral("orviklobby.ini"));
    m_chatlog = std::make_unique<ChatLog>(mainchat);
    connectChat();
    connectOptions();
    connectGame();
    connectRoster();

    // The frame, title bar included, starts on the screen.
    resize(573, 530 + menuBar()->sizeHint().height());
    move(3, 3);
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::buildBoard()
{
    QWidget *b = panel_board;
    Image4 = makePicture(b, QStringLiteral("Image4"), {6, 5, 554, 205}, artwork::scorecardCard(), false,
                         QStringLiteral("Scorecard"));
    scorecard = new ScoreCardView(score, b);
    scorecard->setObjectName(QStringLiteral("scorecard"));

    label_teamgame = makeLabel(b, QStringLiteral("label_teamgame"), {16, 15, 87, 14}, QStringLiteral("Good Luck!"),
                               QStringLiteral("game kind"));
    label_teamgame->setFont(arial(11, true));

    constexpr std::array<int, 5> kSeatY = {0, 49, 89, 129, 169};
    constexpr std::array<int, 5> kWinnerY = {0, 32, 73, 113, 154};
    constexpr std::array<std::array<int, 4>, 5> kWordTops = {{{}, {0, 28, 41, 53}, {0, 68, 80, 93},
                                                              {0, 108, 120, 133}, {0, 147, 160, 173}}};
    for (int n = 1; n <= 4; ++n) {
        const int y = kSeatY[n];
        // A long name is drawn cut short; the whole name stays the label's text.
        label_playername[n] = new ElidedLabel(QStringLiteral("<Waiting>"), b);
        label_playername[n]->setObjectName(QStringLiteral("label_playername%1").arg(n));
        label_playername[n]->setGeometry(13, y, 94, 16);
        label_playername[n]->setAccessibleDescription(QStringLiteral("seat %1 player").arg(n));
        label_playername[n]->setFont(arial(13, true));
        label_playername[n]->setProperty("tag", n);
        label_playername[n]->setContextMenuPolicy(Qt::CustomContextMenu);
        setTextColour(label_playername[n], GameFlow::kDarkRed);

        label_score[n] = makeLabel(b, QStringLiteral("label_score%1").arg(n), {381, y - 3, 33, 19},
                                   QStringLiteral("0"), QStringLiteral("seat %1 score").arg(n));
        label_score[n]->setAlignment(Qt::AlignCenter);
        label_score[n]->setFont(arial(16, true));
        setTextColour(label_score[n], GameFlow::kDarkRed);

        image_eyes[n] = makeLazyPicture(b, QStringLiteral("image_eyes%1").arg(n), {12, y - 6, 25, 9}, &artwork::eyes,
                                        QStringLiteral("seat %1 is just watching").arg(n));
        image_eyes[n]->hide();
        image_winner[n] = makeLazyPicture(b, QStringLiteral("image_winner%1").arg(n), {11, kWinnerY[n], 94, 16},
                                          &artwork::winnerBanner, QStringLiteral("seat %1 won").arg(n));
        image_winner[n]->hide();

        for (int k = 1; k <= 3; ++k) {
            label_word[n][k] = makeLabel(b, QStringLiteral("label_word%1%2").arg(n).arg(k),
                                         {421, kWordTops[n][k], 134, 13}, QString(),
                                         QStringLiteral("seat %1 word %2").arg(n).arg(k));
            label_word[n][k]->setFont(arial(11, true));
        }
    }
    label_theword = makeLabel(b, QStringLiteral("label_theword"), {16, 189, 536, 14}, QString(),
                              QStringLiteral("word line"));
    label_theword->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_theword->setFont(arial(13, true));
    setTextColour(label_theword, 3621960);

    button_start = makeLazyPicture(b, QStringLiteral("button_start"), {64, 212, 104, 23},
                                   [] { return artwork::commandButton(QStringLiteral("Start Game")); },
                                   QStringLiteral("Start Game"));
    button_start->setCursor(Qt::PointingHandCursor);
    connect(button_start, &PictureBox::clicked, this, &Tchat::button_startClick);
    button_clear = makeLazyPicture(b, QStringLiteral("button_clear"), {8, 213, 104, 23},
                                   [] { return artwork::commandButton(QStringLiteral("Clear")); },
                                   QStringLiteral("Clear"));
    button_clear->hide();
    button_send = makeLazyPicture(b, QStringLiteral("button_send"), {120, 213, 104, 23},
                                  [] { return artwork::commandButton(QStringLiteral("Send")); }, QStringLiteral("Send"));
    button_send->hide();
    label_status = makeLabel(b, QStringLiteral("label_status"), {230, 216, 327, 16}, QStringLiteral("Welcome Pinlex"),
                             QStringLiteral("status"));
    label_status->setFont(arial(13, true));

    boardView = new BoardView(rack, b);
    for (int k = 1; k <= 10; ++k) {
        image_word[k] = boardView->wordSlot(k);
        image_letters[k] = boardView->rackTile(k);
    }

    Image1 = makePicture(b, QStringLiteral("Image1"), {453, 288, 107, 44}, artwork::timerFrame());
    image_timer = makePicture(b, QStringLiteral("image_timer"), {459, 293, 97, 34}, artwork::timerBar(), true,
                              QStringLiteral("time left"));
    label_timer = makeLabel(b, QStringLiteral("label_timer"), {463, 301, 90, 18}, QStringLiteral("Time: 0:00"),
                            QStringLiteral("turn clock"));
    label_timer->setFont(arial(15, true));
    setTextColour(label_timer, TurnClock::kPaleYellow);
    label_timeperturn = makeLabel(b, QStringLiteral("label_timeperturn"), {450, 275, 113, 14},
                                  QStringLiteral("Turn Time: 200 s."), QStringLiteral("time per turn"));
    button_sort = makeLazyPicture(b, QStringLiteral("button_sort"), {465, 241, 32, 32}, &artwork::sortButton,
                                  QStringLiteral("Sort Letters"));
    button_sort->setToolTip(QStringLiteral("Sort Letters"));
    button_sort->hide();

    image_noplay = makeLazyPicture(b, QStringLiteral("image_noplay"), {128, 262, 238, 41}, &artwork::noPlayBanner,
                                   QStringLiteral("Not playing this frame"));
    image_noplay->hide();
    panel_badword = makeLazyPicture(b, QStringLiteral("panel_badword"), {120, 246, 240, 57}, &artwork::badWordPanel,
                                    QStringLiteral("Invalid word"));
    Image3 = makeLazyPicture(panel_badword, QStringLiteral("Image3"), {100, 33, 40, 18}, &artwork::okPicture,
                             QStringLiteral("OK"));
    Image3->setCursor(Qt::PointingHandCursor);
    panel_badword->hide();
    boardView->attachCommands(button_clear, button_send, button_sort, panel_badword, Image3);
    boardView->watchKeys(this);
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
    b_phrase[10]->setAccessibleName(QStringLiteral("Chatter Sounds"));
    connect(b_phrase[10], &QPushButton::clicked, this, &Tchat::b_phrase10Click);

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
    mainchat->setAccessibleName(QStringLiteral("Chat"));

    mychat = new ChatEdit(b);
    mychat->setObjectName(QStringLiteral("mychat"));
    mychat->setGeometry(35, 499, 430, 22);
    mychat->setAccessibleName(QStringLiteral("Chat line"));
    button_smilies = new FlatButton(QStringLiteral(":)"), b);
    button_smilies->setObjectName(QStringLiteral("button_smilies"));
    button_smilies->setGeometry(470, 500, 25, 19);
    button_smilies->setAccessibleName(QStringLiteral("Smilies"));
    Image2 = makePicture(b, QStringLiteral("Image2"), {505, 500, 58, 24}, artwork::logo(), false,
                         QStringLiteral("About Pinlex"));
    Image2->setCursor(Qt::PointingHandCursor);
    connect(Image2, &PictureBox::clicked, this, &Tchat::Image2Click);
}

void Tchat::FormCreate()
{
    m_marker = std::make_unique<RunMarker>(sectionName);
    phraseLockReady = true;
    systemColour = 0xFF0000;
    highestseat = kHighestSeat;
    clearall();
    Random::randomizeFromClock();
    client->ishost = false;
    rack->setTurnseat(0);
    linkcount = -1;
}

void Tchat::clearall()
{
    flow->clearall();
}

void Tchat::setPort(quint16 port)
{
    client->setPort(port);
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !std::exchange(m_shown, true))
        FormShow();
}

void Tchat::FormShow()
{
    processparams();
}

void Tchat::processparams()
{
    client->processparams(m_parameters);
}

QRect Tchat::windowBounds() const
{
    return keptBounds(frameGeometry(), placement);
}

void Tchat::setWindowBounds(const QRect &bounds)
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (!compositorPlacesWindows())
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
    if (m_forms)
        m_forms->help()->show();
}

void Tchat::About1Click()
{
    if (m_forms)
        m_forms->about()->show();
}

void Tchat::SpyList1Click()
{
    if (m_forms)
        m_forms->spylist()->show();
}

// The game has no web page of its own: the logo shows the about box.
void Tchat::Image2Click()
{
    About1Click();
}
