#pragma once

#include <QString>

#include <memory>

class QLockFile;

// A directory of this process's own under base (created when missing),
// readable by the user alone, marked as in use by a lock file beside it and
// removed with everything in it when this object goes. Several copies of
// the program (and tests running in parallel) thus never share or delete
// each other's files. Creating one first removes the directories that
// copies which ended without cleaning up (a crash, a kill) left behind.
class PrivateCacheDir
{
public:
    explicit PrivateCacheDir(const QString &base);
    ~PrivateCacheDir();
    PrivateCacheDir(const PrivateCacheDir &) = delete;
    PrivateCacheDir &operator=(const PrivateCacheDir &) = delete;

    // False when the directory could not be made.
    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString filePath(const QString &name) const;

    // The prefix of every such directory's name (and of its lock file).
    static QString namePrefix();

private:
    static void removeAbandoned(const QString &base);

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
