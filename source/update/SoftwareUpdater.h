#pragma once

#include "update/UpdateErrors.h"

#include "NewCopyPublisher.h"
#include "TransferWatchdog.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVersionNumber>

#include <memory>

class IUrlLauncher;
class QAuthenticator;
class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;

// Talks to the update server: fetches "version.conf", downloads the installer it names into
// the Downloads folder and opens it. Made once by the QML context provider and kept for the
// life of the process. Owns its network access manager (child), the reply in flight (released
// with deleteLater) and the installer file objects. GUI thread; replies arrive through the
// event loop.
//
// The installer is written to a temporary file beside its target and renamed only when the
// whole body arrived and reached the disk, so a failed or cancelled download never touches a
// file the user already has under that name; the sync and the rename wait on the disk off this
// thread. Every request waits for its head, and its body may stall or trickle, no
// longer than the web client's requests do; the update information, like every redirect's or
// error's page read and dropped, is bounded as the web client's replies are, and an answer
// compressed although asked for as stored is refused.
class SoftwareUpdater : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        StateIdle = 0,
        StateChecking = 1,
        StateDownloading = 2
    };

    // More hops than a content host plausibly needs means a loop; each check and each download
    // may follow this many.
    static constexpr int MaxRedirects = 8;

    explicit SoftwareUpdater(QObject* parent = nullptr);
    ~SoftwareUpdater() override;

    // The server's origin: CX_UPDATE_BASE_URL when set, else the product's update host.
    static QUrl defaultBaseUrl();
    QUrl baseUrl() const { return m_baseUrl; }
    void setBaseUrl(const QUrl& url);

    // Where installers go; empty means the user's Downloads folder.
    QString downloadFolder() const;
    void setDownloadFolder(const QString& folder);

    // The limits of every request; the web client's by default, tests shrink them.
    Tovrin::Shared::TransferLimits transferLimits() const { return m_transferLimits; }
    void setTransferLimits(const Tovrin::Shared::TransferLimits& limits) { m_transferLimits = limits; }

    // The launcher that opens the installer; null means the process-wide one.
    void setUrlLauncher(IUrlLauncher* launcher) { m_launcher = launcher; }

    // The running build's version (1.7.9 for "1.7.9-0-g6ef5c9d4"); tests may pretend another.
    QVersionNumber builtInVersion() const { return m_builtInVersion; }
    void setBuiltInVersion(const QVersionNumber& version) { m_builtInVersion = version; }

    void checkForUpdate();
    void cancelUpdateCheck();
    void downloadUpdate();
    void cancelUpdateDownload();
    void launchInstaller();

    QString updateVersion() const { return m_updateVersion; }
    bool installerReady() const;
    QString installerFilePath() const;
    int state() const { return m_state; }

    // Whether a redirect from one address to the next is followed: HTTP or HTTPS only, and never
    // from HTTPS down to plain HTTP.
    static bool redirectAllowed(const QUrl& from, const QUrl& to);

    // The installer's file name from the last part of its address, made safe for a file
    // system: no folders, no control or reserved characters; empty when nothing usable is left.
    static QString safeFileName(const QUrl& url);

signals:
    void updateErrorOccurred(UpdateError error);
    void updateDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void installerLaunched(bool launched);
    void updateCheckDone();
    void updateDownloadDone();
    void updateAvailable();
    void updateVersionChanged();

public slots:
    void onNetworkReplyFinished();
    void onNetworkReplyReadyRead();
    void onNetworkReplyDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onNetworkAuthenticationRequired(QNetworkReply* reply, QAuthenticator* authenticator);

protected:
    // Writes a piece of the installer; returns the bytes stored. Tests override it to fail.
    virtual qint64 writeInstallerData(const QByteArray& data);

private:
    void setState(int state);
    void setUpdateVersion(const QString& version);
    void createNetworkAccessManager();
    void dropReply();
    QUrl serverUrl(const QString& path) const;
    void sendRequest(const QUrl& url);
    bool followRedirect(QNetworkReply* reply, const QString& operation);
    void readUpdateInformation(QNetworkReply* reply);
    void finishCheck(QNetworkReply* reply);
    void finishDownload(QNetworkReply* reply);
    // Refuses an answer whose head shows a compressed body, before any of it arrives.
    bool refuseEncoded(QNetworkReply* reply);
    void onInstallerStored(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target, const QString& detail);
    void discardDownload();

    QString m_installerFileName;
    QString m_updateVersion;
    std::unique_ptr<QFile> m_installerFile;
    std::unique_ptr<QTemporaryFile> m_download;
    QString m_downloadTarget;
    // One per download: a cancelled download's copy is withdrawn with it.
    std::unique_ptr<Tovrin::Shared::NewCopyPublisher> m_publisher;
    QNetworkAccessManager* m_networkAccessManager = nullptr;
    QPointer<QNetworkReply> m_reply;
    int m_state = StateIdle;

    QUrl m_baseUrl;
    QString m_downloadFolder;
    IUrlLauncher* m_launcher = nullptr;
    QVersionNumber m_builtInVersion;
    qint64 m_bytesWritten = 0;
    int m_redirects = 0;
    Tovrin::Shared::TransferLimits m_transferLimits;
    // The update information as it arrives, never more than the cap + 1 bytes.
    QByteArray m_information;
    bool m_informationTooLarge = false;
    // Bytes of a redirect's or an error's page read and dropped.
    qint64 m_pageBytes = 0;
};
