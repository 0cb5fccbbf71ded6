#pragma once

#include <QObject>

#include <array>
#include <memory>

class ChatEdit;
class ChatLog;
class ChatView;
class FlatButton;
class QMenu;
class QWidget;
class Session;

// The chat below the board: the chat view with its log, the chat line,
// the phrase buttons, the smilies and the chatter sounds, with their
// pop-up menus. The host's lines show in the view, in the chosen text size;
// what the player types or picks goes out through the session's composer.
class ChatBox : public QObject
{
    Q_OBJECT

public:
    ChatBox(QWidget *board, Session &session);
    ~ChatBox() override;

    ChatLog &log() const { return *m_log; }
    // The chat line, which shares the keys with the board.
    ChatEdit *chatLine() const { return m_mychat; }
    // Phrase button n's hint: its phrase, or for the tenth what it offers.
    QString hint(int n) const;
    // The view empties and the chat line takes the focus.
    void ClearMainChat1Click();
    // A line of the game's own (arrivals, the launch, the host's reach...),
    // shown as the host's notices are.
    void notice(const QString &text);

signals:
    // "Define WORD" was chosen in the chat's pop-up menu.
    void defineRequested(const QString &word);

private:
    void build(QWidget *board);
    void buildPopups(QWidget *board);
    void bind();
    void sendit();
    void addlinetochat(const QString &line, quint32 colour);

    Session &m_session;
    std::array<FlatButton *, 11> m_phrases{};
    FlatButton *m_smilies = nullptr;
    ChatView *m_mainchat = nullptr;
    ChatEdit *m_mychat = nullptr;
    QMenu *m_popupMainchat = nullptr;
    QAction *m_define = nullptr;
    QMenu *m_popupMychat = nullptr;
    QMenu *m_popupSounds = nullptr;
    QMenu *m_popupSmilies = nullptr;
    std::unique_ptr<ChatLog> m_log;
};
