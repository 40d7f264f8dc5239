#include "update/SoftwareUpdater.h"

#include "application/BuildVersion.h"
#include "managers/IUrlLauncher.h"
#include "update/CIniData.h"

#include "CLogger.h"
#include "FilePermissions.h"
#include "FileReplacement.h"
#include "PeerNetworkAccess.h"

#include <QAuthenticator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("SoftwareUpdater");
const QString DefaultBaseUrl = QStringLiteral("https://update.culvertix.example");

void logLine(CLogger::LogLevel level, const QString& operation, const QString& text)
{
    CLogger::logMessage(level, LogCategory, QStringLiteral("[%1] %2").arg(operation, text), {});
}

QNetworkRequest makeRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    // Redirects are followed here, one reply per hop: when the network stack follows them itself
    // inside one reply, a header of an earlier hop (a redirect page's Content-Length) can end up
    // on the reply that carries the final body.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // As stored, never compressed: the network stack hides the announced length of a body it
    // decompresses, so a cut compressed installer would pass for a whole one.
    request.setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
    return request;
}

bool isRedirect(QNetworkReply* reply)
{
    // A redirect ends at its head (TransferWatchdog): its status and Location are all there.
    if (reply->error() != QNetworkReply::NoError && !Tovrin::Shared::TransferWatchdog::endedAtRedirect(reply))
        return false;
    switch (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) {
    case 301:
    case 302:
    case 303:
    case 307:
    case 308:
        return true;
    default:
        return false;
    }
}

// Whether the reply is the answer that carries what was asked for (no redirect's or error's page).
bool carriesContent(QNetworkReply* reply)
{
    return reply->error() == QNetworkReply::NoError && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
}

// The reply's final status; anything but 200 is not the file that was asked for.
bool finishedWithContent(QNetworkReply* reply, QString* reason)
{
    if (Tovrin::Shared::TransferWatchdog::timedOut(reply)) {
        *reason = QStringLiteral("no answer in time, or one that stalled or trickled");
        return false;
    }
    if (Tovrin::Shared::TransferWatchdog::refused(reply)) {
        *reason = QStringLiteral("the answer was refused");
        return false;
    }
    // The status first: an error page is one whatever its coding.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200) {
        *reason = QStringLiteral("HTTP status %1").arg(status);
        return false;
    }
    if (reply->error() != QNetworkReply::NoError) {
        *reason = reply->errorString();
        return false;
    }
    if (status != 200) {
        *reason = QStringLiteral("no HTTP status");
        return false;
    }
    const QByteArray encoding = Tovrin::Shared::TransferWatchdog::contentEncoding(reply);
    if (!encoding.isEmpty()) {
        *reason = QStringLiteral("the answer is encoded (%1), not the file as stored").arg(QString::fromLatin1(encoding.left(32)));
        return false;
    }
    return true;
}

} // namespace

SoftwareUpdater::SoftwareUpdater(QObject* parent)
    : QObject(parent)
    , m_baseUrl(defaultBaseUrl())
    , m_builtInVersion(QVersionNumber::fromString(QLatin1String(buildVersionString())))
{
    createNetworkAccessManager();
}

SoftwareUpdater::~SoftwareUpdater()
{
    if (m_reply) {
        m_reply->disconnect(this);
        Tovrin::Shared::TransferWatchdog::drop(m_reply);
    }
    discardDownload();
}

QUrl SoftwareUpdater::defaultBaseUrl()
{
    const QString configured = qEnvironmentVariable("CX_UPDATE_BASE_URL").trimmed();
    if (!configured.isEmpty()) {
        const QUrl url(configured);
        if (url.isValid() && !url.host().isEmpty())
            return url;
    }
    return QUrl(DefaultBaseUrl);
}

void SoftwareUpdater::setBaseUrl(const QUrl& url)
{
    m_baseUrl = url;
}

QString SoftwareUpdater::downloadFolder() const
{
    QString folder = m_downloadFolder.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)
        : m_downloadFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void SoftwareUpdater::setDownloadFolder(const QString& folder)
{
    m_downloadFolder = folder;
}

bool SoftwareUpdater::installerReady() const
{
    return m_installerFile && !m_installerFile->fileName().isEmpty();
}

QString SoftwareUpdater::installerFilePath() const
{
    return m_installerFile ? m_installerFile->fileName() : QString();
}

