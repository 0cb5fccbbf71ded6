#include "settings/options.h"

#include "base/errordisplay.h"
#include "base/gamenumbers.h"
#include "settings/inifile.h"

namespace {

const char *const kBuiltInPhrases[] = {"Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
                                       "Wow, WTG!", "Thanks!", "Way To Go Teamie!", "Good Game Everyone!"};

// The chat's design size, before any load.
constexpr int kDesignTextSize = 10;

} // namespace

Options::Options(QString fileName, QObject *parent) : QObject(parent), m_fileName(std::move(fileName))
{
    // The file's defaults, but for the menus' design state.
    m_s.chatterSounds = false;
    m_s.textSize = kDesignTextSize;
    m_s.timePerTurn = game::kDefaultTurnSeconds;
    for (int n = 1; n <= kPhraseCount; ++n)
        m_s.phrases[n - 1] = QLatin1String(kBuiltInPhrases[n - 1]);
}

QString Options::phrase(int n) const
{
    return n >= 1 && n <= kPhraseCount ? m_s.phrases[n - 1] : QString();
}

template <typename T>
void Options::noteUnloaded(T Settings::*field, const T &value)
{
    if (!m_loaded)
        m_unloadedChanges.push_back([field, value](Settings &settings) { settings.*field = value; });
}

template <typename T, typename Signal>
void Options::change(T Settings::*field, const T &value, Signal signal)
{
    if (m_s.*field == value)
        return;
    m_s.*field = value;
    emit(this->*signal)(value);
    if (m_loading)
        return;
    noteUnloaded(field, value);
    saveReportingErrors();
}

void Options::setPlaySounds(bool on) { change(&Settings::playSounds, on, &Options::playSoundsChanged); }
void Options::setChatterSounds(bool on) { change(&Settings::chatterSounds, on, &Options::chatterSoundsChanged); }
void Options::setTypeWords(bool on) { change(&Settings::typeWords, on, &Options::typeWordsChanged); }
void Options::setUseSpace(bool on) { change(&Settings::useSpace, on, &Options::useSpaceChanged); }
void Options::setClearWords(bool on) { change(&Settings::clearWords, on, &Options::clearWordsChanged); }
void Options::setShowBadWord(bool on) { change(&Settings::showBadWord, on, &Options::showBadWordChanged); }
void Options::setTextColor(quint32 colour) { change(&Settings::textColor, colour, &Options::textColorChanged); }
void Options::setRobotChatter(bool on) { change(&Settings::robotChatter, on, &Options::robotChatterChanged); }
void Options::setShowDefinitions(bool on)
{
    change(&Settings::showDefinitions, on, &Options::showDefinitionsChanged);
}

void Options::setTurnSound(int sound)
{
    if (sound == 0 || sound == 1)
        change(&Settings::turnSound, sound, &Options::turnSoundChanged);
}

void Options::setTimeBetween(int seconds)
{
    if (game::isPause(seconds))
        change(&Settings::timeBetween, seconds, &Options::timeBetweenChanged);
}

void Options::setTextSize(int points)
{
    change(&Settings::textSize, qBound(Settings::kMinTextSize, points, Settings::kMaxTextSize), &Options::textSizeChanged);
}

void Options::setTimePerTurn(int seconds)
{
    const int bounded = qBound(game::kMinTurnSeconds, seconds, game::kMaxTurnSeconds);
    if (bounded == *m_s.timePerTurn)
        return;
    m_s.timePerTurn = bounded;
    emit timePerTurnChanged(bounded);
    if (m_loading)
        return;
    noteUnloaded(&Settings::timePerTurn, m_s.timePerTurn);
    saveReportingErrors();
}

std::optional<QString> Options::storedGameDirectories() const
{
    return Settings::load(IniFile(m_fileName), kSection).gameDirectories;
}

void Options::setGameDirectories(const QString &addresses)
{
    if (m_s.gameDirectories == addresses)
        return;
    m_s.gameDirectories = addresses;
    emit gameDirectoriesChanged(addresses);
    if (m_loading)
        return;
    // On its own, like the phrases: the dialog may come before the options
    // were first read.
    try {
        IniFile(m_fileName).writeString(kSection, u"Gamedirectories", addresses);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void Options::setRobots(int count)
{
    change(&Settings::robots, qBound(0, count, game::kSeats - 1), &Options::robotsChanged);
}

void Options::setRobotStrength(int strength)
{
    change(&Settings::robotStrength, qBound(0, strength, Settings::kMaxRobotStrength), &Options::robotStrengthChanged);
}

// Not a change of the file's options: the view alone scrolls or not.
void Options::setScrollChatOff(bool on)
{
    if (std::exchange(m_scrollChatOff, on) != on)
        emit scrollChatOffChanged(on);
}

void Options::setPhrases(const Phrases &phrases)
{
    if (phrases == m_s.phrases)
        return;
    m_s.phrases = phrases;
    emit phrasesChanged();
    if (m_loading)
        return;
    try {
        IniFile file(m_fileName);
        Settings::savePhrases(file, kSection, phrases);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void Options::load()
{
    const Settings stored = Settings::load(IniFile(m_fileName), kSection);
    m_loading = true;
    m_placement = stored.bounds;
    setTextSize(stored.textSize);
    setTextColor(stored.textColor);
    if (stored.timePerTurn)
        setTimePerTurn(*stored.timePerTurn);
    setTimeBetween(stored.timeBetween);
    Phrases phrases = m_s.phrases;
    for (int n = 0; n < kPhraseCount; ++n) {
        if (!stored.phrases[n].isEmpty())
            phrases[n] = stored.phrases[n];
    }
    setPhrases(phrases);
    setTypeWords(stored.typeWords);
    setUseSpace(stored.useSpace);
    setShowBadWord(stored.showBadWord);
    setClearWords(stored.clearWords);
    setTurnSound(stored.turnSound);
    setPlaySounds(stored.playSounds);
    setChatterSounds(stored.chatterSounds);
    setRobotChatter(stored.robotChatter);
    setRobots(stored.robots);
    setRobotStrength(stored.robotStrength);
    setShowDefinitions(stored.showDefinitions);
    if (stored.gameDirectories)
        setGameDirectories(*stored.gameDirectories);
    m_loading = false;
    m_loaded = true;
    m_unloadedChanges.clear();
    emit loaded();
}

void Options::save() const
{
    IniFile file(m_fileName);
    Settings settings = m_s;
    if (m_loaded) {
        settings.bounds = m_boundsSource ? m_boundsSource() : m_placement;
    } else {
        // The window never took the stored options or place: keep them.
        settings = Settings::load(file, kSection);
        for (const auto &apply : m_unloadedChanges)
            apply(settings);
    }
    settings.save(file, kSection);
}

void Options::saveReportingErrors() const
{
    try {
        save();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}
