#include "dialogs/lobbydownload.h"

#include "base/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

// The maker's installer. The reserved .example domain never resolves, so an
// unconfigured build fails cleanly instead of fetching from a guessed host;
// packagers set the real address through kAddressVariable.
constexpr char kMakerAddress[] = "https://www.orvik9.example/download/orvik9lobby-setup.run";

// A stalled server ends the fetch after this long without data.
constexpr int kTransferTimeoutMs = 60 * 1000;

const QStringList &installerArguments()
{
    static const QStringList arguments = {QStringLiteral("/SP-"), QStringLiteral("/silent"),
                                          QStringLiteral("/noicons")};
    return arguments;
}

} // namespace

LobbyDownload::LobbyDownload(QObject *parent)
    : QObject(parent), m_address(defaultAddress()), m_folder(defaultFolder()),
      m_network(new QNetworkAccessManager(this))
{
}

// Quietly: the dialog that listens may already be half gone.
LobbyDownload::~LobbyDownload()
{
    dropFetch();
}

QUrl LobbyDownload::defaultAddress()
{
    const QString chosen = qEnvironmentVariable(kAddressVariable).trimmed();
    return QUrl(chosen.isEmpty() ? QString::fromLatin1(kMakerAddress) : chosen, QUrl::StrictMode);
}

// Whoever can change an installer fetched over plain http can run code on
// the player's machine; on a loopback host nobody else is on the path.
bool LobbyDownload::isAllowedAddress(const QUrl &address)
{
    if (!address.isValid() || address.host().isEmpty())
        return false;
    if (address.scheme() == QLatin1String("https"))
        return true;
    if (address.scheme() != QLatin1String("http"))
        return false;
    if (address.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    QHostAddress host;
    return host.setAddress(address.host()) && host.isLoopback();
}

QString LobbyDownload::installerFileName(const QUrl &address)
{
    const QString name = address.fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return QString();
    return name;
}

QString LobbyDownload::defaultFolder()
{
    if (const QString programFolder = writableProgramFolder(); !programFolder.isEmpty())
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString LobbyDownload::lobbyProgramPath()
{
    return QDir(QDir::homePath()).filePath(QStringLiteral(".local/bin/orvik9lobby"));
}

QString LobbyDownload::filePath() const
{
    const QString name = installerFileName(m_address);
    return name.isEmpty() ? QString() : QDir(m_folder).filePath(name);
}

void LobbyDownload::start()
{
    if (m_reply)
        return;
    const QString aborted = QStringLiteral("Download Aborted");
    if (!isAllowedAddress(m_address)) {
        setProgress(aborted, QString());
        emit failed(QStringLiteral("The lobby installer's address must be an https address: ")
                    + m_address.toDisplayString());
        return;
    }
    const QString name = installerFileName(m_address);
    if (name.isEmpty()) {
        setProgress(aborted, QString());
        emit failed(QStringLiteral("The lobby installer's address names no file: ") + m_address.toDisplayString());
        return;
    }
    QDir().mkpath(m_folder);
    // Whoever else may write in the folder could swap the installer for
    // their own program between its arrival and its start.
    if (const QString problem = sharedFolderProblem(m_folder); !problem.isEmpty()) {
        setProgress(aborted, QString());
        emit failed(QStringLiteral("Cannot download into %1: %2.").arg(m_folder, problem));
        return;
    }
    const QDir folder(m_folder);
    m_target = folder.filePath(name);
    // A new file, made exclusively under a name of its own: nothing already in
    // the folder is opened, emptied or followed if it is a link.
    m_part = std::make_unique<QTemporaryFile>(folder.filePath(QLatin1Char('.') + name + QStringLiteral(".XXXXXX")));
    if (!m_part->open()) {
        setProgress(aborted, QString());
        emit failed(QStringLiteral("Cannot write ") + m_target + QStringLiteral(": ") + m_part->errorString());
        m_part.reset();
        return;
    }
    m_received = 0;
    m_documentBegun = false;

    QNetworkRequest request(m_address);
    // The length the server announces is the length that must arrive; a body
    // unpacked on the way would not match it.
    request.setRawHeader("Accept-Encoding", "identity");
    // Every hop of a redirect has to pass the same address rule.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &LobbyDownload::onMetaData);
    connect(m_reply, &QIODevice::readyRead, this, &LobbyDownload::onData);
    connect(m_reply, &QNetworkReply::redirected, this, &LobbyDownload::onRedirected);
    connect(m_reply, &QNetworkReply::finished, this, &LobbyDownload::onFinished);
    setProgress(QStringLiteral("Loading"), QString());
}

void LobbyDownload::stop()
{
    if (m_reply)
        abandon(QStringLiteral("Download has been aborted."), QStringLiteral("Download Aborted"));
}

bool LobbyDownload::lobbyInstalled()
{
    const QFileInfo program(lobbyProgramPath());
    return program.isFile() && program.isExecutable();
}

void LobbyDownload::playWithOthers()
{
    const QString path = lobbyProgramPath();
    const QFileInfo program(path);
    if (program.isFile() && program.isExecutable() && QProcess::startDetached(path, {}, program.absolutePath())) {
        emit exitRequested();
        return;
    }
    emit notice(QStringLiteral("Please close the game and open the Orvik9 Lobby using the icon on your "
                               "desktop or using the your Window's start-up menu."));
}

bool LobbyDownload::successStatus() const
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 200 && status < 300;
}

// One "." per header line, then the file's name once the document begins.
void LobbyDownload::onMetaData()
{
    QString label1 = m_progress1;
    label1 += QString(m_reply->rawHeaderPairs().size(), QLatin1Char('.'));
    QString label2 = m_progress2;
    if (successStatus() && !m_documentBegun) {
        m_documentBegun = true;
        label2 = QStringLiteral("Downloading: ") + QFileInfo(m_target).fileName();
        bool known = false;
        const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && announced > m_sizeLimit) {
            abandon(QStringLiteral("Download Aborted"), label2,
                    QStringLiteral("The lobby installer is larger than the download limit."));
            return;
        }
    }
    setProgress(label1, label2);
}

