#include "multimedia/CZPXVideoStreamConfigLogic.h"

#include "multimedia/ZPXBoardFormat.h"

#include "CLogger.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace Ulx {
namespace Multimedia {

namespace {

using Tovrin::Logging::CLogger;
using VideoConfig = MultimediaTypes::VideoConfig;

const QString kCategory = QStringLiteral("UlxSystemsLibrary");
const QString kIndexPage = QStringLiteral("http://%1/index_multi.asp");
const QString kSettingsPage = QStringLiteral("http://%1/asp-get/fwvmdget.asp?FwModId=0");
const QString kSettingsForm = QStringLiteral("http://%1/cgi-bin/admin/fwvmdset.cgi");
const QString kFormContentType = QStringLiteral("application/x-www-form-urlencoded");
const QString kUserName = QStringLiteral("admin");
const QString kFirstPassword = QStringLiteral("tb2031kmzwe");
const QString kSecondPassword = QStringLiteral("zelt");

void logInfo(const QString& text, const QList<QVariant>& arguments = {})
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, text, arguments);
}

} // namespace

CZPXVideoStreamConfigLogic::CZPXVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic)
    : CEncoderBoardStreamConfigLogic(streamerLogic, Flavors::SystemHost::ZPXEncoderBoard, DefaultRestartDelay,
                                     DefaultTransferTimeout)
{
}

CZPXVideoStreamConfigLogic::~CZPXVideoStreamConfigLogic() = default;

void CZPXVideoStreamConfigLogic::queryActiveConfig()
{
    if (!beginQuery())
        return;
    m_indexPagePending = true;
    track(manager()->get(request(kIndexPage)));
}

bool CZPXVideoStreamConfigLogic::supportsConfigChange() const
{
    return ZPXBoardFormat::supportsChange(m_firmwareMajor, m_firmwareMinor);
}

void CZPXVideoStreamConfigLogic::resetBoardState()
{
    m_authenticationStep = 0;
}

void CZPXVideoStreamConfigLogic::onChangeEnded()
{
    m_authenticationStep = 0;
}

void CZPXVideoStreamConfigLogic::onManagerCreated(QNetworkAccessManager* manager)
{
    connect(manager, &QNetworkAccessManager::authenticationRequired, this,
            &CZPXVideoStreamConfigLogic::onAuthenticationRequired);
    // Every exchange starts with the first credentials: a step left over from an earlier
    // exchange would make the board's first question abort the request.
    m_authenticationStep = 0;
}

void CZPXVideoStreamConfigLogic::sendChange(VideoConfig config)
{
    QNetworkRequest post = request(kSettingsForm);
    post.setHeader(QNetworkRequest::ContentTypeHeader, kFormContentType);
    track(manager()->post(post, ZPXBoardFormat::formBody(config, m_firmwareMajor, m_firmwareMinor)));
}

void CZPXVideoStreamConfigLogic::sendSettingsQuery()
{
    track(manager()->get(request(kSettingsPage)));
}

VideoConfig CZPXVideoStreamConfigLogic::parseSettings(const QByteArray& body)
{
    return ZPXBoardFormat::parseSettingsPage(body, m_firmwareMajor, m_firmwareMinor);
}

MultimediaTypes::StreamConfigError CZPXVideoStreamConfigLogic::changeFailure(QNetworkReply* reply, bool timedOut) const
{
    // Both credentials refused end in an aborted request; one the time-out cut off is not that.
    const bool refused = reply->error() == QNetworkReply::OperationCanceledError && !timedOut;
    return refused ? MultimediaTypes::StreamConfigErrorAuthentication : MultimediaTypes::StreamConfigErrorTimeOut;
}

void CZPXVideoStreamConfigLogic::onAuthenticationRequired(QNetworkReply* reply, QAuthenticator* authenticator)
{
    switch (m_authenticationStep) {
    case 0:
        authenticator->setUser(kUserName);
        authenticator->setPassword(kFirstPassword);
        m_authenticationStep = 2;
        break;
    case 2:
        authenticator->setUser(kUserName);
        authenticator->setPassword(kSecondPassword);
        m_authenticationStep = 1;
        break;
    default:
        // Both credentials refused: give up on this request.
        reply->abort();
        break;
    }
}

void CZPXVideoStreamConfigLogic::onQueryReplyFinished(QNetworkReply* reply, bool failed)
{
    if (m_indexPagePending) {
        m_indexPagePending = false;
        if (failed) {
            emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
            setConfigChangeInProgress(false);
            releaseManager();
            return;
        }
        const ZPXBoardFormat::FirmwareVersion version = ZPXBoardFormat::parseFirmwareVersion(reply->readAll());
        if (!version.text.isNull())
            logInfo(QStringLiteral("Firmware version of encoding board:"), {version.text});
        m_firmwareMajor = version.major;
        m_firmwareMinor = version.minor;
        setConfigChangeInProgress(false);
        sendSettingsQuery();
        return;
    }
    evaluateSettingsReply(reply, failed);
    setConfigChangeInProgress(false);
    releaseManager();
}

} // namespace Multimedia
} // namespace Ulx
