#include "app/chatform.h"

#include "app/cardlabels.h"
#include "app/chatbox.h"
#include "app/formhelpers.h"
#include "app/formopener.h"
#include "app/optionsmenu.h"
#include "app/session.h"
#include "app/singleinstance.h"
#include "base/errordisplay.h"
#include "board/boardview.h"
#include "board/scorecardview.h"
#include "chat/chatedit.h"
#include "client/turnclockview.h"
#include "dialogs/aboutform.h"
#include "settings/inifile.h"
#include "ui/artwork.h"
#include "ui/windowpalette.h"
#include "ui/windowplacement.h"
#include "words/random.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

using namespace formhelpers;

namespace {

constexpr int kBoardWidth = 567;
constexpr int kBoardHeight = 525;

PictureBox *commandButton(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption)
{
    return makeLazyPicture(
        parent, name, geometry, [caption](qreal ratio) { return artwork::commandButton(caption, ratio); }, caption);
}

} // namespace

Tchat::Tchat(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Pinlex "));
    setFont(arial(11));
    windowpalette::use(this);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colorFromValue(0x9BB7BE));
    setPalette(palette);

    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("client"));
    area->setAutoFillBackground(true);
    // The client area never gets smaller than the board with its margins.
    area->setMinimumSize(kBoardWidth + 15, kBoardHeight + 12);
    setCentralWidget(area);
    m_board = new QWidget(area);
    m_board->setObjectName(QStringLiteral("panel_board"));
    m_board->setGeometry(2, 2, kBoardWidth, kBoardHeight);

    // Made after the controls' area, so that the controls go first.
    m_session = new Session(IniFile::locate(QStringLiteral("orviklobby.ini")), this);
    m_session->client.setHostStarter([this](quint16 port, bool everyAddress) { startHost(port, everyAddress); });
    m_session->options.setBoundsSource([this] { return windowBounds(); });

    buildMenus();
    buildBoard();
    bindGame();
    // The stored placement, fitted to the screen, is where the window goes.
    connect(&m_session->options, &Options::loaded, this, [this] {
        Options &options = m_session->options;
        options.setPlacement(keptBounds(fitToScreen(*this, options.placement()), options.placement()));
        setWindowBounds(options.placement());
    });

    // The frame, title bar included, starts on the screen, whether or not
    // the stored placement follows once the host has seated us. A window
    // moved before it is made is placed by its frame, unless it must grow
    // on its first show: then by its client area.
    ensurePolished();
    resize(QSize(573, 530 + menuBar()->sizeHint().height()).expandedTo(minimumSizeHint()));
    move(3, 3);
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::buildBoard()
{
    QWidget *b = m_board;
    makePicture(b, QStringLiteral("Image4"), {6, 5, 554, 205}, &artwork::scorecardCard, false,
                QStringLiteral("Scorecard"));
    (new ScoreCardView(&m_session->score, b))->setObjectName(QStringLiteral("scorecard"));
    auto *card = new CardLabels(b, m_session->roster, m_session->score, m_session->flow, m_session->robots);
    connect(card, &CardLabels::seatMenuRequested, this, &Tchat::label_playername1ContextPopup);

    m_start = commandButton(b, QStringLiteral("button_start"), {64, 212, 104, 23}, QStringLiteral("Start Game"));
    m_start->setCursor(Qt::PointingHandCursor);
    m_start->setKind(PictureBox::Kind::Button);
    m_start->setFocusPolicy(Qt::TabFocus);
    connect(m_start, &PictureBox::clicked, &m_session->flow, &GameFlow::button_startClick);
    PictureBox *clear = commandButton(b, QStringLiteral("button_clear"), {8, 213, 104, 23}, QStringLiteral("Clear"));
    clear->hide();
    PictureBox *send = commandButton(b, QStringLiteral("button_send"), {120, 213, 104, 23}, QStringLiteral("Send"));
    send->hide();
    m_status = makeLabel(b, QStringLiteral("label_status"), {230, 216, 327, 16}, QStringLiteral("Welcome Pinlex"),
                         QStringLiteral("status"));
    m_status->setFont(arial(13, true));

    auto *boardView = new BoardView(&m_session->rack, b);
    makePicture(b, QStringLiteral("Image1"), {453, 288, 107, 44}, &artwork::timerFrame);
    m_timerBar = makePicture(b, QStringLiteral("image_timer"), {459, 293, turnclockview::kBarWidth, 34},
                             &artwork::timerBar, true, QStringLiteral("time left"));
    m_timer = makeLabel(b, QStringLiteral("label_timer"), {463, 301, 90, 18}, QStringLiteral("Time: 0:00"),
                        QStringLiteral("turn clock"));
    m_timer->setFont(arial(15, true));
    m_timePerTurn = makeLabel(b, QStringLiteral("label_timeperturn"), {450, 275, 113, 14},
                              QStringLiteral("Turn Time: 200 s."), QStringLiteral("time per turn"));
    PictureBox *sort = makeLazyPicture(b, QStringLiteral("button_sort"), {465, 241, 32, 32}, &artwork::sortButton,
                                       QStringLiteral("Sort Letters"));
    sort->setToolTip(QStringLiteral("Sort Letters"));
    sort->hide();

    m_noPlay = makeLazyPicture(b, QStringLiteral("image_noplay"), {128, 262, 238, 41}, &artwork::noPlayBanner,
                               QStringLiteral("Not playing this frame"));
    m_noPlay->hide();
    PictureBox *badWord = makeLazyPicture(b, QStringLiteral("panel_badword"), {120, 246, 240, 57},
                                          &artwork::badWordPanel, QStringLiteral("Invalid word"));
    PictureBox *ok = makeLazyPicture(badWord, QStringLiteral("Image3"), {100, 33, 40, 18}, &artwork::okPicture,
                                     QStringLiteral("OK"));
    ok->setCursor(Qt::PointingHandCursor);
    badWord->hide();
    boardView->attachCommands(clear, send, sort, badWord, ok);
    boardView->watchKeys(this);

    m_chat = new ChatBox(b, *m_session);
    bindWords(card);
    boardView->shareKeysWith(m_chat->chatLine(), [line = m_chat->chatLine()] {
        return line->text().isEmpty() || line->showsPlaceholder();
    });
    connect(m_optionsMenu->clearMainChat, &QAction::triggered, m_chat, &ChatBox::ClearMainChat1Click);
    PictureBox *logo = makePicture(b, QStringLiteral("Image2"), {505, 500, 58, 24}, &artwork::logo, false,
                                   QStringLiteral("About Pinlex"));
    logo->setCursor(Qt::PointingHandCursor);
    // The game has no web page of its own: the logo shows the about box.
    connect(logo, &PictureBox::clicked, this, [this] {
        if (m_forms)
            m_forms->about()->show();
    });
}

