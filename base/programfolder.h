#pragma once

#include <QString>

// The folder the program keeps its settings, tally and downloads in when it
// runs unpacked: the executable's own folder, if the user may write there.
// An installed copy (its menu entry in ../share/applications beside it)
// never writes into its prefix, even one the user owns; it uses the user's
// folders instead. Nor does a copy in a folder that other users may change
// (see sharedFolderProblem). Empty when the user's folders are to be used.
QString writableProgramFolder();

// The folder the player's records go in, the tally and the game history
// side by side: the folder of the tally file PINLEX_TALLY_FILE names when it
// is set (a test's or a portable setup's records stay together), else the
// program's own folder when it runs unpacked, else the user's data folder.
QString recordsFolder();

// Why another user could change or replace what is kept in the folder at
// path: it is not a folder, it is another user's, or others may write in
// it. Empty when the folder is this user's own and only theirs to change. A
// link to a folder is judged by the folder it names.
QString sharedFolderProblem(const QString &path);

// The program's identity in menus and software centres.
inline constexpr char kAppId[] = "io.github.pinlex.Pinlex";
