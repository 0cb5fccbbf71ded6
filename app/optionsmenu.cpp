#include "app/optionsmenu.h"

#include "app/formhelpers.h"
#include "settings/options.h"

#include <QActionGroup>

#include <tuple>

using namespace formhelpers;

namespace {

using Choices = QList<std::tuple<const char *, const char *, int>>;

// A submenu of radio items, each tagged with its value, that shows a choice
// and makes it; the chosen item stays chosen when clicked again. With an
// optional choice a value no item offers leaves every item unchecked.
void addChoice(QMenu *menu, const char *name, const QString &caption, const Choices &choices, Options &options,
               int (Options::*get)() const, void (Options::*set)(int), void (Options::*changed)(int),
               bool optional = false)
{
    QMenu *submenu = menu->addMenu(caption);
    submenu->menuAction()->setObjectName(QLatin1String(name));
    auto *group = new QActionGroup(menu);
    group->setExclusionPolicy(optional ? QActionGroup::ExclusionPolicy::ExclusiveOptional
                                       : QActionGroup::ExclusionPolicy::Exclusive);
    QList<QAction *> items;
    for (const auto &[itemName, itemCaption, value] : choices) {
        items << group->addAction(addItem(submenu, QLatin1String(itemName), QLatin1String(itemCaption), true));
        items.last()->setData(value);
    }
    const auto show = [items](int value) {
        for (QAction *item : items)
            item->setChecked(item->data().toInt() == value);
    };
    options.follow(submenu, get, changed, show);
    for (QAction *item : items) {
        QObject::connect(item, &QAction::triggered, &options, [&options, item, set, get, show] {
            (options.*set)(item->data().toInt());
            show((options.*get)());
        });
    }
}

} // namespace

void OptionsMenu::bindCheck(QAction *item, Options &options, bool (Options::*get)() const, void (Options::*set)(bool),
                            void (Options::*changed)(bool))
{
    options.follow(item, get, changed, [item](bool on) { item->setChecked(on); });
    connect(item, &QAction::triggered, &options, set);
}

QAction *OptionsMenu::addScrollChatOff(QMenu *menu, const QString &name, Options &options)
{
    QAction *item = addItem(menu, name, QStringLiteral("Scroll Chat Off"), true);
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    bindCheck(item, options, &Options::scrollChatOff, &Options::setScrollChatOff, &Options::scrollChatOffChanged);
    return item;
}

OptionsMenu::OptionsMenu(Options &o, QWidget *parent) : QMenu(QStringLiteral("&Options"), parent)
{
    const auto check = [this, &o](const char *name, const char *caption, bool (Options::*get)() const,
                                  void (Options::*set)(bool), void (Options::*changed)(bool)) {
        bindCheck(addItem(this, QLatin1String(name), QLatin1String(caption), true), o, get, set, changed);
    };
    check("PlaySounds1", "Play Sounds", &Options::playSounds, &Options::setPlaySounds, &Options::playSoundsChanged);
    check("PlayChatterSounds1", "Play Chatter Sounds", &Options::chatterSounds, &Options::setChatterSounds,
          &Options::chatterSoundsChanged);
    addChoice(this, "TurnSound1", QStringLiteral("Turn Sound"), {{"Classic1", "Classic", 0}, {"New1", "New", 1}}, o,
              &Options::turnSound, &Options::setTurnSound, &Options::turnSoundChanged);
    formhelpers::addSeparator(this, QStringLiteral("N6"));
    check("TypeWords1", "Type Words", &Options::typeWords, &Options::setTypeWords, &Options::typeWordsChanged);
    check("usespace", "Use Space to Sort", &Options::useSpace, &Options::setUseSpace, &Options::useSpaceChanged);
    check("clearwords1", "Automatically Clear Invalid Words", &Options::clearWords, &Options::setClearWords,
          &Options::clearWordsChanged);
    addChoice(this, "timebetween", QStringLiteral("Time Between Rounds"),
              {{"Slow1", "Short", 5}, {"Normal1", "Normal", 10}, {"Fast1", "Long", 15}}, o, &Options::timeBetween,
              &Options::setTimeBetween, &Options::timeBetweenChanged);
    check("showbadword", "Show Invalid Word Panel", &Options::showBadWord, &Options::setShowBadWord,
          &Options::showBadWordChanged);
    formhelpers::addSeparator(this, QStringLiteral("N3"));
    textColor = addItem(this, QStringLiteral("TextColor1"), QStringLiteral("Text Color"));
    addChoice(this, "TextSize1", QStringLiteral("Text Size"),
              {{"N8", "8", 8}, {"N10", "10", 10}, {"N12", "12", 12}, {"N14", "14", 14}}, o, &Options::textSize,
              &Options::setTextSize, &Options::textSizeChanged, true);
    addScrollChatOff(this, QStringLiteral("ScrollChatOff2"), o);
    clearMainChat = addItem(this, QStringLiteral("ClearMainChat1"), QStringLiteral("Clear Main Chat"));
    resetLocation = addItem(this, QStringLiteral("ResetLocation1"), QStringLiteral("Reset Screen Location"));
    formhelpers::addSeparator(this, QStringLiteral("N2"));
    justWatch = addItem(this, QStringLiteral("JustWatch1"), QStringLiteral("Just Watch"), true);
    check("RobotChatter1", "Computer Players Chat", &Options::robotChatter, &Options::setRobotChatter,
          &Options::robotChatterChanged);
    check("ShowDefinitions1", "Show Word Definitions After Each Frame", &Options::showDefinitions,
          &Options::setShowDefinitions, &Options::showDefinitionsChanged);
    formhelpers::addSeparator(this, QStringLiteral("N9"));
    gameDirectories = addItem(this, QStringLiteral("GameDirectories1"), QStringLiteral("Game Directories\u2026"));
}