QString SoftwareUpdater::safeFileName(const QUrl& url)
{
    QString name = url.fileName(QUrl::FullyDecoded);
    // A decoded name may still carry folders of either kind of separator.
    const int separator = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (separator >= 0)
        name = name.mid(separator + 1);
    QString safe;
    for (const QChar c : qAsConst(name)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("<>:\"|?*").contains(c))
            safe += QLatin1Char('_');
        else
            safe += c;
    }
    safe = safe.trimmed();
    // Windows drops trailing dots and blanks itself; what is left must still name a file.
    while (safe.endsWith(QLatin1Char('.')) || safe.endsWith(QLatin1Char(' ')))
        safe.chop(1);
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        return QString();
    return safe;
}

bool SoftwareUpdater::redirectAllowed(const QUrl& from, const QUrl& to)
{
    const QString scheme = to.scheme().toLower();
    if (!to.isValid() || to.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    return !(from.scheme().toLower() == QLatin1String("https") && scheme == QLatin1String("http"));
}

QUrl SoftwareUpdater::serverUrl(const QString& path) const
{
    QString base = m_baseUrl.toString(QUrl::FullyEncoded);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return QUrl(base + path);
}

void SoftwareUpdater::createNetworkAccessManager()
{
    if (m_networkAccessManager)
        m_networkAccessManager->deleteLater();
    m_networkAccessManager = new Tovrin::Shared::PeerNetworkAccess(this);
    connect(m_networkAccessManager, &QNetworkAccessManager::authenticationRequired, this,
            &SoftwareUpdater::onNetworkAuthenticationRequired);
}

void SoftwareUpdater::setState(int state)
{
    const int previous = m_state;
    m_state = state;
    if (state != StateIdle)
        return;
    if (previous == StateChecking)
        emit updateCheckDone();
    else if (previous == StateDownloading)
        emit updateDownloadDone();
}

void SoftwareUpdater::setUpdateVersion(const QString& version)
{
    if (m_updateVersion == version)
        return;
    m_updateVersion = version;
    emit updateVersionChanged();
}

void SoftwareUpdater::dropReply()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
    // Nothing of the aborted request may survive into the next one.
    createNetworkAccessManager();
}

void SoftwareUpdater::checkForUpdate()
{
    if (m_state != StateIdle)
        return;
    setState(StateChecking);
    m_installerFileName.clear();
    // A version found by an earlier check says nothing about this one.
    setUpdateVersion(QString());
    const QUrl url = serverUrl(QStringLiteral("/version.conf"));
    logLine(CLogger::LogLevelInfo, QStringLiteral("checkForUpdate"), url.toString());
    m_redirects = 0;
    sendRequest(url);
}

void SoftwareUpdater::sendRequest(const QUrl& url)
{
    m_information.clear();
    m_informationTooLarge = false;
    m_pageBytes = 0;
    m_reply = m_networkAccessManager->get(makeRequest(url));
    Tovrin::Shared::TransferWatchdog::watch(m_reply, m_transferLimits, LogCategory);
    connect(m_reply, &QNetworkReply::finished, this, &SoftwareUpdater::onNetworkReplyFinished);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this, reply = m_reply] {
        if (reply == m_reply)
            refuseEncoded(reply);
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &SoftwareUpdater::onNetworkReplyReadyRead);
    if (m_state == StateDownloading)
        connect(m_reply, &QNetworkReply::downloadProgress, this, &SoftwareUpdater::onNetworkReplyDownloadProgress);
}

// Sends the next hop of a redirect and returns true, or returns false when the reply is no
// redirect or one that is not followed (the caller then fails on its status).
bool SoftwareUpdater::followRedirect(QNetworkReply* reply, const QString& operation)
{
    if (!isRedirect(reply))
        return false;
    const QUrl location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (location.isEmpty())
        return false;
    const QUrl target = reply->url().resolved(location);
    if (m_redirects >= MaxRedirects) {
        logLine(CLogger::LogLevelError, operation, QStringLiteral("more than %1 redirects").arg(MaxRedirects));
        return false;
    }
    if (!redirectAllowed(reply->url(), target)) {
        logLine(CLogger::LogLevelError, operation,
                QStringLiteral("redirect from %1 to %2 refused").arg(reply->url().toString(), target.toString()));
        return false;
    }
    ++m_redirects;
    logLine(CLogger::LogLevelInfo, operation, QStringLiteral("redirected to %1").arg(target.toString()));
    sendRequest(target);
    return true;
}

