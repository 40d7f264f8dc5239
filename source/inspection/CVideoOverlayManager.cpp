#include "inspection/CVideoOverlayManager.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "helpers/BoundedImageReader.h"
#include "helpers/DistanceUnits.h"
#include "helpers/FormattingHelpers.h"
#include "managers/CGeoPositionSourceManager.h"
#include "startup/CApplication.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyProject.h"

#include "CLogger.h"
#include "CUlxSystemsLibrary.h"
#include "communication/CSessionManager.h"
#include "systemcontrol/CSystemCaps.h"
#include "systemcontrol/CSystemControl.h"
#include "systemcontrol/CSystemReadouts.h"
#include "videooverlay/CVideoOverlayCaps.h"
#include "videooverlay/CVideoOverlayControl.h"
#include "videooverlay/CVideoOverlayImage.h"
#include "videooverlay/CVideoOverlayText.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QImageReader>
#include <QFile>
#include <QLocale>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

using Ulx::VideoOverlay::CVideoOverlayImage;
using Ulx::VideoOverlay::CVideoOverlayText;

namespace {

CVideoOverlayManager::Services applicationServices()
{
    CVideoOverlayManager::Services services;
    if (CApplication* application = qobject_cast<CApplication*>(QCoreApplication::instance())) {
        services.settings = application->settings();
        services.runtimeData = application->appRuntimeData();
        services.positionManager = application->geoPositionSourceManager();
    }
    return services;
}

const QString kNotAvailableDistance = QStringLiteral("Dist N/A");
const QString kNotAvailablePosition = QStringLiteral("Geo-Pos N/A");

} // namespace

CVideoOverlayManager::CVideoOverlayManager(Ulx::Communication::CSessionManager* sessionManager,
                                           Ulx::VideoOverlay::CVideoOverlayControl* videoOverlayControl,
                                           Ulx::VideoOverlay::CVideoOverlayCaps* videoOverlayCaps)
    : CVideoOverlayManager(sessionManager, videoOverlayControl, videoOverlayCaps, applicationServices())
{
}

CVideoOverlayManager::CVideoOverlayManager(Ulx::Communication::CSessionManager* sessionManager,
                                           Ulx::VideoOverlay::CVideoOverlayControl* videoOverlayControl,
                                           Ulx::VideoOverlay::CVideoOverlayCaps* videoOverlayCaps,
                                           const Services& services)
    : QObject(nullptr)
    , m_sessionManager(sessionManager)
    , m_videoOverlayControl(videoOverlayControl)
    , m_videoOverlayCaps(videoOverlayCaps)
    , m_services(services)
    , m_headline1(new CVideoOverlayText)
    , m_headline2(new CVideoOverlayText)
    , m_headline3(new CVideoOverlayText)
    , m_projectName(new CVideoOverlayText)
    , m_surveyName(new CVideoOverlayText)
    , m_dateTime(new CVideoOverlayText)
    , m_inclination(new CVideoOverlayText)
    , m_lightIntensity(new CVideoOverlayText)
    , m_zoomFactor(new CVideoOverlayText)
    , m_geoPosition1(new CVideoOverlayText)
    , m_geoPosition2(new CVideoOverlayText)
    , m_geoPosition3(new CVideoOverlayText)
    , m_distance(new CVideoOverlayText)
    , m_distanceCounter(new CVideoOverlayText)
    , m_logo(new CVideoOverlayImage)
{
    connectSignals();
    applyLogoSettings();
}

CVideoOverlayManager::~CVideoOverlayManager()
{
    m_refreshTimer.stop();
    // The items are plain values the overlay logics know by address; nothing is sent here.
    for (CVideoOverlayText* item : {m_headline1, m_headline2, m_headline3, m_projectName, m_surveyName, m_dateTime,
                                    m_inclination, m_lightIntensity, m_zoomFactor, m_geoPosition1, m_geoPosition2,
                                    m_geoPosition3, m_distance, m_distanceCounter})
        delete item;
    delete m_logo;
}

