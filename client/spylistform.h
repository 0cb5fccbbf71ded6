#pragma once

#include <QDialog>

class FlatButton;
class QAction;
class QLabel;
class QListWidget;
class QMenu;

// The spectators of the game, one line each ("6: Name"), in order of
// arrival; stays on top while open, not modal. The hosting player removes
// one through the list's pop-up menu.
class Tspylist : public QDialog
{
    Q_OBJECT

public:
    explicit Tspylist(QWidget *parent = nullptr);

    void setLines(const QStringList &lines);
    // The index of the line under the mouse pointer, -1 over none.
    int spyhover() const { return m_spyhover; }

    QLabel *Label1 = nullptr;
    QListWidget *listbox_spys = nullptr;
    QMenu *popup_kick = nullptr;
    QAction *popup_kickhim = nullptr;
    FlatButton *button_done = nullptr;

    void listbox_spysMouseMove(const QPoint &at);
    void popup_kickhimClick();
    void button_doneClick();

signals:
    // "Remove From Game" on this line of the list.
    void removeRequested(const QString &line);

private:
    int m_spyhover = -1;
};
