#include "multimedia/CBrennicVideoStreamConfigLogic.h"

#include "CRTSPVideoStreamerLogic.h"
#include "multimedia/EncoderBoardUrls.h"

#include "CLogger.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
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
const QString kVersionUrl = QStringLiteral("http://%1:5002/api/version");
const QString kSettingsUrl = QStringLiteral("http://%1:5002/api/1/videostream/settings");
const QString kRequiredApiVersion = QStringLiteral("1");

struct ModeEntry
{
    const char* mode;
    VideoConfig config;
};

// In the order a board's text is tried: the 720p modes, the 1080p modes, then PAL and NTSC.
const ModeEntry kModes[] = {
    {"720p@15fps", MultimediaTypes::VideoConfig720P15FPS},
    {"720p@25fps", MultimediaTypes::VideoConfig720P25FPS},
    {"720p@29.97fps", MultimediaTypes::VideoConfig720P29_97FPS},
    {"720p@30fps", MultimediaTypes::VideoConfig720P30FPS},
    {"1080p@15fps", MultimediaTypes::VideoConfig1080P15FPS},
    {"1080p@25fps", MultimediaTypes::VideoConfig1080P25FPS},
    {"1080p@29.97fps", MultimediaTypes::VideoConfig1080P29_97FPS},
    {"1080p@30fps", MultimediaTypes::VideoConfig1080P30FPS},
    {"PAL@25fps", MultimediaTypes::VideoConfigPAL25FPS},
    {"NTSC@30fps", MultimediaTypes::VideoConfigNTSC30FPS},
};

void logInfo(const QString& text, const QList<QVariant>& arguments = {})
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, text, arguments);
}

QString stringMember(const QJsonObject& object, const char* name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    return value.isString() ? value.toString() : QString();
}

} // namespace

CBrennicVideoStreamConfigLogic::CBrennicVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic)
    : m_streamerLogic(streamerLogic)
{
    if (m_streamerLogic) {
        connect(m_streamerLogic, &CRTSPVideoStreamerLogic::stateChanged, this,
                &CBrennicVideoStreamConfigLogic::onStreamerStateChanged);
    }
}

CBrennicVideoStreamConfigLogic::~CBrennicVideoStreamConfigLogic()
{
    releaseManager();
    m_restartTimer.stop();
}

QString CBrennicVideoStreamConfigLogic::modeString(VideoConfig config)
{
    for (const ModeEntry& entry : kModes) {
        if (entry.config == config)
            return QString::fromLatin1(entry.mode);
    }
    return QString(QLatin1String(""));
}

VideoConfig CBrennicVideoStreamConfigLogic::configFromModeString(const QString& mode)
{
    for (const ModeEntry& entry : kModes) {
        if (mode == QLatin1String(entry.mode))
            return entry.config;
    }
    return MultimediaTypes::VideoConfigInvalid;
}

void CBrennicVideoStreamConfigLogic::queryActiveConfig()
{
    if (configChangeInProgress() || m_manager)
        return;
    createManager();
    m_versionQueryPending = true;
    send(QByteArrayLiteral("GET"), kVersionUrl);
}