void CVideoOverlayManager::connectSignals()
{
    if (m_sessionManager)
        connect(m_sessionManager, &Ulx::Communication::CSessionManager::stateChanged, this,
                &CVideoOverlayManager::onSessionManagerStateChanged);
    if (m_videoOverlayCaps) {
        connect(m_videoOverlayCaps, &Ulx::VideoOverlay::CVideoOverlayCaps::overlaySupportedChanged, this,
                &CVideoOverlayManager::onOverlaySupportedChanged);
        connect(m_videoOverlayCaps, &Ulx::VideoOverlay::CVideoOverlayCaps::textBackgroundColorSupportedChanged, this,
                &CVideoOverlayManager::textBackgroundColorSupportedChanged);
        connect(m_videoOverlayCaps, &Ulx::VideoOverlay::CVideoOverlayCaps::graphicsSupportedChanged, this,
                &CVideoOverlayManager::graphicsSupportedChanged);
    }
    if (m_videoOverlayControl)
        connect(m_videoOverlayControl, &Ulx::VideoOverlay::CVideoOverlayControl::videoOverlayEnabledChanged, this,
                &CVideoOverlayManager::videoOverlayEnabledChanged);
    if (m_services.positionManager) {
        connect(m_services.positionManager, &CGeoPositionSourceManager::geoPositionUpdated, this,
                &CVideoOverlayManager::onGeoPositionUpdated);
        connect(m_services.positionManager, &CGeoPositionSourceManager::geoPositionUpdateTimeout, this,
                &CVideoOverlayManager::onGeoPositionUpdateTimeout);
    }
    if (m_services.settings) {
        connect(m_services.settings, &CSettings::showGeoCoordinatesChanged, this,
                &CVideoOverlayManager::updateGeoPositionTexts);
        connect(m_services.settings, &CSettings::coordinateFormatChanged, this,
                &CVideoOverlayManager::updateGeoPositionTexts);
    }
    if (m_services.runtimeData) {
        connect(m_services.runtimeData, &CAppRuntimeData::currentProjectChanged, this,
                &CVideoOverlayManager::onCurrentProjectChanged);
        connect(m_services.runtimeData, &CAppRuntimeData::currentSurveyChanged, this,
                &CVideoOverlayManager::onCurrentSurveyChanged);
    }
    if (Ulx::SystemControl::CSystemCaps* caps = Ulx::CUlxSystemsLibrary::systemCaps()) {
        using Caps = Ulx::SystemControl::CSystemCaps;
        connect(caps, &Caps::cameraLightControlTypeChanged, this, &CVideoOverlayManager::onSystemCapsChanged);
        connect(caps, &Caps::inclinationSensorAvailableChanged, this, &CVideoOverlayManager::onSystemCapsChanged);
        connect(caps, &Caps::distanceCounterAvailableChanged, this, &CVideoOverlayManager::onSystemCapsChanged);
        connect(caps, &Caps::distanceLaserAvailableChanged, this, &CVideoOverlayManager::onSystemCapsChanged);
        connect(caps, &Caps::cameraDistanceMeasurementAvailableChanged, this,
                &CVideoOverlayManager::onSystemCapsChanged);
    }
}

bool CVideoOverlayManager::videoOverlayAvailable() const
{
    return m_videoOverlayCaps && m_videoOverlayCaps->overlaySupported() && m_sessionManager
           && m_sessionManager->state() == Ulx::CommunicationTypes::ConnectionOnline;
}

bool CVideoOverlayManager::videoOverlayEnabled() const
{
    return m_videoOverlayControl && m_videoOverlayControl->videoOverlayEnabled();
}

void CVideoOverlayManager::setVideoOverlayEnabled(bool enabled)
{
    if (m_videoOverlayControl)
        m_videoOverlayControl->setVideoOverlayEnabled(enabled);
}