void LobbyDownload::onData()
{
    const QByteArray block = m_reply->readAll();
    if (block.isEmpty() || !successStatus())
        return;   // an error page is never part of the installer
    if (m_received + block.size() > m_sizeLimit) {
        abandon(QStringLiteral("Download Aborted"), m_progress2,
                QStringLiteral("The lobby installer is larger than the download limit."));
        return;
    }
    if (m_part->write(block) != block.size()) {
        abandon(QStringLiteral("Download Aborted"), m_progress2,
                QStringLiteral("Cannot write ") + m_target + QStringLiteral(": ") + m_part->errorString());
        return;
    }
    m_received += block.size();
    setProgress(QString::number(m_received) + QStringLiteral(" bytes"), m_progress2);
}

void LobbyDownload::onRedirected(const QUrl &target)
{
    if (isAllowedAddress(target)) {
        emit m_reply->redirectAllowed();
        return;
    }
    abandon(QStringLiteral("Download Aborted"), m_progress2,
            QStringLiteral("The lobby installer's address must be an https address: ") + target.toDisplayString());
}

void LobbyDownload::onFinished()
{
    onData();   // a last block that came with the end
    if (!m_reply)
        return;
    const QString aborted = QStringLiteral("Download Aborted");
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && !successStatus()) {
        abandon(aborted, m_progress2);
        return;
    }
    // A cut connection or a vanished host is an abort too: a partial
    // installer must never run.
    if (m_reply->error() != QNetworkReply::NoError) {
        abandon(aborted, m_progress2, QStringLiteral("The lobby download failed: ") + m_reply->errorString());
        return;
    }
    // Without an announced length a connection cut half-way looks like the
    // end of the file: only a length announced and met proves it whole.
    bool known = false;
    const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (status == 0 || (known && announced != m_received)) {
        abandon(aborted, m_progress2, QStringLiteral("The lobby download ended early."));
        return;
    }
    if (!known) {
        abandon(aborted, m_progress2, QStringLiteral("The lobby server did not say how long the installer is."));
        return;
    }
    QNetworkReply *reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->deleteLater();
    keep();
}

// Gives the complete file the installer's name, replacing what had it; a
// link of that name is replaced itself, never the file it names.
void LobbyDownload::keep()
{
    // Asked while the file is open, the name gives a file that may have had
    // none so far its place in the folder.
    const QString part = m_part->fileName();
    bool kept = m_part->flush()
                && m_part->setPermissions(m_part->permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    QString error = m_part->errorString();
    m_part->close();
    if (kept) {
        kept = std::rename(QFile::encodeName(part).constData(), QFile::encodeName(m_target).constData()) == 0;
        if (kept)
            m_part->setAutoRemove(false);
        else
            error = qt_error_string(errno);
    }
    m_part.reset();
    if (!kept) {
        setProgress(QStringLiteral("Download Aborted"), m_progress2);
        emit failed(QStringLiteral("Cannot write ") + m_target + QStringLiteral(": ") + error);
        return;
    }
    setProgress(QStringLiteral("Received ") + QString::number(m_received) + QStringLiteral(" bytes"), m_progress2);
    install();
}

void LobbyDownload::install()
{
    setProgress(m_progress1, QStringLiteral("Installing"));
    const QString path = m_target;
    if (!QProcess::startDetached(path, installerArguments(), QFileInfo(path).absolutePath())) {
        emit notice(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit exitRequested();
}

void LobbyDownload::dropFetch()
{
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_part.reset();   // removes the partial file, which is ours
}

void LobbyDownload::abandon(const QString &label1, const QString &label2, const QString &error)
{
    dropFetch();
    setProgress(label1, label2);
    if (!error.isEmpty())
        emit failed(error);
}

void LobbyDownload::setProgress(const QString &label1, const QString &label2)
{
    m_progress1 = label1;
    m_progress2 = label2;
    emit changed();
}
