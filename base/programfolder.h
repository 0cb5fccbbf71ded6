#pragma once

#include <QString>

// The folder the program keeps its settings, tally and downloads in when it
// runs unpacked: the executable's own folder, if the user may write there.
// An installed copy (its menu entry in ../share/applications beside it)
// never writes into its prefix, even one the user owns; it uses the user's
// folders instead. Empty when the user's folders are to be used.
QString writableProgramFolder();

// The program's identity in menus and software centres.
inline constexpr char kAppId[] = "io.github.pinlex.Pinlex";
