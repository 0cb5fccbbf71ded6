#include "chat/chatmessages.h"

#include "protocol/messages.h"
#include "settings/colortext.h"

namespace chatmessages {

namespace {

QByteArray body(const QString &text, quint32 colour)
{
    return text.toLatin1() + '|' + colortext::toText(colour).toLatin1();
}

} // namespace

QByteArray forChatLine(int slot, const QString &text, quint32 chatColour, quint32 actionColour)
{
    if (text.isEmpty())
        return {};
    if (!text.startsWith(QLatin1Char('/')))
        return msg::encode(msg::Chat{slot, body(text, chatColour)});
    if (text.startsWith(QLatin1String("/me")))
        return msg::encode(msg::Action{slot, body(text.mid(4), actionColour)});
    return {};
}

QByteArray forPhrase(int slot, const QString &phrase, quint32 actionColour)
{
    const QString text = phrase.startsWith(QLatin1String("/me ")) ? phrase.mid(4) : QStringLiteral("says: ") + phrase;
    return msg::encode(msg::Action{slot, body(text, actionColour)});
}

Received received(int slot, const QByteArray &text, const QByteArray &colourText)
{
    return {QString::number(slot) + QLatin1Char('+') + QString::fromLatin1(text),
            colortext::fromText(QString::fromLatin1(colourText)).value_or(colortext::kRed)};
}

} // namespace chatmessages
