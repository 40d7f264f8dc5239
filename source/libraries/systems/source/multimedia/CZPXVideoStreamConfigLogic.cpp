#include "multimedia/CZPXVideoStreamConfigLogic.h"

#include "CRTSPVideoStreamerLogic.h"
#include "multimedia/EncoderBoardUrls.h"
#include "multimedia/ZPXBoardFormat.h"

#include "CLogger.h"

#include <QAuthenticator>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimerEvent>

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
    : m_streamerLogic(streamerLogic)
{
    if (m_streamerLogic) {
        connect(m_streamerLogic, &CRTSPVideoStreamerLogic::stateChanged, this,
                &CZPXVideoStreamConfigLogic::onStreamerStateChanged);
    }
}

CZPXVideoStreamConfigLogic::~CZPXVideoStreamConfigLogic()
{
    releaseManager();
    m_restartTimer.stop();
}

void CZPXVideoStreamConfigLogic::queryActiveConfig()
{
    if (configChangeInProgress() || m_manager)
        return;
    createManager();
    m_indexPagePending = true;
    send(kIndexPage);
}

void CZPXVideoStreamConfigLogic::changeActiveConfig(VideoConfig config)
{
    if (config == activeConfig() || configChangeInProgress() || m_manager)
        return;
    setConfigChangeInProgress(true);
    m_restartWhenStopped = false;
    if (m_streamerLogic)
        m_streamerLogic->stop();
    createManager();
    m_exchangeState = ExchangeFormPosted;
    const QByteArray body = ZPXBoardFormat::formBody(config, m_firmwareMajor, m_firmwareMinor);
    send(kSettingsForm, &body);
}

bool CZPXVideoStreamConfigLogic::supportsConfigChange() const
{
    return ZPXBoardFormat::supportsChange(m_firmwareMajor, m_firmwareMinor);
}

void CZPXVideoStreamConfigLogic::reset()
{
    setActiveConfig(MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
    m_restartTimer.stop();
    m_exchangeState = ExchangeIdle;
    m_authenticationStep = 0;
    m_restartWhenStopped = false;
    releaseManager();
}

void CZPXVideoStreamConfigLogic::createManager()
{
    m_manager = new QNetworkAccessManager();
    connect(m_manager, &QNetworkAccessManager::finished, this, &CZPXVideoStreamConfigLogic::onReplyFinished);
    connect(m_manager, &QNetworkAccessManager::authenticationRequired, this,
            &CZPXVideoStreamConfigLogic::onAuthenticationRequired);
    // Every exchange starts with the first credentials: a step left over from an earlier
    // exchange would make the board's first question abort the request.
    m_authenticationStep = 0;
}

void CZPXVideoStreamConfigLogic::releaseManager()
{
    m_transferTimer.stop();
    m_pendingReply = nullptr;
    if (!m_manager)
        return;
    // A reply still under way must not reach this logic after the exchange has ended.
    disconnect(m_manager, nullptr, this, nullptr);
    m_manager->deleteLater();
    m_manager = nullptr;
}

void CZPXVideoStreamConfigLogic::send(const QString& urlTemplate, const QByteArray* formBody)
{
    QNetworkRequest request(encoderBoardUrl(Flavors::SystemHost::ZPXEncoderBoard, urlTemplate));
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = nullptr;
    if (formBody) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, kFormContentType);
        reply = m_manager->post(request, *formBody);
    } else {
        reply = m_manager->get(request);
    }
    // A board that accepts the connection and never answers would hold the session for ever.
    m_pendingReply = reply;
    m_timedOut = false;
    m_transferTimer.start(m_transferTimeout, this);
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

void CZPXVideoStreamConfigLogic::onReplyFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    const bool timedOut = m_timedOut && reply == m_pendingReply;
    if (reply == m_pendingReply) {
        m_transferTimer.stop();
        m_pendingReply = nullptr;
        m_timedOut = false;
    }
    const bool failed = reply->error() != QNetworkReply::NoError;
    if (failed) {
        logInfo(QStringLiteral("[onReplyFinished] Request to encoding board failed:"),
                {reply->url().toString(), static_cast<int>(reply->error()), reply->errorString()});
    }

    switch (m_exchangeState) {
    case ExchangeFormPosted:
        if (failed) {
            const bool refused = reply->error() == QNetworkReply::OperationCanceledError && !timedOut;
            emit errorOccurred(refused ? MultimediaTypes::StreamConfigErrorAuthentication
                                       : MultimediaTypes::StreamConfigErrorTimeOut);
            m_exchangeState = ExchangeIdle;
            releaseManager();
            restartStreamAfterFailedChange();
            return;
        }
        m_exchangeState = ExchangeReadingBack;
        send(kSettingsPage);
        return;
    case ExchangeReadingBack:
        if (!evaluateSettingsReply(reply, failed)) {
            m_exchangeState = ExchangeIdle;
            releaseManager();
            restartStreamAfterFailedChange();
            return;
        }
        m_exchangeState = ExchangeWaitingBeforeRestart;
        // Precise: the board needs the whole pause before the stream may come back.
        m_restartTimer.start(m_restartDelay, Qt::PreciseTimer, this);
        releaseManager();
        return;
    case ExchangeIdle:
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
            send(kSettingsPage);
            return;
        }
        evaluateSettingsReply(reply, failed);
        setConfigChangeInProgress(false);
        releaseManager();
        return;
    default:
        setConfigChangeInProgress(true);
        releaseManager();
        return;
    }
}

