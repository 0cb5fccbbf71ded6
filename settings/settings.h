#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <optional>

class IniFile;

// The player's options and the window's placement as the settings file keeps
// them in the program's section. Reading applies the file's defaults and its
// exact-text rules; the options model holds the values between reads and
// writes.
struct Settings
{
    static constexpr int kPhraseCount = 9;
    // Chat text sizes a font can show; a stored size outside is brought in.
    static constexpr int kMinTextSize = 1;
    static constexpr int kMaxTextSize = 96;
    static constexpr int kMaxRobotStrength = 2;

    QRect bounds{3, 3, 581, 576};   // left, top, width, height
    int textSize = 8;
    quint32 textColor = 0;          // colour value, black
    std::optional<int> timePerTurn; // only when stored as a number
    int turnSound = 0;              // 0 Classic, 1 New
    int timeBetween = 10;           // 5, 10 or 15 seconds
    bool typeWords = false;
    bool useSpace = false;
    bool showBadWord = true;
    bool clearWords = false;
    bool playSounds = true;
    bool chatterSounds = true;
    bool robotChatter = true;       // computer players may chat after a strike
    int robots = 0;                 // computer players the game options offer
    int robotStrength = 1;          // 0 Easy, 1 Medium, 2 Hard
    bool showDefinitions = false;   // the Words window opens at each frame's end
    // Stored phrases of the phrase buttons; empty where none is stored.
    std::array<QString, kPhraseCount> phrases;
    // The game directories the player chose, "host:port" separated by
    // commas; none stored: the build's own (an empty text is none at all).
    std::optional<QString> gameDirectories;

    static Settings load(const IniFile &file, const QString &section);

    // Writes every key but the phrases, in the file's order, with one write
    // of the file. Throws EIniFileError when the file refuses it; the file
    // is then as it was.
    void save(IniFile &file, const QString &section) const;

    // The phrase editor's nine phrases, empty ones included, in one write.
    static void savePhrases(IniFile &file, const QString &section,
                            const std::array<QString, kPhraseCount> &phrases);
};
