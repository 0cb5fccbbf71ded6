#include "sound/soundmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSound)

QStringList soundModuleFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {program, QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(PINLEX_SOUND_MODULE_DIR))};
}

std::unique_ptr<SoundEffects> loadSoundEffects(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString path = folder + QStringLiteral("/" PINLEX_SOUND_MODULE_NAME);
        if (!QFile::exists(path))
            continue;
        // Never unloaded: the audio system keeps threads of its own running.
        auto *module = new QLibrary(path);
        const auto make = reinterpret_cast<MakeSoundEffects>(module->resolve(kMakeSoundEffects));
        if (!make) {
            qCInfo(lcSound) << "sound module not usable:" << module->errorString();
            delete module;
            continue;
        }
        return std::unique_ptr<SoundEffects>(make());
    }
    qCInfo(lcSound) << "no sound module: sounds are skipped";
    return nullptr;
}
