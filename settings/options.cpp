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

template <typename T, typename Signal>
void Options::change(T &field, const T &value, Signal signal)
{
    if (field == value)
        return;
    field = value;
    emit(this->*signal)(value);
    if (!m_loading)
        saveReportingErrors();
}

void Options::setPlaySounds(bool on) { change(m_s.playSounds, on, &Options::playSoundsChanged); }
void Options::setChatterSounds(bool on) { change(m_s.chatterSounds, on, &Options::chatterSoundsChanged); }
void Options::setTypeWords(bool on) { change(m_s.typeWords, on, &Options::typeWordsChanged); }
void Options::setUseSpace(bool on) { change(m_s.useSpace, on, &Options::useSpaceChanged); }
void Options::setClearWords(bool on) { change(m_s.clearWords, on, &Options::clearWordsChanged); }
void Options::setShowBadWord(bool on) { change(m_s.showBadWord, on, &Options::showBadWordChanged); }
void Options::setTextColor(quint32 colour) { change(m_s.textColor, colour, &Options::textColorChanged); }
void Options::setRobotChatter(bool on) { change(m_s.robotChatter, on, &Options::robotChatterChanged); }

void Options::setTurnSound(int sound)
{
    if (sound == 0 || sound == 1)
        change(m_s.turnSound, sound, &Options::turnSoundChanged);
}

void Options::setTimeBetween(int seconds)
{
    if (game::isPause(seconds))
        change(m_s.timeBetween, seconds, &Options::timeBetweenChanged);
}

void Options::setTextSize(int points)
{
    change(m_s.textSize, qBound(Settings::kMinTextSize, points, Settings::kMaxTextSize), &Options::textSizeChanged);
}

void Options::setTimePerTurn(int seconds)
{
    const int bounded = qBound(game::kMinTurnSeconds, seconds, game::kMaxTurnSeconds);
    if (bounded == *m_s.timePerTurn)
        return;
    m_s.timePerTurn = bounded;
    emit timePerTurnChanged(bounded);
    if (!m_loading)
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
    change(m_s.robots, qBound(0, count, game::kSeats - 1), &Options::robotsChanged);
}

void Options::setRobotStrength(int strength)
{
    change(m_s.robotStrength, qBound(0, strength, Settings::kMaxRobotStrength), &Options::robotStrengthChanged);
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
    if (stored.gameDirectories)
        setGameDirectories(*stored.gameDirectories);
    m_loading = false;
    emit loaded();
}

void Options::save() const
{
    Settings settings = m_s;
    settings.bounds = m_boundsSource ? m_boundsSource() : m_placement;
    IniFile file(m_fileName);
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
