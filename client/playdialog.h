#pragma once

#include "join/joinroute.h"
#include "client/playchoice.h"
#include "directory/client/directoryfinder.h"
#include "finder/gamefinder.h"

#include <QDialog>
#include <QSortFilterProxyModel>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

// "Host a Game" / "Join a Game": the player's name, host or join, the
// host's address for joining and the port; for hosting, whether the table
// is shown on the local network and in the game directories and, if so,
// whether the router is asked to open its port to the internet; for
// joining, the tables found there and in the game directories while the
// dialog is open, narrowed by a search, one of which a double-click or
// "Join" joins. A directory's code typed where the address goes is looked
// up and joins its table. Play starts the game again with those choices.
class TPlayDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TPlayDialog(QWidget *parent = nullptr);

    // Shows the remembered choice, set to host or to join.
    void present(const PlayChoice &choice, bool hosting);
    PlayChoice choice() const;

    // Looks for tables while the dialog shows.
    GameFinder *finder() { return &m_finder; }
    DirectoryFinder *directoryFinder() { return &m_directoryFinder; }
    void setDirectories(const QList<DirectoryAddress> &directories);

    QLineEdit *edit_name = nullptr;
    QRadioButton *radio_host = nullptr;
    QCheckBox *check_announce = nullptr;
    QCheckBox *check_portmapping = nullptr;
    QRadioButton *radio_join = nullptr;
    QComboBox *combo_host = nullptr;
    QSpinBox *spin_port = nullptr;
    QLineEdit *edit_search = nullptr;
    QTableView *table_games = nullptr;
    QPushButton *button_join = nullptr;
    QLabel *label_directories = nullptr;
    QLabel *label_problem = nullptr;

signals:
    void playRequested(const PlayChoice &choice);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateEnabled();
    void play();
    // Joins the table of that row of the list, when it can be joined.
    void joinTable(const QModelIndex &index);
    void tellUnreachable(const DirectoryAddress &directory);

    PlayChoice m_choice;
    GameFinder m_finder;
    DirectoryFinder m_directoryFinder{m_finder.tables()};
    // The tables found, as the search shows them, dimmed rows in the
    // palette's disabled text.
    class ShownTables : public QSortFilterProxyModel
    {
    public:
        QVariant data(const QModelIndex &index, int role) const override;
    };
    ShownTables m_shown;
    // Codes are looked up over the connections that list the tables.
    JoinRoute m_route{&m_directoryFinder};
};
