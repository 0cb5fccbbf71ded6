#include "base/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString writableProgramFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty() || !QFileInfo(folder).isWritable())
        return {};
    const QString entry = QStringLiteral("../share/applications/%1.desktop").arg(QLatin1String(kAppId));
    if (QFileInfo::exists(QDir(folder).filePath(entry)))
        return {};
    return folder;
}
