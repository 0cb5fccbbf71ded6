#include "ui/controls.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBox::setPicture(const QPixmap &picture, bool stretch)
{
    setScaledContents(stretch);
    setPixmap(picture);
}

void PictureBox::setPictureLater(std::function<QPixmap()> paint, bool stretch)
{
    m_paintLater = std::move(paint);
    m_stretchLater = stretch;
    // A clear stand-in keeps it a picture to a screen reader until then.
    QPixmap clear(size().expandedTo(QSize(1, 1)));
    clear.fill(Qt::transparent);
    setPixmap(clear);
    if (isVisible())
        setPicture(std::exchange(m_paintLater, nullptr)(), stretch);
}

void PictureBox::showEvent(QShowEvent *event)
{
    if (m_paintLater)
        setPicture(std::exchange(m_paintLater, nullptr)(), m_stretchLater);
    QLabel::showEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(event->button());
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(event->button());
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::paintEvent(QPaintEvent *event)
{
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
    setToolTip(shown == text() ? QString() : text());
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()), shown);
}

FlatButton::FlatButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    setFlat(false);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral(
        "QPushButton { background: #d9cfb0; border: 1px solid #7a6f52; border-radius: 3px; padding: 0px; }"
        "QPushButton:hover { background: #efe6c8; }"
        "QPushButton:pressed { background: #bfb390; }"));
}
