#pragma once

// Sent at login and compared by the host; the about box shows it followed by
// the build suffix.
inline constexpr char kVersionText[] = "1.0.9";
inline constexpr char kBuildSuffix[] = ".16";
