#include "chat/chatcomposer.h"

#include "chat/chatmessages.h"
#include "client/gameclient.h"
#include "settings/options.h"

ChatComposer::ChatComposer(GameClient &client, const Options &options, QObject *parent)
    : QObject(parent), m_client(client), m_options(options)
{
    m_phraseLock.setSingleShot(true);
    m_phraseLock.setInterval(kPhraseLockMs);
}

bool ChatComposer::sendit(const QString &text)
{
    if (!m_client.loggedin())
        return false;
    const QByteArray message =
        chatmessages::forChatLine(m_client.myseat(), text, m_options.textColor(), kActionColour);
    return message.isEmpty() || m_client.sendBytes(message);
}

bool ChatComposer::b_phrase1Click(int n)
{
    // Phrases do not wait for the login.
    if (!phraseLockReady() || n < 1 || n > Options::kPhraseCount)
        return false;
    if (!m_client.sendBytes(chatmessages::forPhrase(m_client.myseat(), m_options.phrase(n), kActionColour)))
        return false;
    m_phraseLock.start();
    return true;
}