bool CVideoOverlayManager::textBackgroundColorSupported() const
{
    return m_videoOverlayCaps && m_videoOverlayCaps->textBackgroundColorSupported();
}

bool CVideoOverlayManager::graphicsSupported() const
{
    return m_videoOverlayCaps && m_videoOverlayCaps->graphicsSupported();
}

void CVideoOverlayManager::applySettings()
{
    const bool changed = applyLogoSettings();
    layoutItems();
    drawOverlay(changed);
}

void CVideoOverlayManager::onSystemCapsChanged()
{
    layoutItems();
    drawOverlay(false);
}

void CVideoOverlayManager::onOverlaySupportedChanged()
{
    updateOverlayActivity();
}

void CVideoOverlayManager::onSessionManagerStateChanged()
{
    updateOverlayActivity();
}

void CVideoOverlayManager::updateOverlayActivity()
{
    if (videoOverlayAvailable()) {
        applyScript();
        updateGeoPositionTexts();
        layoutItems();
        updateDynamicTexts();
        drawOverlay(true);
        if (!m_refreshTimer.isActive())
            m_refreshTimer.start(RefreshIntervalMs, this);
    } else {
        m_refreshTimer.stop();
    }
    emit videoOverlayAvailableChanged();
}

void CVideoOverlayManager::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_refreshTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    updateDynamicTexts();
    drawOverlay(false);
}

void CVideoOverlayManager::onCurrentProjectChanged()
{
    const SurveyProjectPtr project = m_services.runtimeData ? m_services.runtimeData->currentProject() : nullptr;
    m_projectNameText = project ? project->name() : QString();
    layoutItems();
}

void CVideoOverlayManager::onCurrentSurveyChanged()
{
    const SurveyPtr survey = m_services.runtimeData ? m_services.runtimeData->currentSurvey() : nullptr;
    if (!survey)
        m_surveyNameText.clear();
    else
        m_surveyNameText = survey->upstreamManhole() + directionMark(survey->inspectionDirection())
                           + survey->downstreamManhole();
    layoutItems();
}

QString CVideoOverlayManager::directionMark(int direction) const
{
    const bool unicode = m_videoOverlayCaps && m_videoOverlayCaps->unicodeTextSupported();
    switch (direction) {
    case ProjectTypes::SurveyDirectionInFlow:
        return unicode ? QStringLiteral(" -> ") : QStringLiteral(" - ");
    case ProjectTypes::SurveyDirectionAgainstFlow:
        return unicode ? QStringLiteral(" <- ") : QStringLiteral(" - ");
    default:
        return unicode ? QStringLiteral(" <?> ") : QStringLiteral(" ? ");
    }
}

void CVideoOverlayManager::applyScript()
{
    if (!m_videoOverlayControl || !m_services.settings)
        return;
    const QLocale locale(m_services.settings->localeName());
    m_videoOverlayControl->setScript(locale.script() == QLocale::CyrillicScript ? Ulx::VideoOverlayTypes::ScriptCyrillic
                                                                                : Ulx::VideoOverlayTypes::ScriptLatin);
}

void CVideoOverlayManager::alignColumn(CVideoOverlayText* item) const
{
    const bool right = m_services.settings && m_services.settings->textAlignment() == CSettings::TextAlignmentRight;
    if (!right || !m_videoOverlayCaps) {
        item->setColumn(0);
        return;
    }
    const int length = std::min(item->text().length(), m_videoOverlayCaps->maximumTextLength());
    item->setColumn(m_videoOverlayCaps->maximumColumnCount() - length);
}

