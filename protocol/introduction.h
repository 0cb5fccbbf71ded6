#pragma once

#include "base/strength.h"
#include "protocol/messages.h"

#include <QByteArrayView>

#include <optional>

// A computer player says what it is once seated, as an action, so that
// every copy at the table can tell it from a person. It is an ordinary
// action on the wire, "is a computer player (Medium)." in black; the host
// passes it on behind the speaker's name like any other.
namespace msg {

Action computerIntroduction(int slot, Strength strength);

// The strength an action names when it is that introduction, as the host
// passes it on from the player named speaker ("Bolt is a computer player
// (Easy).").
std::optional<Strength> introducedStrength(QByteArrayView shown, QByteArrayView speaker);

} // namespace msg
