#pragma once

#include <QDialog>

#include <utility>

class FlatButton;
class GameClient;
class Roster;
class QAction;
class QLabel;
class QListWidget;
class QMenu;

// The spectators of the game, one line each ("6: Name"), in order of
// arrival; stays on top while open, not modal. The hosting player removes
// one through the list's pop-up menu. The roster's changes reach it row by
// row, so an arrival costs the same however long the list is.
class Tspylist : public QDialog
{
    Q_OBJECT

public:
    explicit Tspylist(QWidget *parent = nullptr);

    // Shows the roster's spectators from now on; "Remove From Game" asks
    // it, and is offered while the client hosts the game.
    void follow(Roster *roster, const GameClient &client);
    // Every line anew, each with the slot it names.
    void setLines(const QList<std::pair<int, QString>> &lines);
    void insertLine(int row, int slot, const QString &line);
    void setLine(int row, const QString &line);
    void removeLine(int row);
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
    // "Remove From Game" on the spectator of this slot.
    void removeRequested(int slot);

private:
    int m_spyhover = -1;
};
