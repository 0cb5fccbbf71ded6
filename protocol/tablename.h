#pragma once

#include <QString>
#include <QStringView>

// A table's name as every copy shows it and every peer sends it: in the
// local network's announcements, the fallback replies and the game
// directories' lists. Anyone may send one, so it is always cleaned and cut.
namespace tablename {

inline constexpr int kMaxChars = 24;
// A DNS label, which carries the name as the mDNS instance name.
inline constexpr int kMaxBytes = 63;

// Non-printable characters shown as '?', outer blanks trimmed, cut to
// kMaxChars characters and kMaxBytes bytes of UTF-8.
QString cleaned(QStringView name);
// "NAME's table", the player's name shortened so that the suffix stays.
QString forPlayer(QStringView playerName);

} // namespace tablename
