#include "base/atomicfile.h"

#include <QFileInfo>

AtomicFile::AtomicFile(const QString &path) : QSaveFile(path) {}

bool AtomicFile::open(OpenMode mode)
{
    const QFileInfo target(fileName());
    if (target.exists() && !target.isFile()) {
        setErrorString(QStringLiteral("%1 is not a regular file").arg(fileName()));
        return false;
    }
    return QSaveFile::open(mode);
}

void AtomicFile::discard()
{
    if (!isOpen())
        return;
    cancelWriting();
    commit(); // fails, as asked, and removes the new file
}

bool AtomicFile::replace(const QString &path, const QByteArray &data, QString *error)
{
    AtomicFile file(path);
    const bool done = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
    if (!done && error)
        *error = file.errorString();
    return done;
}
