#pragma once

#include "host/pausesetting.h"

#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <optional>

#include <array>
#include <memory>

class BoardView;
class ChatEdit;
class ChatLog;
class ChatView;
class Dispatcher;
class FlatButton;
class Forms;
class GameClient;
class GameFlow;
class PictureBox;
class QAction;
class QColorDialog;
class QLabel;
class QMenu;
class RackModel;
class RobotTable;
class RunMarker;
class ScoreCardModel;
class ScoreCardView;
class SoundPlayer;
class TPlayDialog;
class Tdownload;
class Tgamestart;
class Tspylist;
class TurnClock;

// The main window: scorecard on top, the letter board in the middle, the
// chat below. Controls carry the names players and the other windows know
// them by; families of like controls are arrays indexed from 1. The window
// builds the controls and connects them to the logic that lives elsewhere:
// the client connection and roster, the game flow, the board and card
// models, the sounds.
class Tchat : public QMainWindow, public PauseSetting
{
    Q_OBJECT

public:
    static constexpr int kDefaultWidth = 581;
    static constexpr int kDefaultHeight = 576;
    static constexpr int kHighestSeat = 4;

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // The other windows, made when first used; set once at start-up.
    void setForms(Forms *forms) { m_forms = forms; }
    // The launch parameters: name, host address, "true" to host.
    void setLaunchParameters(const QStringList &parameters) { m_parameters = parameters; }
    // The game's TCP port, for hosting and joining (7772 unless told).
    void setPort(quint16 port);
    // The other windows, as they are made: the window connects to them.
    void downloadCreated(Tdownload *download);
    void gamestartCreated(Tgamestart *gamestart);
    void spylistCreated(Tspylist *spylist);

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
    int linkcount = -1;

    // The logic the window shows: the connection, roster and sounds; the
    // game's course; the board, the card and the turn clock.
    GameClient *client = nullptr;
    GameFlow *flow = nullptr;
    RackModel *rack = nullptr;
    ScoreCardModel *score = nullptr;
    TurnClock *clock = nullptr;
    SoundPlayer *sounds = nullptr;
    RobotTable *robots = nullptr;

    // The settings file, and the settings that live outside the menus.
    QString inifile;
    quint32 chatColour = 0;     // ColorDialog's colour, sent with chat lines
    quint32 actionColour = 0;   // sent with actions and phrases; stays black
    // Time per turn in seconds that the game start dialog offers (UpDown2).
    int timePerTurn = 60;
    static constexpr int kMinTimePerTurn = 45;
    static constexpr int kMaxTimePerTurn = 120;
    QColorDialog *ColorDialog = nullptr;

    // Board panel and everything on it.
    QWidget *panel_board = nullptr;
    PictureBox *Image4 = nullptr;
    ScoreCardView *scorecard = nullptr;
    BoardView *boardView = nullptr;
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
    ChatView *mainchat = nullptr;
    ChatEdit *mychat = nullptr;
    FlatButton *button_smilies = nullptr;
    PictureBox *Image2 = nullptr;

    // Main menu.
    QAction *StartGame1 = nullptr, *Exit1 = nullptr;
    QAction *HostAGame1 = nullptr, *JoinAGame1 = nullptr;
    QAction *PlaySounds1 = nullptr, *PlayChatterSounds1 = nullptr;
    QAction *TurnSound1 = nullptr, *Classic1 = nullptr, *New1 = nullptr;
    QAction *TypeWords1 = nullptr, *usespace = nullptr, *clearwords1 = nullptr;
    QAction *timebetween = nullptr, *Slow1 = nullptr, *Normal1 = nullptr, *Fast1 = nullptr;
    QAction *showbadword = nullptr, *TextColor1 = nullptr;
    QAction *TextSize1 = nullptr, *N8 = nullptr, *N10 = nullptr, *N12 = nullptr, *N14 = nullptr;
    QAction *ScrollChatOff2 = nullptr, *ClearMainChat1 = nullptr, *ResetLocation1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *RobotChatter1 = nullptr;
    QAction *ViewTally1 = nullptr, *SpyList1 = nullptr, *PrhaseList1 = nullptr;
    QAction *Help2 = nullptr, *About1 = nullptr;

    // Pop-up menus.
    QMenu *popup_kick = nullptr, *popup_mainchat = nullptr, *popup_mychat = nullptr;
    QMenu *popup_sounds = nullptr, *popup_smilies = nullptr;
    QAction *RemoveFromGame1 = nullptr, *SettoJustWatch1 = nullptr, *UnsetJustWatch1 = nullptr;
    QAction *SelectAll1 = nullptr, *Copy1 = nullptr, *ClearMainChat2 = nullptr, *ScrollChatOff1 = nullptr;
    QAction *Paste1 = nullptr;

    // The client's receive queue.
    Dispatcher *receivedlist = nullptr;
    // Releases the phrase lock two seconds after a phrase was sent.
    QTimer phraseLockTimer;

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
    // The start picture and File > Start Game.
    void button_startClick();
    // The hosting player's "Time Between Rounds", read by the host at every
    // posting of scores.
    int pauseBetweenFrames() const override;

    // The tally: View Tally, and the other seated players it may follow.
    void ViewTally1Click();
    QStringList loadchecklist();

    // Host a Game / Join a Game: the dialog, then the game starts again.
    void playWithOthers(bool hosting);

    // The roster's menus.
    void label_playername1ContextPopup(int seat, const QPoint &at);
    void JustWatch1Click();
    void b_phrase10Click();

    // Reads the settings file into the window, its menus and the chat.
    void loadinifile();
    // Writes every setting; throws when the file refuses a write.
    void saveinifile();

    // Options menu.
    void PlaySounds1Click();
    void PlayChatterSounds1Click();
    void New1Click(QAction *item);
    void TypeWords1Click();
    void usespaceClick();
    void clearwords1Click();
    void Fast1Click(QAction *item);
    void showbadwordClick();
    void TextColor1Click();
    void N14Click(QAction *item);
    void RobotChatter1Click();

    // The chat.
    void addlinetochat(const QString &line, quint32 colour);
    void chatrecieved(int slot, const QByteArray &text, const QByteArray &colour);
    void sendit();
    void b_phrase1Click(int n);
    void phraseLockRelease();
    void PrhaseList1Click();
    void button_smiliesClick();
    void N271Click(int code);
    void mainchatJump(int link);
    void SelectAll1Click();
    void Copy1Click();
    void Paste1Click();
    void ClearMainChat1Click();
    void ScrollChatOff1Click(bool checked);

signals:
    // The window has closed: the program ends with it, whatever else is open.
    void closed();
    // Start a new copy of the game with these arguments and end this one.
    void relaunchRequested(const QStringList &arguments);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildBoard();
    void buildChat();
    void buildMenus();
    void buildPopups();
    void connectChat();
    void connectOptions();
    void connectGame();
    void connectRoster();
    void refreshGame();
    void refreshSeat(int seat);
    void refreshClock();
    void refreshCard();
    void applyOptions();
    void startHost(quint16 port, bool everyAddress);
    // The Options handlers' save: a refused write goes to the error display.
    void saveReportingErrors();
    // False, with the error shown, when the socket refused the message.
    bool sendToHost(const QByteArray &message);
    void applyChatColour();
    void applyPhrases(const QStringList &phrases);

    Forms *m_forms = nullptr;
    QStringList m_parameters;
    std::unique_ptr<RunMarker> m_marker;
    bool m_shown = false;
    TPlayDialog *m_playDialog = nullptr;
    std::unique_ptr<ChatLog> m_chatlog;
};
