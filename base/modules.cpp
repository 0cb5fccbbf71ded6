#include "base/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>

namespace {

QStringList &chosenFolders()
{
    static QStringList folders;
    return folders;
}

} // namespace

QStringList moduleFolders()
{
    if (!chosenFolders().isEmpty())
        return chosenFolders();
    const QString program = QCoreApplication::applicationDirPath();
    return {program, QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(PINLEX_MODULE_DIR))};
}

void setModuleFolders(const QStringList &folders)
{
    chosenFolders() = folders;
}

ModuleEntry moduleEntry(const QString &name, const char *entry, const QStringList &folders, QString *problem)
{
    QString reason = QStringLiteral("no module %1 in %2").arg(name, folders.join(QStringLiteral(", ")));
    for (const QString &folder : folders) {
        const QString path = folder + QLatin1Char('/') + QStringLiteral(PINLEX_MODULE_PREFIX) + name
                             + QStringLiteral(PINLEX_MODULE_SUFFIX);
        if (!QFile::exists(path))
            continue;
        // Never unloaded: what a module made may outlive its maker, and some
        // libraries under one keep threads of their own running.
        auto *module = new QLibrary(path);
        if (const QFunctionPointer found = module->resolve(entry))
            return reinterpret_cast<ModuleEntry>(found);
        reason = module->errorString();
        delete module;
    }
    if (problem)
        *problem = reason;
    return nullptr;
}