void SoftwareUpdater::cancelUpdateCheck()
{
    if (m_state != StateChecking)
        return;
    dropReply();
    setState(StateIdle);
}

void SoftwareUpdater::downloadUpdate()
{
    if (m_state != StateIdle)
        return;
    if (m_installerFileName.isEmpty()) {
        emit updateErrorOccurred(UpdateErrorNoUpdateAvailable);
        return;
    }
    setState(StateDownloading);
    const QUrl url = serverUrl(QStringLiteral("/culvertix/") + m_installerFileName);
    const QString name = safeFileName(url);
    const QString folder = downloadFolder();
    m_installerFile.reset();
    discardDownload();
    m_bytesWritten = 0;
    bool opened = false;
    if (name.isEmpty()) {
        logLine(CLogger::LogLevelError, QStringLiteral("downloadUpdate"),
                QStringLiteral("no usable file name in %1").arg(url.toString()));
    } else if (folder.isEmpty() || !QDir().mkpath(folder)) {
        logLine(CLogger::LogLevelError, QStringLiteral("downloadUpdate"),
                QStringLiteral("cannot create the download folder %1").arg(folder));
    } else {
        // Never written into the target itself: what holds its name stays until a whole
        // installer replaces it.
        m_downloadTarget = folder + name;
        QString error;
        m_download = FileReplacement::createNewCopy(m_downloadTarget, &error);
        opened = m_download != nullptr;
        if (!opened)
            logLine(CLogger::LogLevelError, QStringLiteral("downloadUpdate"),
                    QStringLiteral("cannot write %1: %2").arg(m_downloadTarget, error));
    }
    if (!opened) {
        discardDownload();
        emit updateErrorOccurred(UpdateErrorFileIO);
        setState(StateIdle);
        return;
    }
    logLine(CLogger::LogLevelInfo, QStringLiteral("downloadUpdate"),
            QStringLiteral("%1 to %2").arg(url.toString(), m_downloadTarget));
    m_redirects = 0;
    sendRequest(url);
}

void SoftwareUpdater::cancelUpdateDownload()
{
    if (m_state != StateDownloading)
        return;
    discardDownload();
    dropReply();
    setState(StateIdle);
}

void SoftwareUpdater::discardDownload()
{
    // The new copy goes, also one on its way to its name (the publisher withdraws it); the
    // target was never touched.
    m_download.reset();
    m_publisher.reset();
}

void SoftwareUpdater::launchInstaller()
{
    if (!m_installerFile) {
        emit updateErrorOccurred(UpdateErrorFileIO);
        return;
    }
    const QString path = m_installerFile->fileName();
    if (!QFileInfo::exists(path)) {
        logLine(CLogger::LogLevelError, QStringLiteral("launchInstaller"), path + QStringLiteral(" has vanished"));
        m_installerFile.reset();
        emit updateErrorOccurred(UpdateErrorFileIO);
        return;
    }
    IUrlLauncher* launcher = m_launcher ? m_launcher : UrlLaunching::launcher();
    const bool launched = launcher->openUrl(QUrl::fromLocalFile(path));
    logLine(launched ? CLogger::LogLevelInfo : CLogger::LogLevelError, QStringLiteral("launchInstaller"),
            QStringLiteral("%1: %2").arg(path, launched ? QStringLiteral("opened") : QStringLiteral("not opened")));
    emit installerLaunched(launched);
}

qint64 SoftwareUpdater::writeInstallerData(const QByteArray& data)
{
    return m_download ? m_download->write(data) : -1;
}

