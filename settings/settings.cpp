#include "settings/settings.h"

#include "base/gamenumbers.h"
#include "base/numbers.h"
#include "settings/colortext.h"
#include "settings/inifile.h"

#include <algorithm>

namespace {

// The largest size a window can have.
constexpr int kMaxCoordinate = (1 << 24) - 1;

// Only the exact text of the other value changes a flag from its default.
bool readFlag(const IniFile &file, const QString &section, QStringView key, bool defaultValue)
{
    const QString text = file.readString(section, key, defaultValue ? QStringLiteral("true") : QStringLiteral("false"));
    return defaultValue ? text != QLatin1String("false") : text == QLatin1String("true");
}

QString flagText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

Settings Settings::load(const IniFile &file, const QString &section)
{
    Settings settings;
    // Any number may stand in the file: keep each within what a window can
    // have, so that the rectangle's own arithmetic cannot overflow. The
    // window fits the result to its screen.
    const auto coordinate = [&](QStringView key, int defaultValue) {
        return std::clamp(file.readInteger(section, key, defaultValue), -kMaxCoordinate, kMaxCoordinate);
    };
    const auto length = [&](QStringView key, int defaultValue) {
        return std::clamp(file.readInteger(section, key, defaultValue), 0, kMaxCoordinate);
    };
    const int top = coordinate(u"Top", 3);
    const int left = coordinate(u"Left", 3);
    const int width = length(u"Width", 581);
    const int height = length(u"Height", 576);
    settings.bounds = QRect(left, top, width, height);
    settings.textSize = std::clamp(file.readInteger(section, u"Textsize", 8), kMinTextSize, kMaxTextSize);
    settings.textColor = colortext::fromText(file.readString(section, u"Textcolor", QStringLiteral("clblack")))
                             .value_or(colortext::kBlack);

    const QString perTurn = file.readString(section, u"Timeperturn", QStringLiteral("1"));
    int seconds = 0;
    if (tryStrToInt(perTurn.toLatin1(), &seconds))
        settings.timePerTurn = seconds;
    // A missing "Timebetween" takes the text just read as its default.
    const QString between = file.readString(section, u"Timebetween", perTurn);
    settings.timeBetween = between == QLatin1String("5") ? 5 : between == QLatin1String("15") ? 15 : 10;

    for (int n = 1; n <= kPhraseCount; ++n)
        settings.phrases[n - 1] = file.readString(section, QStringLiteral("Phrase%1").arg(n), QString());

    settings.typeWords = readFlag(file, section, u"Type", false);
    settings.useSpace = readFlag(file, section, u"Usespace", false);
    settings.showBadWord = readFlag(file, section, u"Showbadword", true);
    settings.clearWords = readFlag(file, section, u"Clearwords", false);
    settings.turnSound = file.readString(section, u"Turnsound", QStringLiteral("0")) == QLatin1String("1") ? 1 : 0;
    settings.playSounds = readFlag(file, section, u"Playsounds", true);
    settings.chatterSounds = readFlag(file, section, u"ChatterSounds", true);
    settings.robotChatter = readFlag(file, section, u"Robotchatter", true);
    settings.robots = std::clamp(file.readInteger(section, u"Robots", 0), 0, game::kSeats - 1);
    settings.robotStrength = std::clamp(file.readInteger(section, u"Robotstrength", 1), 0, kMaxRobotStrength);
    settings.showDefinitions = readFlag(file, section, u"ShowDefinitions", false);
    // No value holds a line break: it stands for "none stored".
    const QString unset = QStringLiteral("\n");
    if (const QString directories = file.readString(section, u"Gamedirectories", unset); directories != unset)
        settings.gameDirectories = directories;
    return settings;
}

void Settings::save(IniFile &file, const QString &section) const
{
    IniFile::Entries entries = {
        {QStringLiteral("Top"), QString::number(bounds.top())},
        {QStringLiteral("Left"), QString::number(bounds.left())},
        {QStringLiteral("Width"), QString::number(bounds.width())},
        {QStringLiteral("Height"), QString::number(bounds.height())},
        {QStringLiteral("Textsize"), QString::number(textSize)},
        {QStringLiteral("Textcolor"), colortext::toText(textColor)},
        {QStringLiteral("Timeperturn"), QString::number(timePerTurn.value_or(60))},
        {QStringLiteral("Turnsound"), QString::number(turnSound)},
        {QStringLiteral("Timebetween"), QString::number(timeBetween)},
        {QStringLiteral("Type"), flagText(typeWords)},
        {QStringLiteral("Usespace"), flagText(useSpace)},
        {QStringLiteral("Showbadword"), flagText(showBadWord)},
        {QStringLiteral("Clearwords"), flagText(clearWords)},
        {QStringLiteral("Playsounds"), flagText(playSounds)},
        {QStringLiteral("ChatterSounds"), flagText(chatterSounds)},
        {QStringLiteral("Robotchatter"), flagText(robotChatter)},
        {QStringLiteral("Robots"), QString::number(robots)},
        {QStringLiteral("Robotstrength"), QString::number(robotStrength)},
        {QStringLiteral("ShowDefinitions"), flagText(showDefinitions)},
    };
    if (gameDirectories)
        entries.append({QStringLiteral("Gamedirectories"), *gameDirectories});
    file.writeStrings(section, entries);
}

void Settings::savePhrases(IniFile &file, const QString &section, const std::array<QString, kPhraseCount> &phrases)
{
    IniFile::Entries entries;
    for (int n = 1; n <= kPhraseCount; ++n)
        entries.append({QStringLiteral("Phrase%1").arg(n), phrases[n - 1]});
    file.writeStrings(section, entries);
}
