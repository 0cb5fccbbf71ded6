#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How well a computer player plays. Its brain plays by it, the start dialog
// and the command line choose it, the game history keeps it, and a computer
// player names it when it sits down.
enum class Strength { Easy, Medium, Hard };

// "Easy", "Medium", "Hard".
QString strengthName(Strength strength);
// "easy", "medium" or "hard" in any letter case.
std::optional<Strength> strengthFromText(QStringView text);
