#include "settings/settings.h"

#include "base/numbers.h"
#include "settings/colortext.h"
#include "settings/inifile.h"

namespace {

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
    const int top = file.readInteger(section, u"Top", 3);
    const int left = file.readInteger(section, u"Left", 3);
    const int width = file.readInteger(section, u"Width", 581);
    const int height = file.readInteger(section, u"Height", 576);
    settings.bounds = QRect(left, top, width, height);
    settings.textSize = file.readInteger(section, u"Textsize", 8);
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
    return settings;
}

void Settings::save(IniFile &file, const QString &section) const
{
    file.writeInteger(section, u"Top", bounds.top());
    file.writeInteger(section, u"Left", bounds.left());
    file.writeInteger(section, u"Width", bounds.width());
    file.writeInteger(section, u"Height", bounds.height());
    file.writeInteger(section, u"Textsize", textSize);
    try {
        file.writeString(section, u"Textcolor", colortext::toText(textColor));
    } catch (const EIniFileError &) {
        // The colour alone may fail without stopping the save.
    }
    file.writeString(section, u"Timeperturn", QString::number(timePerTurn.value_or(60)));
    file.writeString(section, u"Turnsound", QString::number(turnSound));
    file.writeString(section, u"Timebetween", QString::number(timeBetween));
    file.writeString(section, u"Type", flagText(typeWords));
    file.writeString(section, u"Usespace", flagText(useSpace));
    file.writeString(section, u"Showbadword", flagText(showBadWord));
    file.writeString(section, u"Clearwords", flagText(clearWords));
    file.writeString(section, u"Playsounds", flagText(playSounds));
    file.writeString(section, u"ChatterSounds", flagText(chatterSounds));
}

void Settings::savePhrases(IniFile &file, const QString &section, const std::array<QString, kPhraseCount> &phrases)
{
    for (int n = 1; n <= kPhraseCount; ++n)
        file.writeString(section, QStringLiteral("Phrase%1").arg(n), phrases[n - 1]);
}
