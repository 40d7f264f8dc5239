#include "multimedia/CEncoderBoardStreamConfigLogic.h"

#include "CRTSPVideoStreamerLogic.h"
#include "communication/PeerAnswers.h"
#include "multimedia/EncoderBoardUrls.h"

#include "CLogger.h"
#include "PeerNetworkAccess.h"

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

void logInfo(const QString& text, const QList<QVariant>& arguments = {})
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, text, arguments);
}

} // namespace

CEncoderBoardStreamConfigLogic::CEncoderBoardStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic,
                                                               Ulx::Flavors::SystemHost board, int restartDelay,
                                                               int transferTimeout)
    : m_streamerLogic(streamerLogic)
    , m_board(board)
    , m_restartDelay(restartDelay)
    , m_transferTimeout(transferTimeout)
{
    if (m_streamerLogic) {
        connect(m_streamerLogic, &CRTSPVideoStreamerLogic::stateChanged, this,
                &CEncoderBoardStreamConfigLogic::onStreamerStateChanged);
    }
}

CEncoderBoardStreamConfigLogic::~CEncoderBoardStreamConfigLogic()
{
    releaseManager();
    m_restartTimer.stop();
}

void CEncoderBoardStreamConfigLogic::changeActiveConfig(VideoConfig config)
{
    if (config == activeConfig() || configChangeInProgress() || m_manager)
        return;
    setConfigChangeInProgress(true);
    m_restartWhenStopped = false;
    if (m_streamerLogic)
        m_streamerLogic->stop();
    createManager();
    m_exchangeState = ExchangeChangeSent;
    sendChange(config);
}

void CEncoderBoardStreamConfigLogic::reset()
{
    setActiveConfig(MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
    m_restartTimer.stop();
    m_exchangeState = ExchangeIdle;
    m_restartWhenStopped = false;
    resetBoardState();
    releaseManager();
}

MultimediaTypes::StreamConfigError CEncoderBoardStreamConfigLogic::changeFailure(QNetworkReply* /*reply*/,
                                                                                 bool /*timedOut*/) const
{
    return MultimediaTypes::StreamConfigErrorTimeOut;
}

void CEncoderBoardStreamConfigLogic::onManagerCreated(QNetworkAccessManager* /*manager*/)
{
}

bool CEncoderBoardStreamConfigLogic::beginQuery()
{
    if (configChangeInProgress() || m_manager)
        return false;
    createManager();
    return true;
}

void CEncoderBoardStreamConfigLogic::createManager()
{
    m_manager = new Tovrin::Shared::PeerNetworkAccess();
    connect(m_manager, &QNetworkAccessManager::finished, this, &CEncoderBoardStreamConfigLogic::onReplyFinished);
    onManagerCreated(m_manager);
}

void CEncoderBoardStreamConfigLogic::releaseManager()
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

QNetworkRequest CEncoderBoardStreamConfigLogic::request(const QString& urlTemplate) const
{
    QNetworkRequest request(encoderBoardUrl(m_board, urlTemplate));
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    Communication::askForStoredAnswer(&request);
    return request;
}

void CEncoderBoardStreamConfigLogic::track(QNetworkReply* reply)
{
    // Bounded first: the request is already running.
    Communication::boundPeerAnswer(reply, MaximumAnswerBytes);
    // A board that accepts the connection and never answers would hold the session for ever.
    m_pendingReply = reply;
    m_timedOut = false;
    m_transferTimer.start(m_transferTimeout, this);
}

void CEncoderBoardStreamConfigLogic::onReplyFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    // An answer too large to hold is no refusal by the board either.
    const bool timedOut = (m_timedOut && reply == m_pendingReply) || Tovrin::Shared::TransferWatchdog::refused(reply);
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
    case ExchangeChangeSent:
        if (failed) {
            emit errorOccurred(changeFailure(reply, timedOut));
            m_exchangeState = ExchangeIdle;
            releaseManager();
            restartStreamAfterFailedChange();
            return;
        }
        m_exchangeState = ExchangeReadingBack;
        sendSettingsQuery();
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
        onQueryReplyFinished(reply, failed);
        return;
    default:
        setConfigChangeInProgress(true);
        releaseManager();
        return;
    }
}

bool CEncoderBoardStreamConfigLogic::evaluateSettingsReply(QNetworkReply* reply, bool failed)
{
    if (failed) {
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
        return false;
    }
    setActiveConfig(parseSettings(reply->readAll()));
    emit configQuerySucceeded();
    return true;
}

void CEncoderBoardStreamConfigLogic::restartStreamAfterFailedChange()
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

void CEncoderBoardStreamConfigLogic::endChange()
{
    m_exchangeState = ExchangeIdle;
    setConfigChangeInProgress(false);
    onChangeEnded();
}

void CEncoderBoardStreamConfigLogic::onStreamerStateChanged()
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
    if (m_exchangeState == ExchangeWaitingBeforeRestart && streamingState == MultimediaTypes::StreamingStopped) {
        // Not from inside the streamer's own report: it may still be tidying its pipeline.
        QMetaObject::invokeMethod(this, &CEncoderBoardStreamConfigLogic::restartAfterPause, Qt::QueuedConnection);
        return;
    }
    if (m_exchangeState != ExchangeWaitingForStream)
        return;
    if (streamingState == MultimediaTypes::StreamingRunning) {
        endChange();
    } else if (streamingState == MultimediaTypes::StreamingStopped) {
        // The streamer gave up on the new mode: end the change, so that the session can
        // reconnect and later changes are not refused.
        endChange();
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
    }
}

void CEncoderBoardStreamConfigLogic::timerEvent(QTimerEvent* event)
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
    restartAfterPause();
}

void CEncoderBoardStreamConfigLogic::restartAfterPause()
{
    if (m_exchangeState != ExchangeWaitingBeforeRestart || m_restartTimer.isActive())
        return;
    // The stop finishes off the GUI thread and may outlast the pause: a start now would be
    // ignored and the stop then taken for a stream that gave up on the new mode.
    if (m_streamerLogic && m_streamerLogic->state() == MultimediaTypes::StreamingStopping)
        return;
    m_exchangeState = ExchangeWaitingForStream;
    if (!m_streamerLogic || m_streamerLogic->state() == MultimediaTypes::StreamingRunning) {
        endChange();
        return;
    }
    m_streamerLogic->start();
    // A streamer that refuses to start at all reports no state change to wait for.
    if (m_exchangeState == ExchangeWaitingForStream && m_streamerLogic->state() == MultimediaTypes::StreamingStopped)
        onStreamerStateChanged();
}

} // namespace Multimedia
} // namespace Ulx
