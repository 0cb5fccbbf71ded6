#include "base/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

QString writableProgramFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty() || !QFileInfo(folder).isWritable())
        return {};
    const QString entry = QStringLiteral("../share/applications/%1.desktop").arg(QLatin1String(kAppId));
    if (QFileInfo::exists(QDir(folder).filePath(entry)))
        return {};
    // Another user could swap the settings for a link or plant a file named
    // like the lobby installer.
    if (!sharedFolderProblem(folder).isEmpty())
        return {};
    return folder;
}

QString recordsFolder()
{
    const QString tally = qEnvironmentVariable("PINLEX_TALLY_FILE");
    if (!tally.isEmpty())
        return QFileInfo(tally).absolutePath();
    if (const QString programFolder = writableProgramFolder(); !programFolder.isEmpty())
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString sharedFolderProblem(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::getuid())
        return QStringLiteral("it belongs to another user");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("other users may write in it");
    return {};
}
