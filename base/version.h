#pragma once

// Sent at login and compared by the host; the about box shows it followed by
// the build suffix.
inline constexpr char kVersionText[] = "1.0.9";
inline constexpr char kBuildSuffix[] = ".16";

// The version of the game's TCP protocol, as a table announces it on the
// local network. Copies of another version list the table but cannot join it.
inline constexpr int kProtocolVersion = 1;
