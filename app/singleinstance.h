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
// second copy bring the first one forward. The first copy holds a lock on a
// file and listens on a local socket of the same name. The lock is the
// system's own (flock), which ends with its process however that ends: a
// file left behind by a crash, empty, damaged or naming a process number
// that some other program has since been given, blocks nothing.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another copy already runs; with activate set it has been
    // asked to come forward. Also true, with the reason (naming the file) in
    // *problem, when the lock cannot be used at all or the copy that holds
    // it does not answer. False when this copy is the first: it then keeps
    // the name until it ends or release()s it, and listens for later copies
    // once its event loop runs.
    bool IsPrevInstance(const QString &name, bool activate, QString *problem = nullptr);
    // Gives the name up before this copy ends, so that a copy started to
    // take over is not turned away.
    void release();

signals:
    // A later copy asked this one to come forward.
    void activateRequested();

private:
    void listen(const QString &socketName);

    int m_lock = -1;            // the open, locked file
    QString m_lockPath;
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
