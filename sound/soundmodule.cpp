#include "sound/soundmodule.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSound)

std::unique_ptr<SoundEffects> loadSoundEffects(const QStringList &folders)
{
    QString problem;
    const auto make = reinterpret_cast<MakeSoundEffects>(
        moduleEntry(QStringLiteral("pinlexsound"), kMakeSoundEffects, folders, &problem));
    if (!make) {
        qCInfo(lcSound) << "no sound module, sounds are skipped:" << problem;
        return nullptr;
    }
    return std::unique_ptr<SoundEffects>(make());
}
