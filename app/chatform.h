#pragma once

#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>

class Dispatcher;
class FlatButton;
class PictureBox;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTextBrowser;
class RunMarker;
class TSock;
struct Forms;

// The main window: scorecard on top, the letter board in the middle, the
// chat below. Controls carry the names players and the other windows know
// them by; families of like controls are arrays indexed from 1.
class Tchat : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kDefaultWidth = 581;
    static constexpr int kDefaultHeight = 576;
    static constexpr int kHighestSeat = 4;

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // The other windows, created after this one; set once at start-up.
    void setForms(Forms *forms) { m_forms = forms; }
    // The launch parameters: name, host address, "true" to host.
    void setLaunchParameters(const QStringList &parameters) { m_parameters = parameters; }

    // Window bounds as the settings file keeps them: the frame's left, top,
    // width and height.
    QRect windowBounds() const;
    void setWindowBounds(const QRect &bounds);

    // Top, left, width, height as last loaded or saved; compared at close.
    QRect placement;

    // Program-wide values of the main window.
    const QString sectionName = QStringLiteral("Pinlex");
    bool phraseLockReady = true;
    quint32 systemColour = 0xFF0000; // clBlue
    int highestseat = kHighestSeat;
    bool ishost = false;
    int turnseat = 0;
    int linkcount = -1;
    int swappick = 0;

    // Board panel and everything on it.
    QWidget *panel_board = nullptr;
    PictureBox *Image4 = nullptr;
    QWidget *scorecard = nullptr;
    QLabel *label_teamgame = nullptr;
    std::array<QLabel *, 5> label_playername{};
    std::array<QLabel *, 5> label_score{};
    std::array<PictureBox *, 5> image_eyes{};
    std::array<PictureBox *, 5> image_winner{};
    std::array<std::array<QLabel *, 4>, 5> label_word{};
    QLabel *label_theword = nullptr;
    PictureBox *button_start = nullptr;
    PictureBox *button_clear = nullptr;
    PictureBox *button_send = nullptr;
    QLabel *label_status = nullptr;
    std::array<PictureBox *, 11> image_word{};
    std::array<PictureBox *, 11> image_letters{};
    PictureBox *Image1 = nullptr;
    PictureBox *image_timer = nullptr;
    QLabel *label_timer = nullptr;
    QLabel *label_timeperturn = nullptr;
    PictureBox *button_sort = nullptr;
    PictureBox *image_noplay = nullptr;
    QWidget *panel_badword = nullptr;
    PictureBox *Image3 = nullptr;
    std::array<FlatButton *, 11> b_phrase{};
    QWidget *panel_chat = nullptr;
    QTextBrowser *mainchat = nullptr;
    QLineEdit *mychat = nullptr;
    FlatButton *button_smilies = nullptr;
    PictureBox *Image2 = nullptr;

    // Main menu.
    QAction *StartGame1 = nullptr, *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr, *PlayChatterSounds1 = nullptr;
    QAction *TurnSound1 = nullptr, *Classic1 = nullptr, *New1 = nullptr;
    QAction *TypeWords1 = nullptr, *usespace = nullptr, *clearwords1 = nullptr;
    QAction *timebetween = nullptr, *Slow1 = nullptr, *Normal1 = nullptr, *Fast1 = nullptr;
    QAction *showbadword = nullptr, *TextColor1 = nullptr;
    QAction *TextSize1 = nullptr, *N8 = nullptr, *N10 = nullptr, *N12 = nullptr, *N14 = nullptr;
    QAction *ScrollChatOff2 = nullptr, *ClearMainChat1 = nullptr, *ResetLocation1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *ViewTally1 = nullptr, *SpyList1 = nullptr, *PrhaseList1 = nullptr;
    QAction *Help2 = nullptr, *About1 = nullptr;

    // Pop-up menus.
    QMenu *popup_kick = nullptr, *popup_mainchat = nullptr, *popup_mychat = nullptr;
    QMenu *popup_sounds = nullptr, *popup_smilies = nullptr;
    QAction *RemoveFromGame1 = nullptr, *SettoJustWatch1 = nullptr, *UnsetJustWatch1 = nullptr;
    QAction *SelectAll1 = nullptr, *Copy1 = nullptr, *ClearMainChat2 = nullptr, *ScrollChatOff1 = nullptr;
    QAction *Paste1 = nullptr;

    // Connections and the receive queue.
    TSock *sock = nullptr;
    TSock *Sock11 = nullptr;
    Dispatcher *receivedlist = nullptr;
    QTimer turntime;

    // Handlers of the window's life.
    void FormCreate();
    void FormShow();
    // Returns false when the window must stay open (the save failed).
    bool FormClose();
    void ResetLocation1Click();
    void Exit1Click();
    void Help2Click();
    void About1Click();
    void SpyList1Click();
    void Image2Click();

    // The launch step, run when the window is first shown.
    void processparams();
    // Back to the state before a game: rack, word row, words, scores, winners.
    void clearall();
    // Writes every setting; throws when the file refuses a write.
    void saveinifile();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildBoard();
    void buildChat();
    void buildMenus();
    void buildPopups();

    Forms *m_forms = nullptr;
    QStringList m_parameters;
    std::unique_ptr<RunMarker> m_marker;
};
