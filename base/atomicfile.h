#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// Replaces a file as a whole or not at all. What is written goes to a new
// file in the target's folder, which commit() renames over the target only
// when all of it was written; until then, and after any failure, the target
// is as it was and the new file is gone. A symbolic link is followed: the
// file it names is replaced and the link stays. A target that exists but is
// not a regular file (a device, a pipe, a folder) is refused, since renaming
// over it would destroy it rather than write to it.
class AtomicFile : public QSaveFile
{
public:
    explicit AtomicFile(const QString &path = QString());

    // Refuses a target that is not a regular file; otherwise as QSaveFile.
    bool open(OpenMode mode) override;
    // Gives up what was written: the target stays, the new file goes.
    void discard();

    // Replaces the file at path with data. False when any step failed; the
    // old file is then untouched. `error` receives the reason.
    static bool replace(const QString &path, const QByteArray &data, QString *error = nullptr);
};