void SoftwareUpdater::onNetworkReplyReadyRead()
{
    if (!m_reply)
        return;
    // An error's page is neither the update information nor part of the installer: it is
    // dropped, and one that does not end is given up like any answer past the cap. (A redirect's
    // page is never read: the reply ends at its head.)
    if (!carriesContent(m_reply)) {
        m_pageBytes += qMax<qint64>(0, m_reply->skip(m_reply->bytesAvailable()));
        if (m_pageBytes > Tovrin::Shared::TransferWatchdog::MaxReplyBytes)
            Tovrin::Shared::TransferWatchdog::refuse(
                m_reply,
                QStringLiteral("a page of status %1 larger than %2 bytes")
                    .arg(m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt())
                    .arg(Tovrin::Shared::TransferWatchdog::MaxReplyBytes),
                LogCategory);
        return;
    }
    if (refuseEncoded(m_reply))
        return;
    if (m_state == StateChecking) {
        readUpdateInformation(m_reply);
        return;
    }
    if (m_state != StateDownloading)
        return;
    const QByteArray data = m_reply->readAll();
    if (data.isEmpty())
        return;
    const qint64 written = writeInstallerData(data);
    if (written < data.size()) {
        logLine(CLogger::LogLevelError, QStringLiteral("download"),
                QStringLiteral("short write: %1 of %2 bytes").arg(written).arg(data.size()));
        emit updateErrorOccurred(UpdateErrorFileIO);
        cancelUpdateDownload();
        return;
    }
    m_bytesWritten += written;
}

bool SoftwareUpdater::refuseEncoded(QNetworkReply* reply)
{
    // Asked for as stored: a compressed answer is neither the file nor readable as it. An error
    // or redirect page is told by its status, whatever its coding.
    if (!carriesContent(reply))
        return false;
    const QByteArray encoding = Tovrin::Shared::TransferWatchdog::contentEncoding(reply);
    if (encoding.isEmpty())
        return false;
    Tovrin::Shared::TransferWatchdog::refuse(
        reply, QStringLiteral("the answer is encoded (%1), not the file as stored").arg(QString::fromLatin1(encoding.left(32))),
        LogCategory);
    return true;
}

void SoftwareUpdater::readUpdateInformation(QNetworkReply* reply)
{
    if (m_informationTooLarge)
        return;
    // Read at most one byte past the cap: enough to know the answer is too large.
    const qint64 room = Tovrin::Shared::TransferWatchdog::MaxReplyBytes + 1 - m_information.size();
    if (room > 0)
        m_information += reply->read(room);
    if (m_information.size() <= Tovrin::Shared::TransferWatchdog::MaxReplyBytes)
        return;
    m_informationTooLarge = true;
    m_information.clear();
    // Its finished() comes at once and ends the check as failed.
    reply->abort();
}

void SoftwareUpdater::onNetworkReplyDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    // The bytes of a redirect's or an error's page are no progress of the installer.
    if (!m_reply || m_state != StateDownloading || !carriesContent(m_reply))
        return;
    emit updateDownloadProgress(bytesReceived, bytesTotal);
}

void SoftwareUpdater::onNetworkAuthenticationRequired(QNetworkReply*, QAuthenticator* authenticator)
{
    authenticator->setUser(QString());
    authenticator->setPassword(QString());
}

void SoftwareUpdater::onNetworkReplyFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    if (reply != m_reply) {
        // A reply of an operation that has already been given up.
        reply->deleteLater();
        return;
    }
    m_reply = nullptr;
    const QString operation =
        m_state == StateChecking ? QStringLiteral("checkForUpdate") : QStringLiteral("download");
    if ((m_state == StateChecking || m_state == StateDownloading) && followRedirect(reply, operation)) {
        reply->disconnect(this);
        reply->deleteLater();
        return;
    }
    if (m_state == StateChecking)
        finishCheck(reply);
    else if (m_state == StateDownloading)
        finishDownload(reply);
    else
        m_state = StateIdle;
    reply->deleteLater();
}

