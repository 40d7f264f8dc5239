#include "CSettings.h"

#include "CSettingsStoreService.h"
#include "PathHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace {

const char kGroup[] = "Settings";
const char kDefaultDateFormat[] = "MM/dd/yyyy";

QString decodePassword(const QVariant& stored)
{
    if (stored.isNull())
        return QString();
    QByteArray bytes = QByteArray::fromBase64(stored.toString().toLatin1());
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

QString encodePassword(const QString& password)
{
    return QString::fromLatin1(password.toUtf8().toBase64());
}

QColor colorFrom(const QVariant& stored)
{
    QColor color;
    color.setNamedColor(stored.toString());
    return color;
}

} // namespace

CSettings::CSettings(QObject* parent)
    : QObject(parent)
    , m_freshStart(true)
    , m_localeName(QStringLiteral("en_US"))
    , m_headline1Text(QStringLiteral("Culvertix"))
    , m_headline2Text(QStringLiteral("Culvertix pipe inspection by Tovrin"))
    , m_headline3Text(QStringLiteral("See what lies beneath"))
    , m_overlayTextColor(QColor(255, 255, 255))
    , m_overlayBackgroundColor(QColor(0, 0, 128))
    , m_textPlacement(TextPlacementTop)
    , m_textAlignment(TextAlignmentLeft)
    , m_showDateTime(true)
    , m_showInclination(true)
    , m_showLightIntensity(true)
    , m_showZoomFactor(true)
    , m_showGeoCoordinates(true)
    , m_showDistanceMeasurement(true)
    , m_useImperialUnits(true)
    , m_zoomByDoubleTap(false)
    , m_activeWifiInterface(QString())
    , m_use24hTime(false)
    , m_dateFormat(QStringLiteral("MM/dd/yyyy"))
    , m_videoScaling(VideoScalingFitToScreen)
    , m_writeMultimediaLogFile(false)
    , m_useSoftwareDecoding(false)
    , m_photoFileFormat(PhotoFileFormatPNG)
    , m_geoTagPhotos(false)
    , m_commentPhotos(false)
    , m_webUserName(QString())
    , m_webPassword(QString())
    , m_autoPauseDelay(60)
    , m_useSystemMediaGallery(true)
    , m_distanceMeasurement(DistanceMeasurementLaser)
    , m_showLaserWarningMessage(true)
    , m_showHeadline1Text(true)
    , m_showHeadline2Text(true)
    , m_showHeadline3Text(true)
    , m_showProjectName(true)
    , m_showSurveyName(true)
    , m_logoPlacement(LogoPlacementTop)
    , m_logoAlignment(LogoAlignmentRight)
    , m_showOverlayLogo(true)
    , m_overlayLogoFileName(QString())
    , m_defaultOperatorName(QString())
    , m_showDistanceCounter(true)
    , m_showPhotoEditorFileOverwriteWarning(true)
    , m_enableZephiraPressureAlarm(false)
    , m_coordinateFormat(1)
    , m_workType(WorkWithDefaultDirectories)
    , m_customProjectFolder(queryProjectRootPath())
    , m_customPhotoFolder(queryProjectRootPath())
    , m_customVideoFolder(queryProjectRootPath())
    , m_lastUpdateIgnoredVersion(QString())
    , m_downloadAllMedia(false)
    , m_doNotRemindAboutAllMediaDownload(false)
    , m_storageMigrationDone(false)
    , m_storageMigrationReminderActive(true)
{
    qRegisterMetaType<CSettingsStore::Result>("CSettingsStore::Result");
}

CSettings::~CSettings() = default;

QStringList CSettings::languageNames()
{
    static const QStringList names = {
        QStringLiteral("Čeština"), QStringLiteral("Dansk"), QStringLiteral("Deutsch"), QStringLiteral("English"),
        QStringLiteral("Español"), QStringLiteral("Français"), QStringLiteral("Hrvatski"), QStringLiteral("Italiano"),
        QStringLiteral("Magyar"), QStringLiteral("Nederlands"), QStringLiteral("Polski"), QStringLiteral("Русский"),
        QStringLiteral("Slovenčina"), QStringLiteral("Slovenščina"), QStringLiteral("Türkçe")};
    return names;
}