void CVideoOverlayManager::layoutItems()
{
    CSettings* settings = m_services.settings;
    if (!settings)
        return;
    const Ulx::SystemControl::CSystemCaps* systemCaps = Ulx::CUlxSystemsLibrary::systemCaps();

    m_headline1->setText(settings->headline1Text());
    m_headline2->setText(settings->headline2Text());
    m_headline3->setText(settings->headline3Text());
    m_projectName->setText(m_projectNameText);
    m_surveyName->setText(m_surveyNameText);

    const QList<CVideoOverlayText*> all = {m_headline1, m_headline2, m_headline3, m_projectName, m_surveyName,
                                           m_dateTime, m_inclination, m_lightIntensity, m_zoomFactor, m_geoPosition1,
                                           m_geoPosition2, m_geoPosition3, m_distance, m_distanceCounter};
    for (CVideoOverlayText* item : all) {
        item->setTextColor(settings->overlayTextColor());
        item->setBackgroundColor(settings->overlayBackgroundColor());
    }

    const bool hasCaps = systemCaps != nullptr;
    m_headline1->setVisible(settings->showHeadline1Text() && !m_headline1->text().isEmpty());
    m_headline2->setVisible(settings->showHeadline2Text() && !m_headline2->text().isEmpty());
    m_headline3->setVisible(settings->showHeadline3Text() && !m_headline3->text().isEmpty());
    m_projectName->setVisible(settings->showProjectName() && !m_projectName->text().isEmpty());
    m_surveyName->setVisible(settings->showSurveyName() && !m_surveyName->text().isEmpty());
    m_dateTime->setVisible(settings->showDateTime());
    m_zoomFactor->setVisible(settings->showZoomFactor() && hasCaps && systemCaps->cameraZoomAvailable());
    m_lightIntensity->setVisible(settings->showLightIntensity() && hasCaps
                                 && systemCaps->cameraLightControlType() == Ulx::SystemTypes::LightControlTypeRange);
    m_inclination->setVisible(settings->showInclination() && hasCaps && systemCaps->inclinationSensorAvailable());
    m_distance->setVisible(settings->showDistanceMeasurement() && hasCaps
                           && (systemCaps->distanceLaserAvailable() || systemCaps->cameraDistanceMeasurementAvailable()));
    m_distanceCounter->setVisible(settings->showDistanceCounter() && hasCaps && systemCaps->distanceCounterAvailable());
    m_geoPosition1->setVisible(settings->showGeoCoordinates());
    m_geoPosition2->setVisible(settings->showGeoCoordinates());
    m_geoPosition3->setVisible(settings->showGeoCoordinates());

    // At the bottom the rows count upwards from the last one in the same sense of order, so the
    // block mirrors the top one: headline 3 takes the last row and headline 1 sits above it.
    const bool top = settings->textPlacement() == CSettings::TextPlacementTop;
    const QList<CVideoOverlayText*> walk =
        top ? QList<CVideoOverlayText*>{m_headline1, m_headline2, m_headline3, m_projectName, m_surveyName,
                                        m_dateTime, m_zoomFactor, m_lightIntensity, m_inclination, m_distance,
                                        m_distanceCounter, m_geoPosition1, m_geoPosition2, m_geoPosition3}
            : QList<CVideoOverlayText*>{m_headline3, m_headline2, m_headline1, m_projectName, m_surveyName,
                                        m_dateTime, m_zoomFactor, m_lightIntensity, m_inclination, m_distance,
                                        m_distanceCounter, m_geoPosition1, m_geoPosition2, m_geoPosition3};
    int row = top ? 0 : (m_videoOverlayCaps ? m_videoOverlayCaps->maximumRowCount() : 0) - 1;
    for (CVideoOverlayText* item : walk) {
        if (!item->visible())
            continue;
        item->setRow(row);
        row += top ? 1 : -1;
    }

    for (CVideoOverlayText* item : all)
        alignColumn(item);
}

