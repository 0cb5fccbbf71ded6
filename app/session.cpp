#include "app/session.h"

#include "base/errordisplay.h"
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
    options.follow(&client, &Options::playSounds, &Options::playSoundsChanged,
                   std::bind_front(&GameClient::setPlaySounds, &client));
    options.follow(&client, &Options::chatterSounds, &Options::chatterSoundsChanged,
                   std::bind_front(&GameClient::setChatterSounds, &client));
    options.follow(&client, &Options::turnSound, &Options::turnSoundChanged,
                   std::bind_front(&GameClient::setTurnSound, &client));
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
    connect(&roster, &Roster::ownArrival, this, &Session::loadinifile);
    tally.follow(client, roster);
    recorder.follow(client, roster, flow);
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
