#pragma once

#include "protocol/messages.h"

#include <QByteArray>
#include <QtGlobal>

// A host's message as the client reads it, for tests that feed a model the
// values a real message carries. A line that does not read as that message
// is a fault of the test itself.
template <typename Message>
Message hostMessage(const QByteArray &line)
{
    const std::optional<msg::ToClient> read = msg::readToClient(line);
    if (!read || !std::holds_alternative<Message>(*read))
        qFatal("not a message of that kind: %s", line.constData());
    return std::get<Message>(*read);
}

inline msg::TheLetters dealOf(const QByteArray &payload)
{
    return hostMessage<msg::TheLetters>("CMD_theletters+" + payload);
}

inline msg::PostScores scoresOf(const QByteArray &payload)
{
    return hostMessage<msg::PostScores>("CMD_postscores+" + payload);
}