void CVideoOverlayManager::updateDynamicTexts()
{
    CSettings* settings = m_services.settings;
    if (!settings)
        return;
    const Ulx::SystemControl::CSystemControl* control = Ulx::CUlxSystemsLibrary::systemControl();
    const Ulx::SystemControl::CSystemReadouts* readouts = Ulx::CUlxSystemsLibrary::systemReadouts();
    const bool unicode = m_videoOverlayCaps && m_videoOverlayCaps->unicodeTextSupported();
    const bool imperial = settings->useImperialUnits();

    auto update = [this](CVideoOverlayText* item, const QString& text) {
        if (!item->visible())
            return;
        item->setText(text);
        alignColumn(item);
    };

    if (m_dateTime->visible()) {
        const QDateTime now = QDateTime::currentDateTime();
        update(m_dateTime, now.date().toString(settings->dateFormat()) + QLatin1Char(' ')
                               + formatTime(now.time(), settings->use24hTime()));
    }
    if (m_zoomFactor->visible() && readouts)
        update(m_zoomFactor, formatZoomFactorValue(readouts->zoomFactor()));
    if (m_lightIntensity->visible() && control)
        update(m_lightIntensity,
               formatLightIntensityValue(control->lightIntensity(), control->lightBoosterEnabled(), unicode));
    if (m_inclination->visible() && readouts)
        update(m_inclination, formatInclinationValue(readouts->inclination(), unicode));
    update(m_geoPosition1, m_geoPositionText1);
    update(m_geoPosition2, m_geoPositionText2);
    update(m_geoPosition3, m_geoPositionText3);
    if (m_distance->visible()) {
        updateDistanceText();
        update(m_distance, m_distanceText);
    }
    if (m_distanceCounter->visible() && control) {
        const double counter = control->distanceCounter() * (imperial ? MetersToFeetFactor : 1.0);
        update(m_distanceCounter, formatDistanceValue(counter, imperial));
    }
}

void CVideoOverlayManager::updateDistanceText()
{
    CSettings* settings = m_services.settings;
    if (!settings)
        return;
    if (!settings->showDistanceMeasurement()) {
        m_distanceText.clear();
        return;
    }
    const Ulx::SystemControl::CSystemReadouts* readouts = Ulx::CUlxSystemsLibrary::systemReadouts();
    const bool imperial = settings->useImperialUnits();
    switch (settings->distanceMeasurement()) {
    case CSettings::DistanceMeasurementLaser:
        if (readouts && readouts->distanceLaserState() == Ulx::SystemTypes::DistanceLaserStateOn) {
            const double distance = readouts->laserDistance() * (imperial ? MetersToFeetFactor : 1.0);
            m_distanceText = QStringLiteral("Dist ") + formatDistanceValue(distance, imperial);
        } else {
            m_distanceText = kNotAvailableDistance;
        }
        break;
    case CSettings::DistanceMeasurementCamera:
        if (readouts && readouts->cameraDistanceRangesValid()) {
            double lower = readouts->cameraLowerDistanceRange();
            double upper = readouts->cameraUpperDistanceRange();
            if (imperial) {
                lower = convertMetersToDisplayFeet(lower);
                upper = convertMetersToDisplayFeet(upper);
            }
            m_distanceText = QStringLiteral("Dist %1..%2%3")
                                 .arg(qint64(std::trunc(lower)))
                                 .arg(qint64(std::trunc(upper)))
                                 .arg(imperial ? QStringLiteral("ft") : QStringLiteral("m"));
        } else {
            m_distanceText = kNotAvailableDistance;
        }
        break;
    default:
        break;
    }
}

void CVideoOverlayManager::updateGeoPositionTexts()
{
    CSettings* settings = m_services.settings;
    if (!settings || !settings->showGeoCoordinates()) {
        m_geoPositionText1.clear();
        m_geoPositionText2.clear();
        m_geoPositionText3.clear();
        return;
    }
    const QGeoPositionInfo last =
        m_services.positionManager ? m_services.positionManager->lastKnownPosition() : QGeoPositionInfo();
    if (last.isValid())
        onGeoPositionUpdated(last);
    else
        onGeoPositionUpdateTimeout();
}