QStringList CSettings::localeCodes()
{
    static const QStringList codes = {
        QStringLiteral("cs_CZ"), QStringLiteral("da_DK"), QStringLiteral("de_DE"), QStringLiteral("en_US"),
        QStringLiteral("es_ES"), QStringLiteral("fr_FR"), QStringLiteral("hr_HR"), QStringLiteral("it_IT"),
        QStringLiteral("hu_HU"), QStringLiteral("nl_NL"), QStringLiteral("pl_PL"), QStringLiteral("ru_RU"),
        QStringLiteral("sk_SK"), QStringLiteral("sl_SI"), QStringLiteral("tr_TR")};
    return codes;
}

QStringList CSettings::supportedDateFormats()
{
    static const QStringList formats = {
        QStringLiteral("dd/MM/yyyy"), QStringLiteral("dd-MM-yyyy"), QStringLiteral("dd.MM.yyyy"),
        QStringLiteral("MM/dd/yyyy"), QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy.MM.dd")};
    return formats;
}

bool CSettings::freshStart() const
{
    return m_freshStart;
}

QString CSettings::localeName() const
{
    return m_localeName;
}

QString CSettings::headline1Text() const
{
    return m_headline1Text;
}

QString CSettings::headline2Text() const
{
    return m_headline2Text;
}

QString CSettings::headline3Text() const
{
    return m_headline3Text;
}

QColor CSettings::overlayTextColor() const
{
    return m_overlayTextColor;
}

QColor CSettings::overlayBackgroundColor() const
{
    return m_overlayBackgroundColor;
}

CSettings::TextPlacement CSettings::textPlacement() const
{
    return m_textPlacement;
}

CSettings::TextAlignment CSettings::textAlignment() const
{
    return m_textAlignment;
}

bool CSettings::showDateTime() const
{
    return m_showDateTime;
}

bool CSettings::showInclination() const
{
    return m_showInclination;
}

bool CSettings::showLightIntensity() const
{
    return m_showLightIntensity;
}

bool CSettings::showZoomFactor() const
{
    return m_showZoomFactor;
}

bool CSettings::showGeoCoordinates() const
{
    return m_showGeoCoordinates;
}

bool CSettings::showDistanceMeasurement() const
{
    return m_showDistanceMeasurement;
}

bool CSettings::useImperialUnits() const
{
    return m_useImperialUnits;
}

bool CSettings::zoomByDoubleTap() const
{
    return m_zoomByDoubleTap;
}

QString CSettings::activeWifiInterface() const
{
    return m_activeWifiInterface;
}

bool CSettings::use24hTime() const
{
    return m_use24hTime;
}

QString CSettings::dateFormat() const
{
    return m_dateFormat;
}

CSettings::VideoScaling CSettings::videoScaling() const
{
    return m_videoScaling;
}

bool CSettings::writeMultimediaLogFile() const
{
    return m_writeMultimediaLogFile;
}

bool CSettings::useSoftwareDecoding() const
{
    return m_useSoftwareDecoding;
}

CSettings::PhotoFileFormat CSettings::photoFileFormat() const
{
    return m_photoFileFormat;
}

bool CSettings::geoTagPhotos() const
{
    return m_geoTagPhotos;
}

bool CSettings::commentPhotos() const
{
    return m_commentPhotos;
}

QString CSettings::webUserName() const
{
    return m_webUserName;
}

QString CSettings::webPassword() const
{
    return m_webPassword;
}

int CSettings::autoPauseDelay() const
{
    return m_autoPauseDelay;
}

bool CSettings::useSystemMediaGallery() const
{
    return m_useSystemMediaGallery;
}

CSettings::DistanceMeasurement CSettings::distanceMeasurement() const
{
    return m_distanceMeasurement;
}

bool CSettings::showLaserWarningMessage() const
{
    return m_showLaserWarningMessage;
}

bool CSettings::showHeadline1Text() const
{
    return m_showHeadline1Text;
}

bool CSettings::showHeadline2Text() const
{
    return m_showHeadline2Text;
}

bool CSettings::showHeadline3Text() const
{
    return m_showHeadline3Text;
}

bool CSettings::showProjectName() const
{
    return m_showProjectName;
}

bool CSettings::showSurveyName() const
{
    return m_showSurveyName;
}

CSettings::LogoPlacement CSettings::logoPlacement() const
{
    return m_logoPlacement;
}

CSettings::LogoAlignment CSettings::logoAlignment() const
{
    return m_logoAlignment;
}

bool CSettings::showOverlayLogo() const
{
    return m_showOverlayLogo;
}

QString CSettings::overlayLogoFileName() const
{
    return m_overlayLogoFileName;
}

QString CSettings::defaultOperatorName() const
{
    return m_defaultOperatorName;
}

bool CSettings::showDistanceCounter() const
{
    return m_showDistanceCounter;
}

bool CSettings::showPhotoEditorFileOverwriteWarning() const
{
    return m_showPhotoEditorFileOverwriteWarning;
}

bool CSettings::enableZephiraPressureAlarm() const
{
    return m_enableZephiraPressureAlarm;
}

int CSettings::coordinateFormat() const
{
    return m_coordinateFormat;
}

CSettings::WorkType CSettings::workType() const
{
    return m_workType;
}

QString CSettings::customProjectFolder() const
{
    return m_customProjectFolder;
}

QString CSettings::customPhotoFolder() const
{
    return m_customPhotoFolder;
}

QString CSettings::customVideoFolder() const
{
    return m_customVideoFolder;
}

bool CSettings::projectMode() const
{
    return static_cast<unsigned>(m_workType) <= 1u;
}

QString CSettings::lastUpdateIgnoredVersion() const
{
    return m_lastUpdateIgnoredVersion;
}

bool CSettings::downloadAllMedia() const
{
    return m_downloadAllMedia;
}

bool CSettings::doNotRemindAboutAllMediaDownload() const
{
    return m_doNotRemindAboutAllMediaDownload;
}

bool CSettings::storageMigrationDone() const
{
    return m_storageMigrationDone;
}

bool CSettings::storageMigrationReminderActive() const
{
    return m_storageMigrationReminderActive;
}

void CSettings::setFreshStart(bool value)
{
    if (m_freshStart == value)
        return;
    m_freshStart = value;
    emit freshStartChanged();
}

void CSettings::setLocaleName(const QString& value)
{
    if (m_localeName == value)
        return;
    m_localeName = value;
    emit localeNameChanged();
}

void CSettings::setHeadline1Text(const QString& value)
{
    if (m_headline1Text == value)
        return;
    m_headline1Text = value;
    emit headline1TextChanged();
}

void CSettings::setHeadline2Text(const QString& value)
{
    if (m_headline2Text == value)
        return;
    m_headline2Text = value;
    emit headline2TextChanged();
}

void CSettings::setHeadline3Text(const QString& value)
{
    if (m_headline3Text == value)
        return;
    m_headline3Text = value;
    emit headline3TextChanged();
}

void CSettings::setOverlayTextColor(const QColor& value)
{
    if (m_overlayTextColor == value)
        return;
    m_overlayTextColor = value;
    emit overlayTextColorChanged();
}

void CSettings::setOverlayBackgroundColor(const QColor& value)
{
    if (m_overlayBackgroundColor == value)
        return;
    m_overlayBackgroundColor = value;
    emit overlayBackgroundColorChanged();
}

void CSettings::setTextPlacement(TextPlacement value)
{
    if (m_textPlacement == value)
        return;
    m_textPlacement = value;
    emit textPlacementChanged();
}

void CSettings::setTextAlignment(TextAlignment value)
{
    if (m_textAlignment == value)
        return;
    m_textAlignment = value;
    emit textAlignmentChanged();
}

void CSettings::setShowDateTime(bool value)
{
    if (m_showDateTime == value)
        return;
    m_showDateTime = value;
    emit showDateTimeChanged();
}

void CSettings::setShowInclination(bool value)
{
    if (m_showInclination == value)
        return;
    m_showInclination = value;
    emit showInclinationChanged();
}

void CSettings::setShowLightIntensity(bool value)
{
    if (m_showLightIntensity == value)
        return;
    m_showLightIntensity = value;
    emit showLightIntensityChanged();
}

void CSettings::setShowZoomFactor(bool value)
{
    if (m_showZoomFactor == value)
        return;
    m_showZoomFactor = value;
    emit showZoomFactorChanged();
}

void CSettings::setShowGeoCoordinates(bool value)
{
    if (m_showGeoCoordinates == value)
        return;
    m_showGeoCoordinates = value;
    emit showGeoCoordinatesChanged();
}

void CSettings::setShowDistanceMeasurement(bool value)
{
    if (m_showDistanceMeasurement == value)
        return;
    m_showDistanceMeasurement = value;
    emit showDistanceMeasurementChanged();
}

void CSettings::setUseImperialUnits(bool value)
{
    if (m_useImperialUnits == value)
        return;
    m_useImperialUnits = value;
    emit useImperialUnitsChanged();
}

void CSettings::setZoomByDoubleTap(bool value)
{
    if (m_zoomByDoubleTap == value)
        return;
    m_zoomByDoubleTap = value;
    emit zoomByDoubleTapChanged();
}

void CSettings::setActiveWifiInterface(const QString& value)
{
    if (m_activeWifiInterface == value)
        return;
    m_activeWifiInterface = value;
    emit activeWifiInterfaceChanged();
}

void CSettings::setUse24hTime(bool value)
{
    if (m_use24hTime == value)
        return;
    m_use24hTime = value;
    emit use24hTimeChanged();
}

void CSettings::setDateFormat(const QString& value)
{
    if (m_dateFormat == value)
        return;
    m_dateFormat = value;
    emit dateFormatChanged();
}

void CSettings::setVideoScaling(VideoScaling value)
{
    if (m_videoScaling == value)
        return;
    m_videoScaling = value;
    emit videoScalingChanged();
}

void CSettings::setWriteMultimediaLogFile(bool value)
{
    if (m_writeMultimediaLogFile == value)
        return;
    m_writeMultimediaLogFile = value;
    emit writeMultimediaLogFileChanged();
}

void CSettings::setUseSoftwareDecoding(bool value)
{
    if (m_useSoftwareDecoding == value)
        return;
    m_useSoftwareDecoding = value;
    emit useSoftwareDecodingChanged();
}

void CSettings::setPhotoFileFormat(PhotoFileFormat value)
{
    if (m_photoFileFormat == value)
        return;
    m_photoFileFormat = value;
    emit photoFileFormatChanged();
}

void CSettings::setGeoTagPhotos(bool value)
{
    if (m_geoTagPhotos == value)
        return;
    m_geoTagPhotos = value;
    emit geoTagPhotosChanged();
}

void CSettings::setCommentPhotos(bool value)
{
    if (m_commentPhotos == value)
        return;
    m_commentPhotos = value;
    emit commentPhotosChanged();
}

void CSettings::setWebUserName(const QString& value)
{
    if (m_webUserName == value)
        return;
    m_webUserName = value;
    emit webUserNameChanged();
}

void CSettings::setWebPassword(const QString& value)
{
    if (m_webPassword == value)
        return;
    m_webPassword = value;
    emit webPasswordChanged();
}

void CSettings::setAutoPauseDelay(int value)
{
    if (m_autoPauseDelay == value)
        return;
    m_autoPauseDelay = value;
    emit autoPauseDelayChanged();
}

void CSettings::setUseSystemMediaGallery(bool value)
{
    if (m_useSystemMediaGallery == value)
        return;
    m_useSystemMediaGallery = value;
    emit useSystemMediaGalleryChanged();
}

void CSettings::setDistanceMeasurement(DistanceMeasurement value)
{
    if (m_distanceMeasurement == value)
        return;
    m_distanceMeasurement = value;
    emit distanceMeasurementChanged();
}

void CSettings::setShowLaserWarningMessage(bool value)
{
    if (m_showLaserWarningMessage == value)
        return;
    m_showLaserWarningMessage = value;
    emit showLaserWarningMessageChanged();
}

void CSettings::setShowHeadline1Text(bool value)
{
    if (m_showHeadline1Text == value)
        return;
    m_showHeadline1Text = value;
    emit showHeadline1TextChanged();
}

void CSettings::setShowHeadline2Text(bool value)
{
    if (m_showHeadline2Text == value)
        return;
    m_showHeadline2Text = value;
    emit showHeadline2TextChanged();
}

void CSettings::setShowHeadline3Text(bool value)
{
    if (m_showHeadline3Text == value)
        return;
    m_showHeadline3Text = value;
    emit showHeadline3TextChanged();
}

void CSettings::setShowProjectName(bool value)
{
    if (m_showProjectName == value)
        return;
    m_showProjectName = value;
    emit showProjectNameChanged();
}

void CSettings::setShowSurveyName(bool value)
{
    if (m_showSurveyName == value)
        return;
    m_showSurveyName = value;
    emit showSurveyNameChanged();
}

void CSettings::setLogoPlacement(LogoPlacement value)
{
    if (m_logoPlacement == value)
        return;
    m_logoPlacement = value;
    emit logoPlacementChanged();
}

void CSettings::setLogoAlignment(LogoAlignment value)
{
    if (m_logoAlignment == value)
        return;
    m_logoAlignment = value;
    emit logoAlignmentChanged();
}

void CSettings::setShowOverlayLogo(bool value)
{
    if (m_showOverlayLogo == value)
        return;
    m_showOverlayLogo = value;
    emit showOverlayLogoChanged();
}

void CSettings::setOverlayLogoFileName(const QString& value)
{
    if (m_overlayLogoFileName == value)
        return;
    m_overlayLogoFileName = value;
    emit overlayLogoFileNameChanged();
}

void CSettings::setDefaultOperatorName(const QString& value)
{
    if (m_defaultOperatorName == value)
        return;
    m_defaultOperatorName = value;
    emit defaultOperatorNameChanged();
}

void CSettings::setShowDistanceCounter(bool value)
{
    if (m_showDistanceCounter == value)
        return;
    m_showDistanceCounter = value;
    emit showDistanceCounterChanged();
}

void CSettings::setShowPhotoEditorFileOverwriteWarning(bool value)
{
    if (m_showPhotoEditorFileOverwriteWarning == value)
        return;
    m_showPhotoEditorFileOverwriteWarning = value;
    emit showPhotoEditorFileOverwriteWarningChanged();
}

void CSettings::setEnableZephiraPressureAlarm(bool value)
{
    if (m_enableZephiraPressureAlarm == value)
        return;
    m_enableZephiraPressureAlarm = value;
    emit enableZephiraPressureAlarmChanged();
}

void CSettings::setCoordinateFormat(int value)
{
    if (m_coordinateFormat == value)
        return;
    m_coordinateFormat = value;
    emit coordinateFormatChanged();
}

void CSettings::setWorkType(WorkType value)
{
    if (m_workType == value)
        return;
    m_workType = value;
    emit workTypeChanged();
    emit projectModeChanged();
}

void CSettings::setCustomProjectFolder(const QString& value)
{
    if (m_customProjectFolder == value)
        return;
    m_customProjectFolder = value;
    emit customProjectFolderChanged();
}

void CSettings::setCustomPhotoFolder(const QString& value)
{
    if (m_customPhotoFolder == value)
        return;
    m_customPhotoFolder = value;
    emit customPhotoFolderChanged();
}

void CSettings::setCustomVideoFolder(const QString& value)
{
    if (m_customVideoFolder == value)
        return;
    m_customVideoFolder = value;
    emit customVideoFolderChanged();
}

void CSettings::setLastUpdateIgnoredVersion(const QString& value)
{
    if (m_lastUpdateIgnoredVersion == value)
        return;
    m_lastUpdateIgnoredVersion = value;
    emit lastUpdateIgnoredVersionChanged();
}

void CSettings::setDownloadAllMedia(bool value)
{
    // Only the web screens read this flag, when they need it: no signal.
    m_downloadAllMedia = value;
}

void CSettings::setDoNotRemindAboutAllMediaDownload(bool value)
{
    m_doNotRemindAboutAllMediaDownload = value;
    emit doNotRemindAboutAllMediaDownloadChanged();
}

void CSettings::setStorageMigrationDone(bool value)
{
    m_storageMigrationDone = value;
    emit storageMigrationDoneChanged();
}

void CSettings::setStorageMigrationReminderActive(bool value)
{
    m_storageMigrationReminderActive = value;
    emit storageMigrationReminderActiveChanged();
}

void CSettings::preserveUnreadableStore(const QString& fileName)
{
    // A later save rewrites the file; keep the unreadable original beside it.
    const QString copy = fileName + QStringLiteral(".unreadable");
    if (!QFile::exists(copy) && QFile::copy(fileName, copy))
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("CulvertixApplication"),
                            QStringLiteral("Settings store could not be read, kept a copy as"), {copy});
}

