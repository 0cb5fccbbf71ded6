#pragma once

#include "client/playchoice.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// "Host a Game" / "Join a Game": the player's name, host or join, the
// host's address for joining and the port. Play starts the game again with
// those choices.
class TPlayDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TPlayDialog(QWidget *parent = nullptr);

    // Shows the remembered choice, set to host or to join.
    void present(const PlayChoice &choice, bool hosting);
    PlayChoice choice() const;

    QLineEdit *edit_name = nullptr;
    QRadioButton *radio_host = nullptr;
    QRadioButton *radio_join = nullptr;
    QComboBox *combo_host = nullptr;
    QSpinBox *spin_port = nullptr;
    QLabel *label_problem = nullptr;

signals:
    void playRequested(const PlayChoice &choice);

private:
    void updateEnabled();
    void play();

    PlayChoice m_choice;
};
