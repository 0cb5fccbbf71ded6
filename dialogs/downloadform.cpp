#include "dialogs/downloadform.h"

#include "base/errordisplay.h"
#include "dialogs/jpegpicture.h"
#include "dialogs/lobbydownload.h"
#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/windowpalette.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMetaMethod>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QFrame *panel(QWidget *parent, const QString &name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QLabel *text(const QString &words, QWidget *parent)
{
    auto *label = new QLabel(words, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// The picture for a screen of this device pixel ratio: from the source of
// twice the pixels above 1, scaled smoothly to any ratio but 1 and 2, so
// that it is drawn pixel for pixel.
QPixmap lobbyPicture(qreal ratio)
{
    const bool fine = ratio > 1;
    QFile file(fine ? QStringLiteral(":/dialogs/pictures/lobby@2x.jpg")
                    : QStringLiteral(":/dialogs/pictures/lobby.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return QPixmap();
    QImage image = decodeJpeg(file.readAll());
    if (image.isNull())
        return QPixmap();
    const qreal source = fine ? 2 : 1;
    if (ratio != source) {
        const QSize size = (QSizeF(image.size()) / source * ratio).toSize();
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

} // namespace

Tdownload::Tdownload(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_lobby(new LobbyDownload(this))
{
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Orvik9 Lobby"));
    setFixedSize(724, 500);
    setAutoFillBackground(true);
    windowpalette::use(this);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Window, artwork::formBackground(size()));
    setPalette(palette);

    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPicture(PictureBox::Painter(&lobbyPicture));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setAccessibleName(QStringLiteral("A bowling lane with ten pins and a ball, and letter tiles "
                                             "spelling PINLEX and LOBBY"));

    QFrame *offer = panel(this, QStringLiteral("Panel1"));
    auto *offerText = text(QStringLiteral("Download The Orvik9 Lobby Now to play this  and other exciting "
                                          "games online with other players! "),
                           offer);
    QFont bold = offerText->font();
    bold.setBold(true);
    bold.setPixelSize(15);
    offerText->setFont(bold);
    getbutton = new FlatButton(QStringLiteral("Download And Install The Orvik9 Lobby Now"), offer);
    getbutton->setObjectName(QStringLiteral("getbutton"));
    getbutton->setFixedSize(320, 28);
    abortbutton = new FlatButton(QStringLiteral("Stop Download"), offer);
    abortbutton->setObjectName(QStringLiteral("abortbutton"));
    abortbutton->setFixedSize(140, 28);
    label_progress1 = text(QString(), offer);
    label_progress1->setObjectName(QStringLiteral("label_progress1"));
    label_progress1->setAccessibleDescription(QStringLiteral("Download progress"));
    label_progress2 = text(QString(), offer);
    label_progress2->setObjectName(QStringLiteral("label_progress2"));
    label_progress2->setAccessibleDescription(QStringLiteral("Download file"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(getbutton);
    buttons->addWidget(abortbutton);
    buttons->addStretch(1);
    auto *progress = new QHBoxLayout;
    progress->addWidget(label_progress1, 1);
    progress->addWidget(label_progress2, 1);
    auto *offerLayout = new QVBoxLayout(offer);
    offerLayout->addWidget(offerText);
    offerLayout->addLayout(buttons);
    offerLayout->addLayout(progress);

    QFrame *solo = panel(this, QStringLiteral("Panel2"));
    Button1 = new FlatButton(QStringLiteral("Play Solo Game"), solo);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(160, 28);
    auto *soloLayout = new QVBoxLayout(solo);
    soloLayout->addWidget(text(QStringLiteral("To proceed to the game without the ability to play against others "
                                              "click the button below."),
                               solo));
    soloLayout->addWidget(text(QStringLiteral("Note: Even if you are playing offline, you will need to configure "
                                              "your FIREWALL to allow the game to access the internet components."),
                               solo));
    soloLayout->addWidget(Button1);

    QFrame *others = panel(this, QStringLiteral("Panel3"));
    Button2 = new FlatButton(QStringLiteral("Play with Others"), others);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFixedSize(160, 28);
    auto *othersLayout = new QVBoxLayout(others);
    othersLayout->addWidget(text(QStringLiteral("If you already have The Orvik9 Lobby and you wish to play with "
                                                "others then click the button below to close this game and open "
                                                "The Orvik9 Lobby."),
                                 others));
    othersLayout->addWidget(Button2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    layout->addWidget(Image1);
    layout->addWidget(offer);
    layout->addWidget(solo);
    layout->addWidget(others);
    layout->addStretch(1);

    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::Button2Click);
    connect(m_lobby, &LobbyDownload::changed, this, &Tdownload::refresh);
    connect(m_lobby, &LobbyDownload::notice, this, &Tdownload::showMessage);
    connect(m_lobby, &LobbyDownload::failed, this, [](const QString &message) { showError(message); });
    connect(m_lobby, &LobbyDownload::exitRequested, this, &Tdownload::exitRequested);
    refresh();
}

void Tdownload::getbuttonClick()
{
    m_lobby->start();
}

void Tdownload::abortbuttonClick()
{
    m_lobby->stop();
}

void Tdownload::Button1Click()
{
    close();
}

void Tdownload::Button2Click()
{
    const QMetaMethod offered = QMetaMethod::fromSignal(&Tdownload::playWithOthersRequested);
    if (!LobbyDownload::lobbyInstalled() && isSignalConnected(offered)) {
        close();
        emit playWithOthersRequested();
        return;
    }
    m_lobby->playWithOthers();
}

void Tdownload::refresh()
{
    label_progress1->setText(m_lobby->progress1());
    label_progress2->setText(m_lobby->progress2());
    getbutton->setEnabled(m_lobby->canStart());
    abortbutton->setEnabled(m_lobby->canStop());
}

// A message box that does not wait: the game and the download go on.
void Tdownload::showMessage(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Tdownload::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    // A tool window is not made active by showing it: the keys, Esc among
    // them, would go on to the board behind it. Enter goes on with the solo
    // game, never to the download.
    Button1->setDefault(true);
    Button1->setFocus(Qt::ActiveWindowFocusReason);
    raise();
    activateWindow();
}

// However the dialog goes ("Play Solo Game", Escape, its close button), the
// download goes with it: an installer arriving later would end the game
// the player chose to go on with.
void Tdownload::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_lobby->stop();
    QDialog::hideEvent(event);
}
