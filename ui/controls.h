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
    explicit PictureBox(QWidget *parent = nullptr);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QString hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }

    // Replaces the picture; stretched pictures fill the control.
    void setPicture(const QPixmap &picture, bool stretch = false);
    // The picture is painted when the control is first shown: a picture
    // that may never show costs nothing at start.
    void setPictureLater(std::function<QPixmap()> paint, bool stretch = false);

signals:
    void mousePressed(Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button);
    void clicked();

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_tag = 0;
    QString m_hint;
    std::function<QPixmap()> m_paintLater;
    bool m_stretchLater = false;
};

// A one-line label whose text, when it does not fit, is drawn cut short
// with an ellipsis; the whole text stays its text, its accessible name and
// its tooltip.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class FlatButton : public QPushButton
{
    Q_OBJECT

public:
    explicit FlatButton(const QString &caption, QWidget *parent = nullptr);
};
