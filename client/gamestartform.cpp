#include "client/gamestartform.h"

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/palette.h"
#include "ui/windowpalette.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QSpinBox>

namespace {

// The team choice's picture: an empty or a ticked box.
QPixmap teamPicture(bool on)
{
    QPixmap picture(18, 18);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette::kNavy, 1.5));
    painter.setBrush(palette::kCream);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 15, 15), 3, 3);
    if (on) {
        painter.setPen(QPen(palette::kRed, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(4.5, 9), QPointF(7.5, 12.5), QPointF(13.5, 4.5)}));
    }
    return picture;
}

QLabel *label(QWidget *parent, const QString &text, const QRect &geometry, int pixelSize = 12)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setTextFormat(Qt::PlainText);
    l->setFont(palette::sans(pixelSize));
    return l;
}

} // namespace

Tgamestart::Tgamestart(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Pinlex - Game Start"));
    setFixedSize(260, 230);
    windowpalette::use(this);
    QPalette background = palette();
    background.setBrush(QPalette::Window, artwork::formBackground(size()));
    setPalette(background);
    setAutoFillBackground(true);

    label(this, QStringLiteral("Game Options"), {16, 10, 228, 22}, 17)->setObjectName(QStringLiteral("Label1"));

    auto *timeLabel = label(this, QStringLiteral("Time Per Turn:"), {16, 46, 110, 20});
    edit_creationtime = new QLineEdit(this);
    edit_creationtime->setObjectName(QStringLiteral("edit_creationtime"));
    edit_creationtime->setGeometry(130, 44, 44, 22);
    edit_creationtime->setReadOnly(true);
    edit_creationtime->setFocusPolicy(Qt::NoFocus);   // the arrows beside it take the keys
    edit_creationtime->setAlignment(Qt::AlignCenter);
    UpDown2 = new QSpinBox(this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setGeometry(176, 44, 18, 22);
    UpDown2->setRange(kMinTime, kMaxTime);
    UpDown2->setSingleStep(kTimeStep);
    UpDown2->setWrapping(false);
    UpDown2->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    if (auto *own = UpDown2->findChild<QLineEdit *>())
        own->hide(); // the edit beside it shows the value
    UpDown2->setAccessibleName(QStringLiteral("Time per turn in seconds"));
    timeLabel->setBuddy(UpDown2);
    connect(UpDown2, &QSpinBox::valueChanged, this,
            [this](int value) { edit_creationtime->setText(QString::number(value)); });
    setTimePerTurn(game::kDefaultTurnSeconds);

    image_team = new PictureBox(this);
    image_team->setObjectName(QStringLiteral("image_team"));
    image_team->setGeometry(16, 80, 18, 18);
    image_team->setCursor(Qt::PointingHandCursor);
    image_team->setAccessibleName(QStringLiteral("Team Game"));
    image_team->setKind(PictureBox::Kind::CheckBox);
    connect(image_team, &PictureBox::clicked, this, &Tgamestart::image_teamClick);
    label(this, QStringLiteral("Team Game"), {40, 79, 120, 20});
    setTeam(false);

    auto *robotsLabel = label(this, QStringLiteral("Computer players:"), {16, 112, 130, 20});
    robots = new QSpinBox(this);
    robots->setObjectName(QStringLiteral("robots"));
    robots->setGeometry(150, 110, 44, 22);
    robots->setRange(0, game::kSeats - 1);
    robots->setAccessibleName(QStringLiteral("Computer players"));
    robotsLabel->setBuddy(robots);
    auto *strengthLabel = label(this, QStringLiteral("Strength:"), {16, 140, 130, 20});
    strength = new QComboBox(this);
    strength->setObjectName(QStringLiteral("strength"));
    strength->setGeometry(110, 138, 84, 22);
    strength->addItems({QStringLiteral("Easy"), QStringLiteral("Medium"), QStringLiteral("Hard")});
    strength->setCurrentIndex(1);
    strength->setAccessibleName(QStringLiteral("Computer strength"));
    strengthLabel->setBuddy(strength);

    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(78, 188, 104, 23);
    Image1->setPicture([](qreal ratio) { return artwork::commandButton(QStringLiteral("Start Game"), ratio); });
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setAccessibleName(QStringLiteral("Start Game"));
    Image1->setKind(PictureBox::Kind::Button);
    connect(Image1, &PictureBox::clicked, this, &Tgamestart::button_startClick);

    setTabOrder(UpDown2, image_team);
    setTabOrder(image_team, robots);
    setTabOrder(robots, strength);
    setTabOrder(strength, Image1);
}

int Tgamestart::timePerTurn() const
{
    return UpDown2->value();
}

void Tgamestart::setTimePerTurn(int seconds)
{
    const int bounded = qBound(kMinTime, seconds, kMaxTime);
    UpDown2->setValue(kMinTime + (bounded - kMinTime) / kTimeStep * kTimeStep);
    edit_creationtime->setText(QString::number(UpDown2->value()));
}

int Tgamestart::computerPlayers() const
{
    return robots->value();
}

int Tgamestart::computerStrength() const
{
    return strength->currentIndex();
}

void Tgamestart::setTeam(bool on)
{
    m_team = on;
    image_team->setTag(on ? 1 : 0);
    image_team->setPicture(teamPicture(on));
    image_team->setAccessibleDescription(on ? QStringLiteral("on") : QStringLiteral("off"));
    image_team->setChecked(on);
}

void Tgamestart::image_teamClick()
{
    if (m_team) {
        setTeam(false);
        return;
    }
    if (!m_teamsAreEven || m_teamsAreEven(computerPlayers())) {
        setTeam(true);
        return;
    }
    auto *question = new QMessageBox(QMessageBox::Question, windowTitle(),
                                     QStringLiteral("There are not enough players for evenly matched teams. "
                                                    "Do you wish to play a team game anyway?"),
                                     QMessageBox::Yes | QMessageBox::No, this);
    question->setObjectName(QStringLiteral("teamQuestion"));
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &QMessageBox::finished, this, [this](int answer) { setTeam(answer != QMessageBox::No); });
    question->open();
}

void Tgamestart::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        button_startClick();
        return;
    }
    QDialog::keyPressEvent(event);   // Esc closes the options, as Cancel would
}

void Tgamestart::button_startClick()
{
    hide();
    emit startRequested(timePerTurn(), m_team, computerPlayers(), computerStrength());
}
