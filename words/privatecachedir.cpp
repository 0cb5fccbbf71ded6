#include "words/privatecachedir.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSet>

namespace {

constexpr int kAttempts = 8;

QString lockPath(const QString &base, const QString &name)
{
    return base + QLatin1Char('/') + name + QLatin1String(".lock");
}

// A lock is held for the owner's whole life; only a dead owner makes it stale.
std::unique_ptr<QLockFile> tryLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

} // namespace

QString PrivateCacheDir::namePrefix()
{
    return QStringLiteral("run-");
}

PrivateCacheDir::PrivateCacheDir(const QString &base)
{
    if (!QDir().mkpath(base))
        return;
    removeAbandoned(base);
    // The lock comes before the directory, so a directory without a held
    // lock is never one that a running copy is still setting up.
    for (int attempt = 0; attempt < kAttempts && m_path.isEmpty(); ++attempt) {
        const QString name = namePrefix() + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
                             + QString::number(QRandomGenerator::global()->generate(), 36);
        std::unique_ptr<QLockFile> lock = tryLock(lockPath(base, name));
        if (!lock)
            continue;
        if (QDir(base).mkdir(name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
            m_path = base + QLatin1Char('/') + name;
            m_lock = std::move(lock);
        }
    }
}

PrivateCacheDir::~PrivateCacheDir()
{
    if (isValid())
        QDir(m_path).removeRecursively();
}

QString PrivateCacheDir::filePath(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

void PrivateCacheDir::removeAbandoned(const QString &base)
{
    const QDir dir(base);
    QSet<QString> names;
    const QStringList entries = dir.entryList({namePrefix() + QLatin1Char('*')},
                                              QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    for (QString entry : entries) {
        if (entry.endsWith(QLatin1String(".rmlock")))
            continue; // the lock file's own guard while a stale lock is removed
        if (entry.endsWith(QLatin1String(".lock")))
            entry.chop(5);
        names.insert(entry);
    }
    for (const QString &name : std::as_const(names)) {
        // Holding the lock ourselves proves that no running copy owns the directory.
        if (const std::unique_ptr<QLockFile> lock = tryLock(lockPath(base, name)))
            QDir(dir.filePath(name)).removeRecursively();
    }
}