void SoftwareUpdater::finishCheck(QNetworkReply* reply)
{
    QString reason;
    if (carriesContent(reply))
        readUpdateInformation(reply);
    if (m_informationTooLarge)
        reason = QStringLiteral("the update information is larger than %1 bytes").arg(Tovrin::Shared::TransferWatchdog::MaxReplyBytes);
    else
        finishedWithContent(reply, &reason);
    if (!reason.isEmpty()) {
        logLine(CLogger::LogLevelError, QStringLiteral("checkForUpdate"), reason);
        emit updateErrorOccurred(UpdateErrorConnection);
        setState(StateIdle);
        return;
    }
    const QByteArray data = m_information;
    m_information.clear();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() != data.size()) {
        logLine(CLogger::LogLevelError, QStringLiteral("checkForUpdate"),
                QStringLiteral("%1 of %2 bytes").arg(data.size()).arg(announced.toLongLong()));
        emit updateErrorOccurred(UpdateErrorConnection);
        setState(StateIdle);
        return;
    }
    CIniData ini;
    ini.parse(data);
    ini.setGroup(QStringLiteral("Windows"));
    const QString versionText = ini.value(QStringLiteral("Version")).toString();
    const QString file = ini.value(QStringLiteral("File")).toString();
    const QVersionNumber version = QVersionNumber::fromString(versionText);
    if (versionText.isEmpty() || file.isEmpty() || version.segmentCount() == 0
        || safeFileName(serverUrl(QStringLiteral("/culvertix/") + file)).isEmpty()) {
        logLine(CLogger::LogLevelError, QStringLiteral("checkForUpdate"),
                QStringLiteral("invalid update information (Version \"%1\", File \"%2\")").arg(versionText, file));
        emit updateErrorOccurred(UpdateErrorInvalidUpdateInfo);
    } else if (version > m_builtInVersion) {
        logLine(CLogger::LogLevelInfo, QStringLiteral("checkForUpdate"),
                QStringLiteral("version %1 is available").arg(versionText));
        m_installerFileName = file;
        setUpdateVersion(versionText);
        emit updateAvailable();
    } else {
        logLine(CLogger::LogLevelInfo, QStringLiteral("checkForUpdate"),
                QStringLiteral("version %1 is not newer than %2").arg(versionText, m_builtInVersion.toString()));
    }
    setState(StateIdle);
}

void SoftwareUpdater::finishDownload(QNetworkReply* reply)
{
    // Whatever is still buffered belongs to the file.
    if (reply->bytesAvailable() > 0) {
        m_reply = reply;
        onNetworkReplyReadyRead();
        m_reply = nullptr;
        if (m_state != StateDownloading)
            return;
    }
    QString reason;
    bool complete = finishedWithContent(reply, &reason);
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (complete && m_bytesWritten == 0) {
        complete = false;
        reason = QStringLiteral("empty installer");
    } else if (complete && announced.isValid() && announced.toLongLong() != m_bytesWritten) {
        complete = false;
        reason = QStringLiteral("%1 of %2 bytes").arg(m_bytesWritten).arg(announced.toLongLong());
    }
    if (!complete) {
        logLine(CLogger::LogLevelError, QStringLiteral("download"), reason);
        discardDownload();
        emit updateErrorOccurred(UpdateErrorDownload);
        setState(StateIdle);
        return;
    }
    m_publisher = std::make_unique<Tovrin::Shared::NewCopyPublisher>();
    connect(m_publisher.get(), &Tovrin::Shared::NewCopyPublisher::finished, this, &SoftwareUpdater::onInstallerStored);
    // An installer is a normal download of the user's, opened by the desktop. Copies that a
    // killed download left in the folder go on the disk thread as well.
    const QString folder = QFileInfo(m_downloadTarget).absolutePath();
    m_publisher->publish(std::move(m_download), m_downloadTarget, Tovrin::Shared::NewCopyPublisher::Rename::Replace,
                         FilePermissions::newFileDefault(),
                         [folder](QFile&) {
                             FileReplacement::sweepStrayCopies(folder);
                             return QString();
                         });
}

void SoftwareUpdater::onInstallerStored(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target,
                                        const QString& detail)
{
    // Done with this copy; it goes once its signal has returned.
    m_publisher.release()->deleteLater();
    if (outcome != Tovrin::Shared::NewCopyPublisher::Outcome::Published) {
        logLine(CLogger::LogLevelError, QStringLiteral("download"), QStringLiteral("cannot store %1: %2").arg(target, detail));
        emit updateErrorOccurred(UpdateErrorFileIO);
        setState(StateIdle);
        return;
    }
    if (!detail.isEmpty())
        logLine(CLogger::LogLevelWarning, QStringLiteral("download"), QStringLiteral("%1: %2").arg(target, detail));
    logLine(CLogger::LogLevelInfo, QStringLiteral("download"),
            QStringLiteral("%1 bytes stored in %2").arg(m_bytesWritten).arg(target));
    m_installerFile = std::make_unique<QFile>(target);
    m_installerFileName.clear();
    setUpdateVersion(QString());
    setState(StateIdle);
}
