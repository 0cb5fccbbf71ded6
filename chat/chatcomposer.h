#pragma once

#include "settings/colortext.h"

#include <QObject>
#include <QString>
#include <QTimer>

class GameClient;
class Options;

// What the player says in the chat, sent to the host from the own slot:
// the chat edit's line in the chosen text colour, "/me" lines and the
// phrase buttons as actions. After a phrase the buttons rest a moment, so
// that a player cannot flood the chat with them.
class ChatComposer : public QObject
{
    Q_OBJECT

public:
    // Actions and phrases go out in black, whatever the text colour.
    static constexpr quint32 kActionColour = colortext::kBlack;
    static constexpr int kPhraseLockMs = 2000;

    ChatComposer(GameClient &client, const Options &options, QObject *parent = nullptr);

    // The chat edit's Enter: true when the line is done with and the edit
    // empties (sent, or nothing to send: an empty line, a command other
    // than "/me"); false while the host has not seated us, the text waiting
    // in the edit, and when the socket refused it, the error shown.
    bool sendit(const QString &text);
    // Phrase button n, 1 to the phrase count, as an action: false while the
    // buttons rest, and when nothing was sent.
    bool b_phrase1Click(int n);

    bool phraseLockReady() const { return !m_phraseLock.isActive(); }
    // The buttons' rest is over (the timer's end).
    void phraseLockRelease() { m_phraseLock.stop(); }
    const QTimer &phraseLockTimer() const { return m_phraseLock; }

private:
    GameClient &m_client;
    const Options &m_options;
    QTimer m_phraseLock;
};
