#include "ui/controls.h"

#include "ui/palette.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A clickable picture as a screen reader should know it: a button or a
// check box with its state, that can be pressed.
class PictureBoxAccessible : public QAccessibleWidget
{
public:
    explicit PictureBoxAccessible(PictureBox *box)
        : QAccessibleWidget(box, box->kind() == PictureBox::Kind::CheckBox ? QAccessible::CheckBox
                                                                             : QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const auto *box = static_cast<const PictureBox *>(widget());
        if (box->kind() == PictureBox::Kind::CheckBox) {
            state.checkable = true;
            state.checked = box->isChecked();
        }
        return state;
    }

    QStringList actionNames() const override
    {
        const auto *box = static_cast<const PictureBox *>(widget());
        return {box->kind() == PictureBox::Kind::CheckBox ? toggleAction() : pressAction()};
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction() || name == toggleAction())
            emit static_cast<PictureBox *>(widget())->clicked();
    }
};

QAccessibleInterface *controlAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("ListRow"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::List);
    auto *box = qobject_cast<PictureBox *>(object);
    if (className != QLatin1String("PictureBox") || !box || box->kind() == PictureBox::Kind::Picture)
        return nullptr;
    if (box->kind() == PictureBox::Kind::ListItem)
        return new QAccessibleWidget(box, QAccessible::ListItem);
    return new PictureBoxAccessible(box);
}

void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBox::setKind(Kind kind)
{
    installAccessibleControls();
    m_kind = kind;
    setFocusPolicy(kind == Kind::Picture || kind == Kind::ListItem ? Qt::NoFocus : Qt::StrongFocus);
    // An interface made before (setting the accessible name makes one)
    // would keep the old role.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void PictureBox::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool pressable = m_kind == Kind::Button || m_kind == Kind::CheckBox;
    if (pressable && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // Enter belongs to the window's default action when this is a check box.
        if (m_kind == Kind::Button || key == Qt::Key_Space) {
            emit clicked();
            event->accept();
            return;
        }
    }
    QLabel::keyPressEvent(event);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    // Painted when first drawn, after the window is on the screen, and again
    // on a screen of another ratio.
    if (m_painter && (!m_painted || pixmap().devicePixelRatio() != devicePixelRatioF())) {
        m_painted = true;
        setPixmap(m_painter(devicePixelRatioF()));
    }
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Where the keyboard is: a dotted frame around the picture.
    QPainter painter(this);
    QPen pen(palette().color(QPalette::WindowText), 1, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureBox::setPicture(const QPixmap &picture, bool stretch)
{
    m_painter = nullptr;
    setScaledContents(stretch);
    setPixmap(picture);
}

void PictureBox::setPicture(Painter paint, bool stretch)
{
    m_painter = std::move(paint);
    m_painted = false;
    setScaledContents(stretch);
    // A clear stand-in keeps it a picture to a screen reader until then.
    static const QPixmap clear = [] {
        QPixmap pixmap(1, 1);
        pixmap.fill(Qt::transparent);
        return pixmap;
    }();
    setPixmap(clear);
}

QPixmap PictureBox::picture()
{
    if (m_painter && !m_painted) {
        m_painted = true;
        setPixmap(m_painter(devicePixelRatioF()));
    }
    return pixmap();
}

QSize PictureBox::sizeHint() const
{
    const_cast<PictureBox *>(this)->picture();
    return QLabel::sizeHint();
}

QSize PictureBox::minimumSizeHint() const
{
    const_cast<PictureBox *>(this)->picture();
    return QLabel::minimumSizeHint();
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

ListRow::ListRow(const QString &name, QWidget *parent) : QWidget(parent)
{
    installAccessibleControls();
    setAccessibleName(name);
}

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setNote(const QString &note)
{
    m_note = note;
    showTip(fontMetrics().horizontalAdvance(text()) > contentsRect().width());
}

void ElidedLabel::showTip(bool elided)
{
    QStringList tip;
    if (elided)
        tip << text();
    if (!m_note.isEmpty())
        tip << m_note;
    setToolTip(tip.join(QLatin1Char('\n')));
}

void ElidedLabel::paintEvent(QPaintEvent *event)
{
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
    showTip(shown != text());
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
    // Reached with Tab; a click leaves the focus where it was (the chat
    // line keeps its caret when a phrase button is clicked).
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    // Repainted as the pointer comes and goes.
    setAttribute(Qt::WA_Hover);
}

// Painted rather than styled with a style sheet: a sheet per button is
// parsed and given a style of its own while the window is made.
void FlatButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor face = isDown() ? QColor(0xbf, 0xb3, 0x90) : underMouse() ? QColor(0xef, 0xe6, 0xc8)
                                                                          : QColor(0xd9, 0xcf, 0xb0);
    painter.setPen(QColor(0x7a, 0x6f, 0x52));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

QLabel *makeProblemLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("label_problem"));
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleDescription(QStringLiteral("problem"));
    QPalette warning = label->palette();
    warning.setColor(QPalette::WindowText, palette::kRed);
    label->setPalette(warning);
    return label;
}
