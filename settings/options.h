#pragma once

#include "settings/settings.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <vector>

// The player's options, each a property with its change signal: the menus
// show them and change them, the models read them, and the settings file
// keeps them. A change is written to the file at once (a refused write goes
// to the error display); loading sets them all and writes nothing. The
// values before a load are the menus' design state: a change made then is
// written alone, over what the file holds, so the design state never
// overwrites the player's stored options.
class Options : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool playSounds READ playSounds WRITE setPlaySounds NOTIFY playSoundsChanged)
    Q_PROPERTY(bool chatterSounds READ chatterSounds WRITE setChatterSounds NOTIFY chatterSoundsChanged)
    Q_PROPERTY(int turnSound READ turnSound WRITE setTurnSound NOTIFY turnSoundChanged)
    Q_PROPERTY(bool typeWords READ typeWords WRITE setTypeWords NOTIFY typeWordsChanged)
    Q_PROPERTY(bool useSpace READ useSpace WRITE setUseSpace NOTIFY useSpaceChanged)
    Q_PROPERTY(bool clearWords READ clearWords WRITE setClearWords NOTIFY clearWordsChanged)
    Q_PROPERTY(int timeBetween READ timeBetween WRITE setTimeBetween NOTIFY timeBetweenChanged)
    Q_PROPERTY(bool showBadWord READ showBadWord WRITE setShowBadWord NOTIFY showBadWordChanged)
    Q_PROPERTY(quint32 textColor READ textColor WRITE setTextColor NOTIFY textColorChanged)
    Q_PROPERTY(int textSize READ textSize WRITE setTextSize NOTIFY textSizeChanged)
    Q_PROPERTY(bool scrollChatOff READ scrollChatOff WRITE setScrollChatOff NOTIFY scrollChatOffChanged)
    Q_PROPERTY(bool robotChatter READ robotChatter WRITE setRobotChatter NOTIFY robotChatterChanged)
    Q_PROPERTY(int timePerTurn READ timePerTurn WRITE setTimePerTurn NOTIFY timePerTurnChanged)
    Q_PROPERTY(int robots READ robots WRITE setRobots NOTIFY robotsChanged)
    Q_PROPERTY(int robotStrength READ robotStrength WRITE setRobotStrength NOTIFY robotStrengthChanged)
    Q_PROPERTY(bool showDefinitions READ showDefinitions WRITE setShowDefinitions NOTIFY showDefinitionsChanged)