void CBrennicVideoStreamConfigLogic::changeActiveConfig(VideoConfig config)
{
    if (config == activeConfig() || configChangeInProgress() || m_manager)
        return;
    setConfigChangeInProgress(true);
    m_restartWhenStopped = false;
    if (m_streamerLogic)
        m_streamerLogic->stop();
    createManager();
    m_exchangeState = ExchangeChangeSent;
    QJsonObject body;
    body.insert(QStringLiteral("new_config"), modeString(config));
    send(QByteArrayLiteral("PUT"), kSettingsUrl, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

bool CBrennicVideoStreamConfigLogic::supportsConfigChange() const
{
    return m_changeSupported;
}

void CBrennicVideoStreamConfigLogic::reset()
{
    setActiveConfig(MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
    m_restartTimer.stop();
    m_exchangeState = ExchangeIdle;
    m_changeSupported = false;
    m_versionQueryPending = false;
    m_restartWhenStopped = false;
    releaseManager();
}

void CBrennicVideoStreamConfigLogic::createManager()
{
    m_manager = new QNetworkAccessManager();
    connect(m_manager, &QNetworkAccessManager::finished, this, &CBrennicVideoStreamConfigLogic::onReplyFinished);
}

void CBrennicVideoStreamConfigLogic::releaseManager()
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

QNetworkReply* CBrennicVideoStreamConfigLogic::send(const QByteArray& verb, const QString& urlTemplate,
                                                    const QByteArray& body)
{
    QNetworkRequest request(encoderBoardUrl(Flavors::SystemHost::BrennicEncoderBoard, urlTemplate));
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = nullptr;
    if (verb == "PUT") {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        reply = m_manager->put(request, body);
    } else {
        reply = m_manager->get(request);
    }
    // A board that accepts the connection and never answers would hold the session for ever.
    m_pendingReply = reply;
    m_transferTimer.start(m_transferTimeout, this);
    return reply;
}

void CBrennicVideoStreamConfigLogic::onReplyFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply == m_pendingReply) {
        m_transferTimer.stop();
        m_pendingReply = nullptr;
    }
    const bool failed = reply->error() != QNetworkReply::NoError;
    if (failed) {
        logInfo(QStringLiteral("[onReplyFinished] Request to encoding board failed:"),
                {reply->url().toString(), static_cast<int>(reply->error()), reply->errorString()});
    }

    switch (m_exchangeState) {
    case ExchangeChangeSent:
        if (failed) {
            emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
            m_exchangeState = ExchangeIdle;
            releaseManager();
            restartStreamAfterFailedChange();
            return;
        }
        m_exchangeState = ExchangeReadingBack;
        send(QByteArrayLiteral("GET"), kSettingsUrl);
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
        if (m_versionQueryPending) {
            m_versionQueryPending = false;
            if (evaluateVersionReply(reply, failed)) {
                send(QByteArrayLiteral("GET"), kSettingsUrl);
                return;
            }
            setConfigChangeInProgress(false);
            releaseManager();
            if (!failed) {
                // A board without the API version this program speaks still streams: the
                // session goes on with the mode unknown and changes switched off.
                setActiveConfig(MultimediaTypes::VideoConfigInvalid);
                emit configQuerySucceeded();
            }
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

bool CBrennicVideoStreamConfigLogic::evaluateVersionReply(QNetworkReply* reply, bool failed)
{
    if (failed) {
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(reply->readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("Failed to parse reply from encoding board."));
        m_changeSupported = false;
        return false;
    }
    const QJsonObject object = document.object();
    logInfo(QStringLiteral("Firmware info:"),
            {QStringLiteral("Platform: ") + stringMember(object, "platform"),
             QStringLiteral("Platform version: ") + stringMember(object, "platform_version"),
             QStringLiteral("API revision:") + stringMember(object, "api_revision")});
    bool supported = false;
    const QJsonArray versions = object.value(QStringLiteral("supported_api_versions")).toArray();
    for (const QJsonValue& version : versions) {
        if (version.isString() && version.toString() == kRequiredApiVersion)
            supported = true;
    }
    m_changeSupported = supported;
    return supported;
}

bool CBrennicVideoStreamConfigLogic::evaluateSettingsReply(QNetworkReply* reply, bool failed)
{
    if (failed) {
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
        return false;
    }
    VideoConfig config = MultimediaTypes::VideoConfigInvalid;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(reply->readAll(), &parseError);
    if (parseError.error == QJsonParseError::NoError)
        config = configFromModeString(stringMember(document.object(), "current_config"));
    setActiveConfig(config);
    emit configQuerySucceeded();
    return true;
}

void CBrennicVideoStreamConfigLogic::restartStreamAfterFailedChange()
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

void CBrennicVideoStreamConfigLogic::onStreamerStateChanged()
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
    } else if (streamingState == MultimediaTypes::StreamingStopped) {
        // The streamer gave up on the new mode: end the change, so that the session can
        // reconnect and later changes are not refused.
        m_exchangeState = ExchangeIdle;
        setConfigChangeInProgress(false);
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
    }
}

void CBrennicVideoStreamConfigLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_transferTimer.timerId()) {
        m_transferTimer.stop();
        if (m_pendingReply) {
            logInfo(QStringLiteral("[timerEvent] Encoding board did not answer in time:"),
                    {m_pendingReply->url().toString(), m_transferTimeout});
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
        return;
    }
    m_streamerLogic->start();
    // A streamer that refuses to start at all reports no state change to wait for.
    if (m_exchangeState == ExchangeWaitingForStream && m_streamerLogic->state() == MultimediaTypes::StreamingStopped)
        onStreamerStateChanged();
}

} // namespace Multimedia
} // namespace Ulx