void CSettings::load()
{
    // A copy that a save left when the program ended in its middle holds the password; one
    // that a save of this run is writing stays.
    if (!CSettingsStoreService::writesPending())
        CSettingsStore::sweepAbandonedCopies();
    // Made private before it is first read, not only at the next save: a store left readable by
    // others would stay so for the whole run, and for good after a crash.
    CSettingsStore::secure(CSettingsStore::fileName(), false);
    // QSettings would wait on this thread for a pipe's writer for ever: no window would come.
    if (!CSettingsStore::mayBeRead(CSettingsStore::fileName()))
        return;
    QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
    if (store.status() == QSettings::FormatError)
        preserveUnreadableStore(store.fileName());
    store.beginGroup(QLatin1String(kGroup));
    if (store.value(QStringLiteral("Version")).toInt() != 1) {
        store.endGroup();
        return;
    }
    setFreshStart(false);

    setLocaleName(store.value(QStringLiteral("LocaleName"), QStringLiteral("en_US")).toString());
    setActiveWifiInterface(store.value(QStringLiteral("ActiveWifiInterface")).toString());
    setHeadline1Text(store.value(QStringLiteral("Headline1")).toString());
    setHeadline2Text(store.value(QStringLiteral("Headline2")).toString());
    setHeadline3Text(store.value(QStringLiteral("Headline3")).toString());
    {
        const QString path = store.value(QStringLiteral("CustomProjectFolder")).toString();
        if (QFile::exists(path))
            setCustomProjectFolder(path);
    }
    {
        const QString path = store.value(QStringLiteral("CustomPhotoFolder")).toString();
        if (QFile::exists(path))
            setCustomPhotoFolder(path);
    }
    {
        const QString path = store.value(QStringLiteral("CustomVideoFolder")).toString();
        if (QFile::exists(path))
            setCustomVideoFolder(path);
    }
    {
        const QString format = store.value(QStringLiteral("DateFormat"), QStringLiteral("MM/dd/yyyy")).toString();
        setDateFormat(supportedDateFormats().contains(format) ? format : QString::fromLatin1(kDefaultDateFormat));
    }
    setWebUserName(store.value(QStringLiteral("WebUserName")).toString());
    {
        const QString path = store.value(QStringLiteral("OverlayLogoFileName")).toString();
        if (QFile::exists(path))
            setOverlayLogoFileName(path);
    }
    setDefaultOperatorName(store.value(QStringLiteral("DefaultOperatorName")).toString());
    setWebPassword(decodePassword(store.value(QStringLiteral("WebPassword"))));
    setOverlayTextColor(colorFrom(store.value(QStringLiteral("OverlayTextColor"))));
    setOverlayBackgroundColor(colorFrom(store.value(QStringLiteral("OverlayBackgroundColor"))));
    setAutoPauseDelay(store.value(QStringLiteral("AutoPauseDelay")).toInt());
    setTextPlacement(static_cast<TextPlacement>(store.value(QStringLiteral("OverlayTextPlacement")).toInt()));
    setTextAlignment(static_cast<TextAlignment>(store.value(QStringLiteral("OverlayTextAlignment")).toInt()));
    setLogoPlacement(static_cast<LogoPlacement>(store.value(QStringLiteral("OverlayLogoPlacement"), 0).toInt()));
    setLogoAlignment(static_cast<LogoAlignment>(store.value(QStringLiteral("OverlayLogoAlignment"), 1).toInt()));
    setVideoScaling(static_cast<VideoScaling>(store.value(QStringLiteral("VideoScaling")).toInt()));
    setPhotoFileFormat(static_cast<PhotoFileFormat>(store.value(QStringLiteral("PhotoFileFormat")).toInt()));
    setDistanceMeasurement(static_cast<DistanceMeasurement>(store.value(QStringLiteral("DistanceMeasurement"), 1).toInt()));
    setCoordinateFormat(store.value(QStringLiteral("CoordinateFormat"), 1).toInt());
    setShowDateTime(store.value(QStringLiteral("ShowDateTime")).toBool());
    setShowInclination(store.value(QStringLiteral("ShowInclination")).toBool());
    setShowLightIntensity(store.value(QStringLiteral("ShowLightIntensity")).toBool());
    setShowZoomFactor(store.value(QStringLiteral("ShowZoomFactor")).toBool());
    setShowGeoCoordinates(store.value(QStringLiteral("ShowGeoCoordinates")).toBool());
    setShowDistanceMeasurement(store.value(QStringLiteral("ShowDistanceMeasurement")).toBool());
    setUseImperialUnits(store.value(QStringLiteral("UseImperialUnits")).toBool());
    setZoomByDoubleTap(store.value(QStringLiteral("ZoomByDoubleTap")).toBool());
    setUse24hTime(store.value(QStringLiteral("Use24hTime")).toBool());
    setWriteMultimediaLogFile(store.value(QStringLiteral("WriteMultimediaLogFile")).toBool());
    setUseSoftwareDecoding(store.value(QStringLiteral("UseSoftwareDecoding")).toBool());
    setGeoTagPhotos(store.value(QStringLiteral("GeoTagPhotos")).toBool());
    setCommentPhotos(store.value(QStringLiteral("CommentPhotos")).toBool());
    setUseSystemMediaGallery(store.value(QStringLiteral("UseSystemMediaGallery"), true).toBool());
    setShowLaserWarningMessage(store.value(QStringLiteral("ShowLaserWarningMessage"), true).toBool());
    setShowHeadline1Text(store.value(QStringLiteral("ShowHeadline1Text"), true).toBool());
    setShowHeadline2Text(store.value(QStringLiteral("ShowHeadline2Text"), true).toBool());
    setShowHeadline3Text(store.value(QStringLiteral("ShowHeadline3Text"), true).toBool());
    setShowProjectName(store.value(QStringLiteral("ShowProjectName"), true).toBool());
    setShowSurveyName(store.value(QStringLiteral("ShowSurveyName"), true).toBool());
    setShowOverlayLogo(store.value(QStringLiteral("ShowOverlayLogo"), true).toBool());
    setShowDistanceCounter(store.value(QStringLiteral("ShowDistanceCounter"), true).toBool());
    setShowPhotoEditorFileOverwriteWarning(store.value(QStringLiteral("ShowPhotoEditorFileOverwriteWarningMessage"), true).toBool());
    setEnableZephiraPressureAlarm(store.value(QStringLiteral("EnableZephiraPressureAlarm"), false).toBool());
    setWorkType(static_cast<WorkType>(store.value(QStringLiteral("WorkType"), 0).toInt()));
    setLastUpdateIgnoredVersion(store.value(QStringLiteral("DontRemind")).toString());
    setStorageMigrationDone(store.value(QStringLiteral("StorageMigrationDone")).toBool());
    setStorageMigrationReminderActive(store.value(QStringLiteral("StorageMigrationReminderActive")).toBool());
    store.endGroup();
}

