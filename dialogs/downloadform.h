#pragma once

#include <QDialog>

class LobbyDownload;
class PictureBox;
class QLabel;
class QPushButton;

// Offers the maker's lobby program, which games against others need: fetch
// and install it, go on with the solo game, or close the game and open the
// lobby. What it shows comes from a LobbyDownload.
class Tdownload : public QDialog
{
    Q_OBJECT

public:
    explicit Tdownload(QWidget *parent = nullptr);

    LobbyDownload *lobby() const { return m_lobby; }

    PictureBox *Image1 = nullptr;
    QLabel *label_progress1 = nullptr;
    QLabel *label_progress2 = nullptr;
    QPushButton *getbutton = nullptr;     // "Download And Install The Orvik9 Lobby Now"
    QPushButton *abortbutton = nullptr;   // "Stop Download"
    QPushButton *Button1 = nullptr;       // "Play Solo Game"
    QPushButton *Button2 = nullptr;       // "Play with Others"

signals:
    // The installer or the lobby runs: the game must end (File > Exit).
    void exitRequested();
    // "Play with Others" without the lobby program installed, in a window
    // that offers its own way to play with others.
    void playWithOthersRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();
    void refresh();
    void showMessage(const QString &text);

    LobbyDownload *m_lobby = nullptr;
};
