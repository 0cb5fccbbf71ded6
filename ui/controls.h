#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>

#include <functional>

// The look-only controls of the windows: a picture that reports clicks and
// carries a tag and a hint as data (rack tiles keep their source position
// and letter there), and a small flat push button.

class PictureBox : public QLabel
{
    Q_OBJECT

public:
    // What the picture is to the keyboard and a screen reader: a picture
    // only, a button (Tab stops at it; Space or Enter clicks it), a check
    // box that also reports whether it is ticked, or one item of a ListRow.
    enum class Kind { Picture, Button, CheckBox, ListItem };

    explicit PictureBox(QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    void setKind(Kind kind);
    bool isChecked() const { return m_checked; }
    void setChecked(bool checked);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QString hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }

    // Paints a picture at a device pixel ratio (device pixels per pixel).
    using Painter = std::function<QPixmap(qreal ratio)>;

    // Replaces the picture; stretched pictures fill the control.
    void setPicture(const QPixmap &picture, bool stretch = false);
    // A picture painted for the screen the control is on when it is first
    // drawn (after its window is on the screen; never, if it never shows),
    // and again whenever it is drawn on a screen of another device pixel
    // ratio.
    void setPicture(Painter paint, bool stretch = false);
    // The picture as it is drawn, painted now if it has not been yet.
    QPixmap picture();
    // A layout that asks for the size has the picture painted for it.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void mousePressed(Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Kind m_kind = Kind::Picture;
    bool m_checked = false;
    int m_tag = 0;
    QString m_hint;
    Painter m_painter;
    bool m_painted = false;
};

// Controls side by side that a screen reader reads as one named list,
// their items in the order of the row's children: whoever moves them on
// the screen keeps that order by raising each, left to right.
class ListRow : public QWidget
{
    Q_OBJECT

public:
    explicit ListRow(const QString &name, QWidget *parent = nullptr);
};

// A one-line label whose text, when it does not fit, is drawn cut short
// with an ellipsis; the whole text stays its text, its accessible name and
// its tooltip. A note, when set, is its tooltip too.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(const QString &text, QWidget *parent = nullptr);

    QString note() const { return m_note; }
    void setNote(const QString &note);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showTip(bool elided);

    QString m_note;
};

class FlatButton : public QPushButton
{
    Q_OBJECT

public:
    explicit FlatButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A dialog's line that says what is wrong with its input: plain text in red,
// read by a screen reader as the problem.
QLabel *makeProblemLabel(QWidget *parent);
