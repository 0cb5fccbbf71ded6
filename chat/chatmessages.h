#pragma once

#include <QByteArray>
#include <QString>

// The chat's messages to and from the host, as whole messages ready to send.
// Text travels as single-byte (Latin-1) text; colours as colour text.
namespace chatmessages {

// What the chat edit's text sends: a chat line, "/me" and the rest as an
// action, or nothing (an empty line, any other "/" command).
QByteArray forChatLine(int slot, const QString &text, quint32 chatColour, quint32 actionColour);

// A phrase button's action: "says: " and the phrase, or the phrase without
// its leading "/me ".
QByteArray forPhrase(int slot, const QString &phrase, quint32 actionColour);

// A received chat line or action as the chat shows it: "slot+text", and its
// colour, red when the colour text cannot be read.
struct Received
{
    QString line;
    quint32 colour = 0;
};
Received received(int slot, const QByteArray &text, const QByteArray &colourText);

} // namespace chatmessages