uint CSettings::save()
{
    const CSettingsStore::Values values = {
        {QStringLiteral("ActiveWifiInterface"), m_activeWifiInterface},
        {QStringLiteral("LocaleName"), m_localeName},
        {QStringLiteral("Headline1"), m_headline1Text},
        {QStringLiteral("Headline2"), m_headline2Text},
        {QStringLiteral("Headline3"), m_headline3Text},
        {QStringLiteral("CustomProjectFolder"), m_customProjectFolder},
        {QStringLiteral("CustomPhotoFolder"), m_customPhotoFolder},
        {QStringLiteral("CustomVideoFolder"), m_customVideoFolder},
        {QStringLiteral("OverlayTextColor"), m_overlayTextColor.name()},
        {QStringLiteral("OverlayBackgroundColor"), m_overlayBackgroundColor.name()},
        {QStringLiteral("OverlayTextPlacement"), static_cast<int>(m_textPlacement)},
        {QStringLiteral("OverlayTextAlignment"), static_cast<int>(m_textAlignment)},
        {QStringLiteral("ShowDateTime"), m_showDateTime},
        {QStringLiteral("ShowInclination"), m_showInclination},
        {QStringLiteral("ShowLightIntensity"), m_showLightIntensity},
        {QStringLiteral("ShowZoomFactor"), m_showZoomFactor},
        {QStringLiteral("ShowGeoCoordinates"), m_showGeoCoordinates},
        {QStringLiteral("ShowDistanceMeasurement"), m_showDistanceMeasurement},
        {QStringLiteral("UseImperialUnits"), m_useImperialUnits},
        {QStringLiteral("ZoomByDoubleTap"), m_zoomByDoubleTap},
        {QStringLiteral("Use24hTime"), m_use24hTime},
        {QStringLiteral("DateFormat"), m_dateFormat},
        {QStringLiteral("VideoScaling"), static_cast<int>(m_videoScaling)},
        {QStringLiteral("WriteMultimediaLogFile"), m_writeMultimediaLogFile},
        {QStringLiteral("UseSoftwareDecoding"), m_useSoftwareDecoding},
        {QStringLiteral("PhotoFileFormat"), static_cast<int>(m_photoFileFormat)},
        {QStringLiteral("GeoTagPhotos"), m_geoTagPhotos},
        {QStringLiteral("CommentPhotos"), m_commentPhotos},
        {QStringLiteral("WebUserName"), m_webUserName},
        {QStringLiteral("WebPassword"), encodePassword(m_webPassword)},
        {QStringLiteral("AutoPauseDelay"), m_autoPauseDelay},
        {QStringLiteral("UseSystemMediaGallery"), m_useSystemMediaGallery},
        {QStringLiteral("DistanceMeasurement"), static_cast<int>(m_distanceMeasurement)},
        {QStringLiteral("ShowLaserWarningMessage"), m_showLaserWarningMessage},
        {QStringLiteral("ShowHeadline1Text"), m_showHeadline1Text},
        {QStringLiteral("ShowHeadline2Text"), m_showHeadline2Text},
        {QStringLiteral("ShowHeadline3Text"), m_showHeadline3Text},
        {QStringLiteral("ShowProjectName"), m_showProjectName},
        {QStringLiteral("ShowSurveyName"), m_showSurveyName},
        {QStringLiteral("OverlayLogoPlacement"), static_cast<int>(m_logoPlacement)},
        {QStringLiteral("OverlayLogoAlignment"), static_cast<int>(m_logoAlignment)},
        {QStringLiteral("ShowOverlayLogo"), m_showOverlayLogo},
        {QStringLiteral("OverlayLogoFileName"), m_overlayLogoFileName},
        {QStringLiteral("DefaultOperatorName"), m_defaultOperatorName},
        {QStringLiteral("ShowDistanceCounter"), m_showDistanceCounter},
        {QStringLiteral("ShowPhotoEditorFileOverwriteWarningMessage"), m_showPhotoEditorFileOverwriteWarning},
        {QStringLiteral("EnableZephiraPressureAlarm"), m_enableZephiraPressureAlarm},
        {QStringLiteral("CoordinateFormat"), m_coordinateFormat},
        {QStringLiteral("WorkType"), static_cast<int>(m_workType)},
        {QStringLiteral("DontRemind"), m_lastUpdateIgnoredVersion},
        {QStringLiteral("StorageMigrationDone"), m_storageMigrationDone},
        {QStringLiteral("StorageMigrationReminderActive"), m_storageMigrationReminderActive},
    };
    CSettingsStoreService* store = CSettingsStoreService::instance();
    connect(store, &CSettingsStoreService::groupWritten, this, &CSettings::onStoreGroupWritten, Qt::UniqueConnection);
    const uint taskId = store->writeGroup(QLatin1String(kGroup), values);
    m_saveTasks.insert(taskId);
    return taskId;
}

void CSettings::onStoreGroupWritten(uint taskId, CSettingsStore::Result result)
{
    if (!m_saveTasks.remove(taskId))
        return;
    if (result == CSettingsStore::Written)
        setFreshStart(false);
    emit saveFinished(taskId, result);
}
