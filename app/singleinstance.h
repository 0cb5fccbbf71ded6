#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// The per-user directory for the program's named objects (locks, sockets):
// XDG_RUNTIME_DIR's folder when it is set, else "pinlex-<uid>" in the
// temporary folder, made with mode 0700 when missing. Empty, with the reason
// in *problem, when that folder cannot be trusted: another user who can
// write in it could hold the locks and keep the game from starting.
QString userRuntimeDirectory(QString *problem = nullptr);

// Why the folder at path is not a private folder of the user with this id
// (it is not a folder itself, it is another's, or others may write in it);
// empty when it is.
QString privateFolderProblem(const QString &path, uint uid);

// Tells whether another copy of the program runs for this user, and lets a
// second copy bring the first one forward. The first copy holds a lock file
// (which the system releases when the process dies, so a crash leaves
// nothing stale that counts) and listens on a local socket of the same name.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another copy already runs; with activate set it has been
    // asked to come forward. False when this copy is the first: it then
    // keeps the name until it ends.
    bool IsPrevInstance(const QString &name, bool activate);
    // Gives the name up before this copy ends, so that a copy started to
    // take over is not turned away.
    void release();

signals:
    // A later copy asked this one to come forward.
    void activateRequested();

private:
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

// A named marker that other programs can see while the game runs.
class RunMarker
{
public:
    explicit RunMarker(const QString &name);
    ~RunMarker();
    bool isHeld() const;

private:
    std::unique_ptr<QLockFile> m_lock;
};
