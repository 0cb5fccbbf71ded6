#pragma once

#include "client/gameclient.h"
#include "definitions/framewords.h"
#include "host/pausesetting.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class CardLabels;
class ChatBox;
class ChatLog;
class DirectoryFinder;
class FormOpener;
class GameDirectoriesDialog;
class OptionsMenu;
class PictureBox;
class QAction;
class QColorDialog;
class QLabel;
class QMenu;
class RunMarker;
class Session;
class TPlayDialog;
class Tdownload;
class Tgamestart;
class Tspylist;

// The main window: scorecard on top, the letter board in the middle, the
// chat below. It builds the controls, under the names players and the
// other windows know them by, and binds them to the models of its session
// that hold the logic: the client connection and roster, the game flow,
// the board, card and turn clock, the chat and the options.
class Tchat : public QMainWindow, public PauseSetting
{
    Q_OBJECT

public:
    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // The other windows, made when first used; set once at start-up.
    void setForms(FormOpener *forms) { m_forms = forms; }
    // The launch parameters: name, host address, "true" to host.
    void setLaunchParameters(const QStringList &parameters) { m_parameters = parameters; }
    // The game's TCP port, for hosting and joining.
    void setPort(quint16 port);
    // Whether a hosted table that is shown on the local network asks the
    // router to forward its port too. Off unless the program says so.
    void setPortMapping(bool on) { m_portMapping = on; }
    // The other windows, as they are made: the window connects to them.
    void downloadCreated(Tdownload *download);
    void gamestartCreated(Tgamestart *gamestart);
    void spylistCreated(Tspylist *spylist);

    // The frame's left, top, width and height, as the settings keep them.
    QRect windowBounds() const;
    void setWindowBounds(const QRect &bounds);
    // The hosting player's "Time Between Rounds", read by the host.
    int pauseBetweenFrames() const override;

    // The models the window shows.
    Session &session() const { return *m_session; }
    ChatLog &chatLog() const;

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
    void buildMenus();
    void bindGame();
    void bindWords(CardLabels *card);
    // The Words window with the last frame's words, word (if any) chosen
    // and listed, from source, when it is not one of them; with activate
    // it takes the keys.
    void showWords(bool activate, const QString &word = {}, const QString &source = {});
    void refreshGame();
    void refreshClock();
    void startHost(quint16 port, bool everyAddress);
    // Joining by a game directory's code: see GameClient::CodeResolver.
    bool resolveCode(const QString &host, const GameClient::Resolved &done);

    // Handlers the window keeps.
    void FormCreate();
    // Returns false when the window must stay open (the save failed).
    bool FormClose();
    void playWithOthers(bool hosting);
    void label_playername1ContextPopup(int seat, const QPoint &at);
    void JustWatch1Click();
    void GameDirectories1Click();
    void TextColor1Click();
    void PrhaseList1Click();
    void applyPhrases(const QStringList &phrases);
    void ViewTally1Click();
    static void showForm(QWidget *form);

    Session *m_session = nullptr;

    // The controls bound to the models after they are built.
    QWidget *m_board = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_timer = nullptr;
    QLabel *m_timePerTurn = nullptr;
    PictureBox *m_timerBar = nullptr;
    PictureBox *m_start = nullptr;
    PictureBox *m_noPlay = nullptr;
    ChatBox *m_chat = nullptr;
    OptionsMenu *m_optionsMenu = nullptr;
    QAction *m_startGame = nullptr;
    QMenu *m_popupKick = nullptr;
    QColorDialog *m_colorDialog = nullptr;
    GameDirectoriesDialog *m_directoriesDialog = nullptr;
    // Resolves a code given to join by.
    DirectoryFinder *m_codeFinder = nullptr;

    FormOpener *m_forms = nullptr;
    QStringList m_parameters;
    std::unique_ptr<RunMarker> m_marker;
    bool m_shown = false;
    bool m_portMapping = false;
    TPlayDialog *m_playDialog = nullptr;
    // The last posted frame's words, for the Words window.
    QString m_frameHeading;
    QList<WordToDefine> m_frameWords;
};