bool CZPXVideoStreamConfigLogic::evaluateSettingsReply(QNetworkReply* reply, bool failed)
{
    if (failed) {
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
        return false;
    }
    setActiveConfig(ZPXBoardFormat::parseSettingsPage(reply->readAll(), m_firmwareMajor, m_firmwareMinor));
    emit configQuerySucceeded();
    return true;
}

void CZPXVideoStreamConfigLogic::restartStreamAfterFailedChange()
{
    // The board kept its old mode: bring the picture back in it. A stream still stopping is
    // started once it has stopped; until then the change counts as under way, so the session
    // does not take the stop for a lost stream.
    if (m_streamerLogic && m_streamerLogic->state() == MultimediaTypes::StreamingStopping) {
        m_restartWhenStopped = true;
        return;
    }
    if (m_streamerLogic && m_streamerLogic->state() == MultimediaTypes::StreamingStopped)
        m_streamerLogic->start();
    setConfigChangeInProgress(false);
}

void CZPXVideoStreamConfigLogic::onStreamerStateChanged()
{
    const MultimediaTypes::StreamingState streamingState = m_streamerLogic->state();
    if (m_restartWhenStopped && streamingState == MultimediaTypes::StreamingStopped) {
        m_restartWhenStopped = false;
        // Not from inside the streamer's own report: it may still be tidying its pipeline.
        QMetaObject::invokeMethod(
            this,
            [this]() {
                if (m_exchangeState != ExchangeIdle || !configChangeInProgress())
                    return; // reset, or a new change, came first
                if (m_streamerLogic->state() == MultimediaTypes::StreamingStopped)
                    m_streamerLogic->start();
                setConfigChangeInProgress(false);
            },
            Qt::QueuedConnection);
        return;
    }
    if (m_exchangeState != ExchangeWaitingForStream)
        return;
    if (streamingState == MultimediaTypes::StreamingRunning) {
        m_exchangeState = ExchangeIdle;
        setConfigChangeInProgress(false);
        m_authenticationStep = 0;
    } else if (streamingState == MultimediaTypes::StreamingStopped) {
        // The streamer gave up on the new mode: end the change, so that the session can
        // reconnect and later changes are not refused.
        m_exchangeState = ExchangeIdle;
        setConfigChangeInProgress(false);
        m_authenticationStep = 0;
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
    }
}

void CZPXVideoStreamConfigLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_transferTimer.timerId()) {
        m_transferTimer.stop();
        if (m_pendingReply) {
            logInfo(QStringLiteral("[timerEvent] Encoding board did not answer in time:"),
                    {m_pendingReply->url().toString(), m_transferTimeout});
            m_timedOut = true;
            m_pendingReply->abort(); // ends in the reply handler as a failed request
        }
        return;
    }
    if (event->timerId() != m_restartTimer.timerId()) {
        CAbstractVideoStreamConfigLogic::timerEvent(event);
        return;
    }
    m_restartTimer.stop();
    if (m_exchangeState != ExchangeWaitingBeforeRestart)
        return;
    m_exchangeState = ExchangeWaitingForStream;
    if (!m_streamerLogic || m_streamerLogic->state() == MultimediaTypes::StreamingRunning) {
        m_exchangeState = ExchangeIdle;
        setConfigChangeInProgress(false);
        m_authenticationStep = 0;
        return;
    }
    m_streamerLogic->start();
    // A streamer that refuses to start at all reports no state change to wait for.
    if (m_exchangeState == ExchangeWaitingForStream && m_streamerLogic->state() == MultimediaTypes::StreamingStopped)
        onStreamerStateChanged();
}

} // namespace Multimedia
} // namespace Ulx
