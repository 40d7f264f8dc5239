#include "inspection/CHXInspectionScreenController.h"

#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"

#include "CTranslator.h"
#include "CUlxSystemsLibrary.h"
#include "communication/CSessionManager.h"
#include "multimedia/CRemoteMediaCapture.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "systemcontrol/CSystemReadouts.h"

#include <QTimer>

#include <cmath>

using Ulx::CUlxSystemsLibrary;
using MediaStorageState = Ulx::RemoteMediaTypes::MediaStorageState;

namespace {

const QString TranslationContext = QStringLiteral("Ombrastella.Zephira.App.HXInspectionScreenController");

QString text(const QString& key, const QString& english)
{
    if (const Tovrin::Translation::CTranslator* translator = CErrorMessageHelper::translator())
        return translator->txt(TranslationContext, key, english);
    return english;
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

CHXInspectionScreenController::CHXInspectionScreenController(QObject* parent)
    : CBaseInspectionScreenController(parent)
{
    initialize();
}

CHXInspectionScreenController::CHXInspectionScreenController(const Services& services, QObject* parent)
    : CBaseInspectionScreenController(services, parent)
{
    initialize();
}

void CHXInspectionScreenController::initialize()
{
    auto* capture = CUlxSystemsLibrary::remoteMediaCapture();
    auto* storage = CUlxSystemsLibrary::remoteMediaStorage();
    auto* readouts = CUlxSystemsLibrary::systemReadouts();
    auto* sessions = CUlxSystemsLibrary::sessionManager();
    if (capture) {
        connect(capture, &Ulx::Multimedia::CRemoteMediaCapture::videoRecordingTimeChanged, this,
            &CHXInspectionScreenController::updateCurrentRecordingTime);
        connect(capture, &Ulx::Multimedia::CRemoteMediaCapture::videoRecordingStarted, this,
            &CHXInspectionScreenController::handleVideoRecordingStarted);
        connect(capture, &Ulx::Multimedia::CRemoteMediaCapture::videoRecordingStopped, this,
            &CHXInspectionScreenController::videoRecordingStopped);
        connect(capture, &Ulx::Multimedia::CRemoteMediaCapture::photoCaptured, this,
            &CHXInspectionScreenController::onPhotoCaptured);
    }
    if (storage) {
        connect(storage, &Ulx::Multimedia::CRemoteMediaStorage::remainingVideoRecordingTimeChanged, this,
            &CHXInspectionScreenController::updateRemainingSpace);
        connect(storage, &Ulx::Multimedia::CRemoteMediaStorage::storageStateChanged, this,
            &CHXInspectionScreenController::checkMediaStorageState);
    }
    if (readouts) {
        connect(readouts, &Ulx::SystemControl::CSystemReadouts::cameraTemperatureStateChanged, this,
            &CHXInspectionScreenController::checkCameraTemperatureState);
    }
    if (sessions) {
        connect(sessions, &Ulx::Communication::CSessionManager::stateChanged, this,
            &CHXInspectionScreenController::onConnectionStateChanged);
    }

    updateCurrentRecordingTime();
    updateRemainingSpace();
    // The screen connects to the warnings only after it has created the controller.
    QTimer::singleShot(0, this, &CHXInspectionScreenController::checkCameraTemperatureState);
    QTimer::singleShot(0, this, &CHXInspectionScreenController::checkMediaStorageState);
}

QString CHXInspectionScreenController::remainingSpace() const
{
    return m_remainingSpace;
}

QString CHXInspectionScreenController::currentRecordingTime() const
{
    return m_currentRecordingTime;
}

void CHXInspectionScreenController::startVideoRecording()
{
    if (auto* capture = CUlxSystemsLibrary::remoteMediaCapture())
        capture->startVideoRecording();
}

void CHXInspectionScreenController::stopVideoRecording()
{
    if (auto* capture = CUlxSystemsLibrary::remoteMediaCapture())
        capture->stopVideoRecording();
}

void CHXInspectionScreenController::takePhoto()
{
    if (auto* capture = CUlxSystemsLibrary::remoteMediaCapture())
        capture->capturePhoto();
}

QString CHXInspectionScreenController::formatRecordingTime(qint32 milliseconds)
{
    if (milliseconds == 0)
        return QString();
    // The whole time is rounded to seconds first, so 59.6 s read one minute and not
    // "00:00.60"; halves go away from zero.
    const qint64 totalSeconds = std::llround(milliseconds / 1000.0);
    const qint64 hours = static_cast<qint64>(std::floor(totalSeconds / 3600.0));
    const qint64 minutes = static_cast<qint64>(std::floor((totalSeconds % 3600) / 60.0));
    const qint64 seconds = totalSeconds % 60;
    return QStringLiteral("REC ") + twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char('.')
        + twoDigits(seconds);
}

void CHXInspectionScreenController::updateCurrentRecordingTime()
{
    auto* capture = CUlxSystemsLibrary::remoteMediaCapture();
    const QString time
        = capture ? formatRecordingTime(static_cast<qint32>(capture->videoRecordingTime())) : QString();
    if (time == m_currentRecordingTime)
        return;
    m_currentRecordingTime = time;
    emit currentRecordingTimeChanged();
}

void CHXInspectionScreenController::updateRemainingSpace()
{
    const QString prefix = text(QStringLiteral("SpaceRemaining"), QStringLiteral("Space Remaining:"))
        + QLatin1Char(' ');
    auto* storage = CUlxSystemsLibrary::remoteMediaStorage();
    const qint32 time = storage ? static_cast<qint32>(storage->remainingVideoRecordingTime()) : 0;
    QString space;
    if (time == 0) {
        space = prefix + QLatin1Char('-');
    } else {
        const double gigabytes = static_cast<double>(storage->remainingSize()) * (1.0 / (1024.0 * 1024.0 * 1024.0));
        const QString sizeText = QString::number(gigabytes, 'f', 2) + QStringLiteral(" GB");
        const int hours = static_cast<int>(std::floor(time / 3600000.0));
        const int minutes = static_cast<int>(std::floor((time % 3600000) / 60000.0));
        const QString hoursText = hours < 0 ? QString() : QString::number(hours) + QLatin1Char('h');
        const QString minutesText = QString::number(minutes) + QStringLiteral("min");
        space = prefix + sizeText + QStringLiteral(" (") + hoursText + QLatin1Char(' ') + minutesText
            + QLatin1Char(')');
    }
    if (space == m_remainingSpace)
        return;
    m_remainingSpace = space;
    emit remainingSpaceChanged();
}

void CHXInspectionScreenController::checkCameraTemperatureState()
{
    auto* readouts = CUlxSystemsLibrary::systemReadouts();
    if (!readouts || readouts->cameraTemperatureState() != Ulx::SystemTypes::TemperatureStateTooHigh)
        return;
    if (m_temperatureWarningShown)
        return;
    m_temperatureWarningShown = true;
    emit temperatureWarningOccurred();
}

void CHXInspectionScreenController::checkMediaStorageState()
{
    auto* storage = CUlxSystemsLibrary::remoteMediaStorage();
    if (!storage)
        return;
    const MediaStorageState state = storage->storageState();
    if (state == m_lastStorageState)
        return;
    m_lastStorageState = state;
    const QString message = TranslationHelper::mediaStorageStateMessage(state);
    if (!message.isEmpty())
        emit mediaStorageWarningOccurred(message);
}

void CHXInspectionScreenController::onConnectionStateChanged()
{
    auto* sessions = CUlxSystemsLibrary::sessionManager();
    if (!sessions)
        return;
    switch (sessions->state()) {
    case Ulx::CommunicationTypes::ConnectionOffline:
    case Ulx::CommunicationTypes::ConnectionShuttingDown:
    case Ulx::CommunicationTypes::ConnectionReestablishing:
        // A new connection may bring a missing card or a hot camera again: warn anew.
        m_lastStorageState = Ulx::RemoteMediaTypes::MediaStorageReady;
        m_temperatureWarningShown = false;
        break;
    case Ulx::CommunicationTypes::ConnectionOnline:
        // The camera may have been hot or without a card before the link went and still be:
        // its states then do not change, and the new connection warns all the same.
        checkCameraTemperatureState();
        checkMediaStorageState();
        break;
    case Ulx::CommunicationTypes::ConnectionEstablishing:
        break;
    }
}

void CHXInspectionScreenController::onPhotoCaptured(QString fileName)
{
    addPhotoToCurrentSurvey(fileName, createImageMetaData());
}
