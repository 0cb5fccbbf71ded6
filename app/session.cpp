#include "app/session.h"

#include "base/errordisplay.h"
#include "client/roster.h"
#include "settings/inifile.h"

#include <QApplication>

#include <functional>

Session::Session(const QString &settingsFile, QObject *parent) : QObject(parent), options(settingsFile)
{
    sounds.setAlert([] {
        if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::beep();
    });
    client.setSoundOutput(&sounds);
    GameClient::Options &heard = client.options;
    options.follow(this, &Options::playSounds, &Options::playSoundsChanged, [&heard](bool on) { heard.playSounds = on; });
    options.follow(this, &Options::chatterSounds, &Options::chatterSoundsChanged,
                   [&heard](bool on) { heard.chatterSounds = on; });
    options.follow(this, &Options::turnSound, &Options::turnSoundChanged, [&heard](int sound) { heard.turnSound = sound; });
    options.follow(&rack, &Options::typeWords, &Options::typeWordsChanged,
                   std::bind_front(&RackModel::setTypeWords, &rack));
    options.follow(&rack, &Options::useSpace, &Options::useSpaceChanged, std::bind_front(&RackModel::setUseSpace, &rack));
    options.follow(&rack, &Options::clearWords, &Options::clearWordsChanged,
                   std::bind_front(&RackModel::setClearWords, &rack));
    options.follow(&rack, &Options::showBadWord, &Options::showBadWordChanged,
                   std::bind_front(&RackModel::setShowBadWord, &rack));
    options.follow(&robots, &Options::robotChatter, &Options::robotChatterChanged,
                   std::bind_front(&RobotTable::setChatter, &robots));
    // The keyboard's switch of Type Words is the player's choice too.
    connect(&rack, &RackModel::typeWordsToggled, &options, &Options::setTypeWords);
    connect(client.roster, &Roster::ownArrival, this, &Session::loadinifile);
}

void Session::loadinifile()
{
    try {
        options.load();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

QList<DirectoryAddress> Session::gameDirectories() const
{
    return DirectoryAddress::inUse({}, options.storedGameDirectories());
}
