#include "communication/CAbstractSystemSession.h"

#include "communication/CAbstractNetworkManager.h"
#include "communication/CAbstractSessionStreamer.h"
#include "flavors/Flavors.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"
#include "videooverlay/CAbstractVideoOverlayLogic.h"

#include "CLogger.h"

#include <QTimerEvent>

namespace Ulx {
namespace Communication {

namespace {

using Tovrin::Logging::CLogger;
using CommunicationTypes::keyName;

const QString kLibraryCategory = QStringLiteral("UlxSystemsLibrary");
const QString kSessionCategory = QStringLiteral("SystemSession");
const QString kNetworkCategory = QStringLiteral("NetworkManager");

void logLine(const QString& text, const QString& category = kLibraryCategory,
             CLogger::LogLevel level = CLogger::LogLevelInfo)
{
    CLogger::logMessage(level, category, text, {});
}

void logStep(const char* operation, const QString& text, const QString& category = kLibraryCategory,
             CLogger::LogLevel level = CLogger::LogLevelInfo)
{
    CLogger::logMessage(level, category, QStringLiteral("[%1] %2").arg(QLatin1String(operation), text), {});
}

} // namespace

CAbstractSystemSession::CAbstractSystemSession(CAbstractNetworkManager* networkManager,
                                               CAbstractPermissionChecker* permissionChecker,
                                               Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic)
    : QObject(nullptr)
    , m_networkManager(networkManager)
    , m_permissionChecker(permissionChecker)
    , m_videoStreamerLogic(videoStreamerLogic)
{
    m_ownStreamer = new CRTSPSessionStreamer(videoStreamerLogic);
    m_streamer = m_ownStreamer;
}

CAbstractSystemSession::~CAbstractSystemSession()
{
    m_reconnectTimer.stop();
    m_reconnectFailerTimer.stop();
    delete m_ownStreamer;
}

void CAbstractSystemSession::connectSignals()
{
    CAbstractConnectionController::registerMetaTypes();
    if (CAbstractConnectionController* controller = connectionController()) {
        connect(controller, &CAbstractConnectionController::stateChanged, this,
                &CAbstractSystemSession::onConnectionControllerStateChanged, Qt::QueuedConnection);
        connect(controller, &CAbstractConnectionController::errorOccurred, this,
                &CAbstractSystemSession::onConnectionControllerErrorOccurred, Qt::QueuedConnection);
    }
    if (m_networkManager) {
        connect(m_networkManager, &CAbstractNetworkManager::stateChanged, this,
                &CAbstractSystemSession::onNetworkManagerStateChanged, Qt::QueuedConnection);
        connect(m_networkManager, &CAbstractNetworkManager::connectionFailed, this,
                &CAbstractSystemSession::onNetworkManagerConnectionFailed, Qt::QueuedConnection);
    }
    connect(m_streamer, &CAbstractSessionStreamer::stateChanged, this,
            &CAbstractSystemSession::onVideoStreamerStateChanged, Qt::QueuedConnection);
}

void CAbstractSystemSession::setSessionStreamer(CAbstractSessionStreamer* streamer)
{
    m_streamer = streamer ? streamer : m_ownStreamer;
}

CommunicationTypes::SystemType CAbstractSystemSession::connectedSystemType() const
{
    const CAbstractConnectionController* controller = connectionController();
    return controller ? controller->systemType() : CommunicationTypes::SystemTypeUnknown;
}

void CAbstractSystemSession::setState(CommunicationTypes::ConnectionState state)
{
    if (state == m_state)
        return;
    logLine(QStringLiteral("System session state changed to: %1").arg(keyName(state)), kSessionCategory);
    m_state = state;
    emit stateChanged();
}

void CAbstractSystemSession::connectToSystem(const QString& name, bool spectatorMode)
{
    if (m_state != CommunicationTypes::ConnectionOffline) {
        logStep("connectToSystem", QStringLiteral("Already connected to system."), kNetworkCategory);
        return;
    }
    logStep("connectToSystem", QStringLiteral("Connecting to system..."), kNetworkCategory);
    setState(CommunicationTypes::ConnectionEstablishing);
    m_shutdownSystem = false;
    m_systemName = name;
    m_spectatorMode = spectatorMode;

    if (!m_networkManager) {
        // Nothing could ever report the network joined: fail now instead of hanging.
        internalDisconnect();
        emit errorOccurred(CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
        return;
    }
    const QString key = Flavors::defaultWifiKey(Flavors::systemFamilyFromNetworkName(name));
    m_networkManager->connectToWifiNetwork(name, key);
}

void CAbstractSystemSession::disconnectFromSystem(bool shutdownSystem)
{
    logStep("disconnectFromSystem", QStringLiteral("session state: %1").arg(keyName(m_state)));
    switch (m_state) {
    case CommunicationTypes::ConnectionOnline:
        m_shutdownSystem = shutdownSystem;
        break;
    case CommunicationTypes::ConnectionEstablishing:
    case CommunicationTypes::ConnectionReestablishing:
        // A system that never came online is not powered off.
        m_shutdownSystem = false;
        break;
    default:
        return;
    }
    internalDisconnect();
}

void CAbstractSystemSession::internalDisconnect()
{
    if (m_state == CommunicationTypes::ConnectionOffline)
        return;
    // A timer that fires after the user's disconnect must not report an error or reconnect.
    m_reconnectTimer.stop();
    m_reconnectFailerTimer.stop();

    setState(CommunicationTypes::ConnectionShuttingDown);
    // The stream logic forgets the encoder first, so that nothing it still waits for (a reply,
    // the pause before a restart) starts the stream again behind the session's back.
    if (Multimedia::CAbstractVideoStreamConfigLogic* logic = videoStreamConfigLogic())
        logic->reset();
    m_streamer->stop();

    CAbstractConnectionController* controller = connectionController();
    const CAbstractConnectionController::State controllerState =
        controller ? controller->state() : CAbstractConnectionController::StateDisconnected;
    logStep("internalDisconnect",
            QStringLiteral("connection controller state: %1 ; connection state: %2 ; video streamer logic state: %3")
                .arg(keyName(controllerState), keyName(m_state), keyName(m_streamer->state())));

    if (controller) {
        if (controllerState == CAbstractConnectionController::StateConnecting)
            controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
        else if (controllerState == CAbstractConnectionController::StateConnected)
            controller->disconnectFromSystem(m_shutdownSystem ? CAbstractConnectionController::DisconnectTypeShutdown
                                                              : CAbstractConnectionController::DisconnectTypeNormal);
    }

    auto bothDown = [this, controller]() {
        const bool controllerDown = !controller || controller->state() == CAbstractConnectionController::StateDisconnected;
        return controllerDown && m_streamer->state() == MultimediaTypes::StreamingStopped;
    };
    if (bothDown() && m_networkManager) {
        const CAbstractNetworkManager::State networkState = m_networkManager->state();
        if (networkState == CAbstractNetworkManager::StateConnected
            || networkState == CAbstractNetworkManager::StateConnecting)
            m_networkManager->disconnectFromWifiNetwork();
    }
    if (bothDown())
        setState(CommunicationTypes::ConnectionOffline);
}

void CAbstractSystemSession::configureVideoSource()
{
    const CommunicationTypes::SystemType type = connectedSystemType();
    CAbstractSessionStreamer::Source source;
    if (const std::optional<SystemTypeRecord> record = Flavors::systemTypeRecord(type)) {
        source.url = record->rtspUrl;
        source.caps = record->h264Caps;
        source.latency = record->rtspLatency;
        source.preferSoftwareDecoding = record->preferSoftwareDecoding;
        source.rtspOverTcp = record->rtspOverTcp;
        source.stopStreamOnPause = record->stopStreamOnPause;
    }
    m_streamer->configure(source);
    logStep("configureVideoSource",
            QStringLiteral("system type: %1 ; connection state: %2").arg(keyName(type), keyName(m_state)));
}

void CAbstractSystemSession::connectStreamConfigLogic()
{
    Multimedia::CAbstractVideoStreamConfigLogic* logic = videoStreamConfigLogic();
    if (!logic)
        return;
    connect(logic, &Multimedia::CAbstractVideoStreamConfigLogic::errorOccurred, this,
            &CAbstractSystemSession::onVideoStreamConfigLogicErrorOccurred, Qt::UniqueConnection);
    connect(logic, &Multimedia::CAbstractVideoStreamConfigLogic::configQuerySucceeded, this,
            &CAbstractSystemSession::onVideoStreamConfigLogicConfigQuerySucceeded, Qt::UniqueConnection);
}

void CAbstractSystemSession::startVideo(bool withCreateLogics)
{
    configureVideoSource();
    if (withCreateLogics)
        createLogics();
    if (!m_spectatorMode) {
        if (VideoOverlay::CAbstractVideoOverlayLogic* overlay = videoOverlayLogic())
            overlay->initialize();
    }
    connectStreamConfigLogic();
    if (Multimedia::CAbstractVideoStreamConfigLogic* logic = videoStreamConfigLogic())
        logic->queryActiveConfig();
    else
        onVideoStreamConfigLogicConfigQuerySucceeded(); // nothing to ask: the configuration is fixed
}

int CAbstractSystemSession::accessMode() const
{
    if (m_spectatorMode)
        return CAbstractConnectionController::AccessModeSpectator;
    return m_state == CommunicationTypes::ConnectionReestablishing ? CAbstractConnectionController::AccessModeWriteAlways
                                                                   : CAbstractConnectionController::AccessModeWriteWhenFree;
}

bool CAbstractSystemSession::streamConfigKnown() const
{
    const Multimedia::CAbstractVideoStreamConfigLogic* logic = videoStreamConfigLogic();
    return !logic || logic->activeConfig() != MultimediaTypes::VideoConfigInvalid;
}

bool CAbstractSystemSession::streamConfigChanging() const
{
    const Multimedia::CAbstractVideoStreamConfigLogic* logic = videoStreamConfigLogic();
    return logic && logic->configChangeInProgress();
}

void CAbstractSystemSession::startReconnectTimer()
{
    m_reconnectTimer.start(m_reconnectInterval, this);
}

void CAbstractSystemSession::onNetworkManagerStateChanged()
{
    if (!m_networkManager)
        return;
    const CAbstractNetworkManager::State networkState = m_networkManager->state();
    logStep("onNetworkManagerStateChanged",
            QStringLiteral("manager state: %1 ; connection state: %2").arg(keyName(networkState), keyName(m_state)),
            kNetworkCategory);

    switch (networkState) {
    case CAbstractNetworkManager::StateDisconnecting:
        if (m_state == CommunicationTypes::ConnectionOnline) {
            logLine(QStringLiteral("Wi-Fi signal lost - need to reconnect."), kNetworkCategory);
            setState(CommunicationTypes::ConnectionReestablishing);
            logStep("onNetworkManagerStateChanged", QStringLiteral("Starting ReconnectTimer..."));
            startReconnectTimer();
        }
        break;
    case CAbstractNetworkManager::StateDisconnected:
        if (m_state == CommunicationTypes::ConnectionOnline || m_state == CommunicationTypes::ConnectionReestablishing) {
            logLine(QStringLiteral("Disconnected while attempting to reconnect - need to reconnect."), kNetworkCategory);
            setState(CommunicationTypes::ConnectionReestablishing);
            logStep("onNetworkManagerStateChanged", QStringLiteral("Starting ReconnectTimer..."));
            startReconnectTimer();
        }
        break;
    case CAbstractNetworkManager::StateConnected:
        if (m_state == CommunicationTypes::ConnectionEstablishing || m_state == CommunicationTypes::ConnectionReestablishing) {
            logLine(QStringLiteral("Connected to network, now connecting to system"));
            CAbstractConnectionController* controller = connectionController();
            if (!controller) {
                logStep("onNetworkManagerStateChanged", QStringLiteral("The session has no connection controller."),
                        kLibraryCategory, CLogger::LogLevelError);
                internalDisconnect();
                emit errorOccurred(CommunicationTypes::CommunicationErrorCommunicatorInternal);
                return;
            }
            controller->connectToSystem(accessMode());
            if (m_reconnectFailerTimer.isActive()) {
                logLine(QStringLiteral("ReconnectFailerTimer stopped (connection was established)."));
                m_reconnectFailerTimer.stop();
            }
        }
        break;
    case CAbstractNetworkManager::StateConnecting:
        break;
    }
}

void CAbstractSystemSession::onNetworkManagerConnectionFailed()
{
    logStep("onNetworkManagerConnectionFailed", QStringLiteral("connection state: %1").arg(keyName(m_state)));
    if (m_state == CommunicationTypes::ConnectionReestablishing)
        return; // the reconnect timers decide
    if (m_state == CommunicationTypes::ConnectionOffline)
        return; // a failure of someone else's join, or one reported after this session ended
    internalDisconnect();
    // No adapter, or another network taken up meanwhile, is told as such.
    emit errorOccurred(m_networkManager->connectionFailure());
}

void CAbstractSystemSession::onConnectionControllerStateChanged()
{
    CAbstractConnectionController* controller = connectionController();
    if (!controller)
        return;
    const CAbstractConnectionController::State controllerState = controller->state();
    logStep("onConnectionControllerStateChanged",
            QStringLiteral("connection controller state: %1 ; connection state: %2")
                .arg(keyName(controllerState), keyName(m_state)));

    if (controllerState == CAbstractConnectionController::StateDisconnected) {
        switch (m_state) {
        case CommunicationTypes::ConnectionEstablishing:
            emit errorOccurred(CommunicationTypes::CommunicationErrorCommunicatorConnection);
            internalDisconnect();
            break;
        case CommunicationTypes::ConnectionReestablishing:
            logStep("onConnectionControllerStateChanged",
                    QStringLiteral("Starting ReconnectTimer... (reason: ConnectionReestablishing)"));
            startReconnectTimer();
            break;
        case CommunicationTypes::ConnectionOnline:
            logStep("onConnectionControllerStateChanged", QStringLiteral("Connection had been established but was lost..."));
            setState(CommunicationTypes::ConnectionReestablishing);
            m_streamer->stop();
            logStep("onConnectionControllerStateChanged", QStringLiteral("Starting ReconnectTimer..."));
            startReconnectTimer();
            break;
        case CommunicationTypes::ConnectionOffline:
        case CommunicationTypes::ConnectionShuttingDown:
            internalDisconnect();
            break;
        }
    } else if (controllerState == CAbstractConnectionController::StateConnected) {
        if (m_state == CommunicationTypes::ConnectionEstablishing || m_state == CommunicationTypes::ConnectionReestablishing)
            startVideo(true);
    }
}

void CAbstractSystemSession::onVideoStreamConfigLogicConfigQuerySucceeded()
{
    if (m_state == CommunicationTypes::ConnectionEstablishing || m_state == CommunicationTypes::ConnectionReestablishing)
        m_streamer->start();
}

void CAbstractSystemSession::onVideoStreamConfigLogicErrorOccurred(MultimediaTypes::StreamConfigError errorCode)
{
    logStep("onVideoStreamConfigLogicErrorOccurred",
            QStringLiteral("error: %1 ; connection state: %2").arg(keyName(errorCode), keyName(m_state)),
            kLibraryCategory, CLogger::LogLevelError);
    switch (m_state) {
    case CommunicationTypes::ConnectionEstablishing:
        internalDisconnect();
        emit errorOccurred(CommunicationTypes::CommunicationErrorVideoStreamConfigFailed);
        break;
    case CommunicationTypes::ConnectionReestablishing:
        logStep("onVideoStreamConfigLogicErrorOccurred", QStringLiteral("Starting ReconnectTimer..."));
        startReconnectTimer();
        break;
    case CommunicationTypes::ConnectionOnline:
        // A failed configuration change: bring the video back.
        if (errorCode == MultimediaTypes::StreamConfigErrorAuthentication)
            m_streamer->start();
        break;
    default:
        break;
    }
}

void CAbstractSystemSession::onVideoStreamerStateChanged()
{
    const MultimediaTypes::StreamingState streamingState = m_streamer->state();
    if (streamingState == MultimediaTypes::StreamingRunning) {
        checkSessionConnected();
        return;
    }
    if (streamingState != MultimediaTypes::StreamingStopped)
        return;

    logStep("onVideoStreamerStateChanged", QStringLiteral("connection state: %1").arg(keyName(m_state)));
    switch (m_state) {
    case CommunicationTypes::ConnectionEstablishing:
        logStep("onVideoStreamerStateChanged", QStringLiteral("Unable to get the video from the camera."),
                kLibraryCategory, CLogger::LogLevelError);
        internalDisconnect();
        emit errorOccurred(CommunicationTypes::CommunicationErrorVideoStreamerConnection);
        break;
    case CommunicationTypes::ConnectionReestablishing:
        logStep("onVideoStreamerStateChanged", QStringLiteral("Starting ReconnectTimer..."));
        startReconnectTimer();
        break;
    case CommunicationTypes::ConnectionOnline:
        if (streamConfigChanging())
            break; // the stop belongs to a configuration change
        logStep("onVideoStreamerStateChanged",
                QStringLiteral("The video stream had been established, but the connection was lost."), kLibraryCategory,
                CLogger::LogLevelError);
        setState(CommunicationTypes::ConnectionReestablishing);
        logStep("onVideoStreamerStateChanged", QStringLiteral("Starting ReconnectTimer..."));
        startReconnectTimer();
        break;
    case CommunicationTypes::ConnectionOffline:
    case CommunicationTypes::ConnectionShuttingDown:
        internalDisconnect();
        break;
    }
}

void CAbstractSystemSession::checkSessionConnected()
{
    const CAbstractConnectionController* controller = connectionController();
    if (!m_networkManager || !controller)
        return;
    if (m_networkManager->state() != CAbstractNetworkManager::StateConnected
        || controller->state() != CAbstractConnectionController::StateConnected
        || m_streamer->state() != MultimediaTypes::StreamingRunning)
        return;
    // A streamer that comes up while the session is being taken down does not revive it.
    if (m_state == CommunicationTypes::ConnectionOffline || m_state == CommunicationTypes::ConnectionShuttingDown)
        return;
    logLine(QStringLiteral("(checked) Session is in the connected state."));
    setState(CommunicationTypes::ConnectionOnline);
    m_reconnectFailerTimer.stop();
}

void CAbstractSystemSession::onConnectionControllerErrorOccurred(CAbstractConnectionController::Error errorCode)
{
    logStep("onConnectionControllerErrorOccurred",
            QStringLiteral("error: %1 ; connection state: %2").arg(keyName(errorCode), keyName(m_state)),
            kLibraryCategory, CLogger::LogLevelError);
    CommunicationTypes::CommunicationError error = CommunicationTypes::CommunicationErrorCommunicatorInternal;
    switch (errorCode) {
    case CAbstractConnectionController::ErrorConnection:
        return; // the controller's state change drives the reconnect
    case CAbstractConnectionController::ErrorWriteAccessDenied:
        error = CommunicationTypes::CommunicationErrorCommunicatorControlAccessDenied;
        break;
    case CAbstractConnectionController::ErrorUnsupportedSystem:
        error = CommunicationTypes::CommunicationErrorCommunicatorUnsupportedSystem;
        break;
    case CAbstractConnectionController::ErrorInternal:
    case CAbstractConnectionController::ErrorNone:
        error = CommunicationTypes::CommunicationErrorCommunicatorInternal;
        break;
    }
    if (m_state == CommunicationTypes::ConnectionOffline)
        return; // the session has ended already; nobody waits for this error any more
    internalDisconnect();
    emit errorOccurred(error);
}

void CAbstractSystemSession::attemptReconnect()
{
    CAbstractConnectionController* controller = connectionController();
    if (!m_networkManager || !controller)
        return;
    const CAbstractNetworkManager::State networkState = m_networkManager->state();
    const CAbstractConnectionController::State controllerState = controller->state();
    logStep("attemptReconnect",
            QStringLiteral("manager state: %1 ; controller state: %2").arg(keyName(networkState), keyName(controllerState)),
            kNetworkCategory);

    if (networkState == CAbstractNetworkManager::StateConnected) {
        if (controllerState == CAbstractConnectionController::StateDisconnected) {
            logStep("attemptReconnect", QStringLiteral("Attempt to connect to the system..."), kNetworkCategory);
            controller->connectToSystem(accessMode());
        } else if (controllerState == CAbstractConnectionController::StateConnected) {
            if (streamConfigKnown()) {
                if (m_streamer->state() != MultimediaTypes::StreamingStopped)
                    checkSessionConnected();
                else
                    m_streamer->start();
            } else {
                startVideo(false);
            }
        }
        return;
    }

    if (controllerState != CAbstractConnectionController::StateDisconnected)
        controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
    if (m_streamer->state() != MultimediaTypes::StreamingStopped)
        m_streamer->stop();
    const QString key = Flavors::defaultWifiKey(Flavors::systemFamilyFromNetworkName(m_systemName));
    logStep("attemptReconnect", QStringLiteral("Attempt to connect to Wi-Fi network..."), kNetworkCategory);
    m_networkManager->connectToWifiNetwork(m_systemName, key);
}

// The lowest layer that re-establishing did not get back: the Wi-Fi, the system's link or the
// video. A link or video that stays lost is reported as such; the Wi-Fi may never have left.
CommunicationTypes::CommunicationError CAbstractSystemSession::lostLayerError() const
{
    if (!m_networkManager || m_networkManager->state() != CAbstractNetworkManager::StateConnected) {
        // An adapter unplugged meanwhile is named, not taken for interference.
        return m_networkManager && !m_networkManager->missingWifiInterface().isEmpty()
            ? CommunicationTypes::CommunicationErrorNetworkManagerNoInterface
            : CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed;
    }
    const CAbstractConnectionController* controller = connectionController();
    if (!controller || controller->state() != CAbstractConnectionController::StateConnected)
        return CommunicationTypes::CommunicationErrorCommunicatorConnection;
    return CommunicationTypes::CommunicationErrorVideoStreamerConnection;
}

void CAbstractSystemSession::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_reconnectTimer.timerId()) {
        logLine(QStringLiteral("ReconnectTimer event..."));
        // Stopped first: attemptReconnect() may start it again for the next round.
        m_reconnectTimer.stop();
        if (m_state == CommunicationTypes::ConnectionReestablishing) {
            attemptReconnect();
            if (!m_reconnectFailerTimer.isActive()
                && m_state == CommunicationTypes::ConnectionReestablishing) {
                logLine(QStringLiteral("Starting ReconnectFailerTimer..."));
                m_reconnectFailerTimer.start(m_reconnectFailerInterval, this);
            }
        }
        logLine(QStringLiteral("ReconnectTimer stopped."));
        return;
    }
    if (event->timerId() == m_reconnectFailerTimer.timerId()) {
        logStep("timerEvent", QStringLiteral("ReconnectFailerTimer elapsed."));
        m_reconnectFailerTimer.stop();
        // Read before the layers are taken down.
        const CommunicationTypes::CommunicationError error = lostLayerError();
        if (CAbstractConnectionController* controller = connectionController())
            controller->abortConnection();
        internalDisconnect();
        emit errorOccurred(error);
        return;
    }
    QObject::timerEvent(event);
}

} // namespace Communication
} // namespace Ulx