void CVideoOverlayManager::onGeoPositionUpdated(QGeoPositionInfo info)
{
    CSettings* settings = m_services.settings;
    if (!settings)
        return;
    const bool unicode = m_videoOverlayCaps && m_videoOverlayCaps->unicodeTextSupported();
    const bool imperial = settings->useImperialUnits();
    const QGeoCoordinate coordinate = info.coordinate();
    m_geoPositionText1 = formatLongitudeValue(coordinate.longitude(), unicode, settings->coordinateFormat());
    m_geoPositionText2 = formatLatitudeValue(coordinate.latitude(), unicode, settings->coordinateFormat());
    m_geoPositionText3 = formatAltitudeValue(coordinate.altitude() * (imperial ? MetersToFeetFactor : 1.0), imperial);
}

void CVideoOverlayManager::onGeoPositionUpdateTimeout()
{
    m_geoPositionText1 = kNotAvailablePosition;
    m_geoPositionText2.clear();
    m_geoPositionText3.clear();
}

void CVideoOverlayManager::drawOverlay(bool withLogo)
{
    if (!m_videoOverlayControl)
        return;
    m_videoOverlayControl->beginUpdate();
    for (CVideoOverlayText* item : {m_headline1, m_headline2, m_headline3, m_projectName, m_surveyName, m_dateTime,
                                    m_zoomFactor, m_lightIntensity, m_inclination, m_geoPosition1, m_geoPosition2,
                                    m_geoPosition3, m_distance, m_distanceCounter})
        m_videoOverlayControl->drawText(*item);
    if (withLogo)
        m_videoOverlayControl->drawImage(*m_logo);
    m_videoOverlayControl->endUpdate();
}

bool CVideoOverlayManager::applyLogoSettings()
{
    CSettings* settings = m_services.settings;
    if (!settings)
        return false;
    const QString fileName = settings->overlayLogoFileName();
    const bool bottom = settings->logoPlacement() == CSettings::LogoPlacementBottom;
    const bool right = settings->logoAlignment() == CSettings::LogoAlignmentRight;
    const Ulx::VideoOverlayTypes::ImageAlignment alignment =
        bottom ? (right ? Ulx::VideoOverlayTypes::ImageAlignmentBottomRight : Ulx::VideoOverlayTypes::ImageAlignmentBottomLeft)
               : (right ? Ulx::VideoOverlayTypes::ImageAlignmentTopRight : Ulx::VideoOverlayTypes::ImageAlignmentTopLeft);
    const bool visibilityChanged = m_logo->visible() != settings->showOverlayLogo();
    const bool alignmentChanged = m_logo->alignment() != alignment;
    m_logo->setAlignment(alignment);
    m_logo->setVisible(settings->showOverlayLogo());

    if (fileName == m_logoFileName)
        return visibilityChanged || alignmentChanged;
    m_logoFileName = fileName;
    m_logo->setData(loadLogo(fileName));
    return true;
}

QImage CVideoOverlayManager::loadLogo(const QString& fileName)
{
    if (fileName.isEmpty())
        return QImage();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaximumLogoFileSize) {
        Tovrin::Logging::CLogger::logMessage(
            Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("CulvertixApplication"),
            QStringLiteral("Not using the overlay logo %1: %2")
                .arg(fileName, file.isOpen() ? QStringLiteral("its file is larger than %1 bytes").arg(MaximumLogoFileSize)
                                             : file.errorString()));
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(file.read(MaximumLogoFileSize));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // A few kilobytes may claim gigabytes of pixels: the claim is looked at before decoding.
    const QString refusal = BoundedImageReader::refusal(reader);
    if (!refusal.isEmpty()) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning,
                                             QStringLiteral("CulvertixApplication"),
                                             QStringLiteral("Not using the overlay logo %1: %2").arg(fileName, refusal));
        return QImage();
    }
    QImage image = reader.read();
    if (image.isNull())
        return QImage();
    if (image.width() > MaximumLogoWidth || image.height() > MaximumLogoHeight)
        image = image.scaled(MaximumLogoWidth, MaximumLogoHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