public:
    static constexpr int kPhraseCount = Settings::kPhraseCount;
    using Phrases = std::array<QString, kPhraseCount>;
    static inline const QString kSection = QStringLiteral("Pinlex");

    explicit Options(QString fileName, QObject *parent = nullptr);

    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    bool playSounds() const { return m_s.playSounds; }
    bool chatterSounds() const { return m_s.chatterSounds; }
    int turnSound() const { return m_s.turnSound; }           // 0 Classic, 1 New
    bool typeWords() const { return m_s.typeWords; }
    bool useSpace() const { return m_s.useSpace; }
    bool clearWords() const { return m_s.clearWords; }
    int timeBetween() const { return m_s.timeBetween; }       // seconds between frames
    bool showBadWord() const { return m_s.showBadWord; }
    quint32 textColor() const { return m_s.textColor; }       // sent with the own chat lines
    int textSize() const { return m_s.textSize; }
    bool scrollChatOff() const { return m_scrollChatOff; }    // not kept in the file
    bool robotChatter() const { return m_s.robotChatter; }
    int timePerTurn() const { return *m_s.timePerTurn; }      // what the game start dialog offers
    int robots() const { return m_s.robots; }                 // the computer players it offers
    int robotStrength() const { return m_s.robotStrength; }   // 0 Easy, 1 Medium, 2 Hard
    bool showDefinitions() const { return m_s.showDefinitions; }   // the Words window at each frame's end
    const Phrases &phrases() const { return m_s.phrases; }
    // Phrase button n, 1 to kPhraseCount; empty outside.
    QString phrase(int n) const;
    // The game directories chosen under Options, as text; none: never chosen.
    const std::optional<QString> &gameDirectories() const { return m_s.gameDirectories; }
    // The same, as the file holds it now, loaded or not.
    std::optional<QString> storedGameDirectories() const;

    void setPlaySounds(bool on);
    void setChatterSounds(bool on);
    void setTurnSound(int sound);       // other than 0 or 1: ignored
    void setTypeWords(bool on);
    void setUseSpace(bool on);
    void setClearWords(bool on);
    void setTimeBetween(int seconds);   // not a pause the host offers: ignored
    void setShowBadWord(bool on);
    void setTextColor(quint32 colour);
    void setTextSize(int points);       // kept within what a font can show
    void setScrollChatOff(bool on);
    void setRobotChatter(bool on);
    void setTimePerTurn(int seconds);   // kept within what the game offers
    void setRobots(int count);          // kept to the free seats a table can have
    void setRobotStrength(int strength);   // kept to the strengths there are
    void setShowDefinitions(bool on);
    // Written on its own, without the other options.
    void setGameDirectories(const QString &addresses);
    // The phrase editor's nine phrases, empty ones included; written on
    // their own, without the other options.
    void setPhrases(const Phrases &phrases);

    // The window's bounds as last loaded or saved (all zero before either);
    // compared at close to learn whether the window moved.
    QRect placement() const { return m_placement; }
    void setPlacement(const QRect &bounds) { m_placement = bounds; }
    // Where a save reads the window's bounds at the time it writes; without
    // it a save writes the placement.
    void setBoundsSource(std::function<QRect()> source) { m_boundsSource = std::move(source); }

    // Calls apply with an option's value now and at every change, while
    // context lives: a model or a view that follows an option.
    template <typename T, typename Apply>
    void follow(QObject *context, T (Options::*get)() const, void (Options::*changed)(T), Apply apply)
    {
        apply((this->*get)());
        connect(this, changed, context, apply);
    }

    // Reads every option from the file: a missing file or key gives the
    // file's default; a phrase stored empty leaves the phrase as it is.
    // Emits a change for each option that changed, then loaded().
    void load();
    // Writes every option but the phrases with one write of the file;
    // before the first load, only the options changed since, and the file
    // keeps its bounds. Throws EIniFileError when the file refuses it.
    void save() const;

signals:
    void playSoundsChanged(bool on);
    void chatterSoundsChanged(bool on);
    void turnSoundChanged(int sound);
    void typeWordsChanged(bool on);
    void useSpaceChanged(bool on);
    void clearWordsChanged(bool on);
    void timeBetweenChanged(int seconds);
    void showBadWordChanged(bool on);
    void textColorChanged(quint32 colour);
    void textSizeChanged(int points);
    void scrollChatOffChanged(bool on);
    void robotChatterChanged(bool on);
    void timePerTurnChanged(int seconds);
    void robotsChanged(int count);
    void robotStrengthChanged(int strength);
    void showDefinitionsChanged(bool on);
    void gameDirectoriesChanged(const QString &addresses);
    void phrasesChanged();
    // A load finished; the placement holds the stored bounds.
    void loaded();

private:
    // Sets one field; on a change emits the signal and, unless loading,
    // writes the file.
    template <typename T, typename Signal>
    void change(T Settings::*field, const T &value, Signal signal);
    // Keeps a change for the saves made before the first load.
    template <typename T>
    void noteUnloaded(T Settings::*field, const T &value);
    void saveReportingErrors() const;

    QString m_fileName;
    Settings m_s;
    bool m_scrollChatOff = false;
    bool m_loading = false;
    bool m_loaded = false;
    std::vector<std::function<void(Settings &)>> m_unloadedChanges;
    QRect m_placement;
    std::function<QRect()> m_boundsSource;
};
