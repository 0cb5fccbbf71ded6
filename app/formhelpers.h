#pragma once

#include "ui/tcolor.h"
#include "ui/controls.h"

#include <QAction>
#include <QFont>
#include <QLabel>
#include <QMenu>

// Small makers for the main window's controls, shared by its source files.
namespace formhelpers {

inline QFont arial(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A label keeps its text as its accessible name; the description says what
// the text is.
inline QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption,
                         const QString &description = {})
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    if (!description.isEmpty())
        label->setAccessibleDescription(description);
    return label;
}

inline PictureBox *makePicture(QWidget *parent, const QString &name, const QRect &geometry,
                               const QPixmap &picture = {}, bool stretch = false, const QString &accessibleName = {})
{
    auto *box = new PictureBox(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    if (!picture.isNull())
        box->setPicture(picture, stretch);
    if (!accessibleName.isEmpty())
        box->setAccessibleName(accessibleName);
    return box;
}

// A picture painted for the screen it shows on, when it first shows.
inline PictureBox *makePicture(QWidget *parent, const QString &name, const QRect &geometry,
                               PictureBox::Painter paint, bool stretch = false, const QString &accessibleName = {})
{
    PictureBox *box = makePicture(parent, name, geometry, QPixmap(), false, accessibleName);
    box->setPicture(std::move(paint), stretch);
    return box;
}

// The same, without stretching.
inline PictureBox *makeLazyPicture(QWidget *parent, const QString &name, const QRect &geometry,
                                   PictureBox::Painter paint, const QString &accessibleName = {})
{
    PictureBox *box = makePicture(parent, name, geometry, QPixmap(), false, accessibleName);
    box->setPicture(std::move(paint));
    return box;
}

inline void setTextColour(QLabel *label, quint32 value)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colorFromValue(value));
    label->setPalette(palette);
}

inline QAction *addItem(QMenu *menu, const QString &name, const QString &caption, bool checkable = false,
                        bool checked = false)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    action->setChecked(checked);
    return action;
}

inline QAction *addSeparator(QMenu *menu, const QString &name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(name);
    return separator;
}

} // namespace formhelpers
