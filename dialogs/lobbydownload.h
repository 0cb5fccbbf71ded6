#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QTemporaryFile;

// Fetches the lobby program's installer and starts it, or starts the lobby
// program itself; what the download dialog shows and does, without widgets.
//
// The fetch is one asynchronous GET: the event loop keeps running, so the
// game, the chat and "Stop Download" stay live. The installer is only ever
// started from an https address (plain http only from this machine, for
// tests), and only after a successful fetch of the full announced length.
// What arrives goes to a new file of its own in the folder, which takes the
// installer's name only when complete; every other ending removes that new
// file and nothing else. The folder must be one only this user may change.
class LobbyDownload : public QObject
{
    Q_OBJECT

public:
    // Overrides the installer's address (for packagers and tests).
    static constexpr char kAddressVariable[] = "PINLEX_LOBBY_INSTALLER_URL";
    static constexpr qint64 kDefaultSizeLimit = qint64(512) * 1024 * 1024;

    explicit LobbyDownload(QObject *parent = nullptr);
    ~LobbyDownload() override;

    // The environment's address, else the maker's.
    static QUrl defaultAddress();
    // https anywhere, plain http only on a loopback host.
    static bool isAllowedAddress(const QUrl &address);
    // The last path segment when it is a plain file name, else empty.
    static QString installerFileName(const QUrl &address);
    // Beside the executable when that folder is writable, else the user's
    // data folder for Pinlex.
    static QString defaultFolder();
    static QString lobbyProgramPath();

    QUrl address() const { return m_address; }
    void setAddress(const QUrl &address) { m_address = address; }
    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }
    qint64 sizeLimit() const { return m_sizeLimit; }
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }

    // The two progress labels and the two buttons of the dialog.
    QString progress1() const { return m_progress1; }
    QString progress2() const { return m_progress2; }
    bool canStart() const { return !m_reply; }
    bool canStop() const { return bool(m_reply); }
    // Where the installer goes once it is complete; empty when the address
    // names no file.
    QString filePath() const;

    void start();           // "Download And Install The Orvik9 Lobby Now"
    void stop();            // "Stop Download"
    void playWithOthers();  // "Play with Others"
    // The lobby program is there to be started.
    static bool lobbyInstalled();

signals:
    void changed();                          // a text or a button's state
    void notice(const QString &text);        // a message for the player
    void failed(const QString &message);     // for the general error display
    void exitRequested();                    // the game must end now

private:
    void onMetaData();
    void onData();
    void onRedirected(const QUrl &target);
    void onFinished();
    // Ends the fetch without starting anything: the partial file is removed.
    void abandon(const QString &label1, const QString &label2, const QString &error = QString());
    void dropFetch();
    void keep();
    void install();
    void setProgress(const QString &label1, const QString &label2);
    bool successStatus() const;

    QUrl m_address;
    QString m_folder;
    qint64 m_sizeLimit = kDefaultSizeLimit;
    QString m_progress1;
    QString m_progress2;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QString m_target;
    std::unique_ptr<QTemporaryFile> m_part;   // what has arrived so far
    qint64 m_received = 0;
    bool m_documentBegun = false;
};
