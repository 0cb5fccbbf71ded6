#include "chat/chatmessages.h"

#include "net/wire.h"
#include "settings/colortext.h"

namespace chatmessages {

namespace {

QByteArray chatMessage(const char *command, int slot, const QString &text, quint32 colour)
{
    return wire::message(command, wire::fields(slot, text.toLatin1() + '|' + colortext::toText(colour).toLatin1()));
}

} // namespace

QByteArray forChatLine(int slot, const QString &text, quint32 chatColour, quint32 actionColour)
{
    if (text.isEmpty())
        return {};
    if (!text.startsWith(QLatin1Char('/')))
        return chatMessage("CMD_chat", slot, text, chatColour);
    if (text.startsWith(QLatin1String("/me")))
        return chatMessage("CMD_action", slot, text.mid(4), actionColour);
    return {};
}

QByteArray forPhrase(int slot, const QString &phrase, quint32 actionColour)
{
    const QString text = phrase.startsWith(QLatin1String("/me ")) ? phrase.mid(4) : QStringLiteral("says: ") + phrase;
    return chatMessage("CMD_action", slot, text, actionColour);
}

Received split(const QByteArray &payload)
{
    const qsizetype bar = payload.indexOf('|');
    if (bar < 0)
        return {QString::fromLatin1(payload), colortext::kRed};
    return {QString::fromLatin1(payload.left(bar)),
            colortext::fromText(QString::fromLatin1(payload.mid(bar + 1))).value_or(colortext::kRed)};
}

} // namespace chatmessages