ChatLog &Tchat::chatLog() const
{
    return m_chat->log();
}

void Tchat::FormCreate()
{
    m_session->flow.clearall();
    Random::randomizeFromClock();
    m_session->rack.setTurnseat(0);
}

void Tchat::setPort(quint16 port)
{
    m_session->client.setPort(port);
}

int Tchat::pauseBetweenFrames() const
{
    return m_session->options.timeBetween();
}

// The launch step runs when the window is first shown, once it is on its
// way to the screen: its first chat line lays out text in fonts the window
// has not used yet, and the run marker waits for the disk.
void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !std::exchange(m_shown, true)) {
        QTimer::singleShot(0, this, [this] {
            m_session->client.processparams(m_parameters);
            m_marker = std::make_unique<RunMarker>(Options::kSection);
        });
    }
}

QRect Tchat::windowBounds() const
{
    return keptBounds(frameGeometry(), m_session->options.placement());
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
    Options &options = m_session->options;
    if (bounds == options.placement())
        return true; // nothing moved since the settings were loaded or saved
    if (const QScreen *screen = this->screen()) {
        const QRect workArea = screen->availableGeometry();
        if (bounds.width() > workArea.width())
            bounds.setWidth(bounds.width() - 15);
        if (bounds.height() > workArea.height())
            bounds.setHeight(bounds.height() - 15);
    }
    options.setPlacement(bounds);
    try {
        options.save();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

void Tchat::showForm(QWidget *form)
{
    form->show();
    form->raise();
    form->activateWindow();
}
