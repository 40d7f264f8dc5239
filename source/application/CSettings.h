#pragma once

#include "CSettingsStore.h"

#include <QColor>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

// The user's persistent preferences. Setters compare, store and signal; nothing is written
// to the store until save() (the settings and initial set-up screens, and a quit from the
// start screen, call it). GUI thread; the store is written on its own thread
// (CSettingsStoreService).
class CSettings : public QObject
{
    Q_OBJECT

public:
    enum TextPlacement { TextPlacementTop = 0, TextPlacementBottom = 1 };
    Q_ENUM(TextPlacement)
    enum TextAlignment { TextAlignmentLeft = 0, TextAlignmentRight = 1 };
    Q_ENUM(TextAlignment)
    enum LogoPlacement { LogoPlacementTop = 0, LogoPlacementBottom = 1 };
    Q_ENUM(LogoPlacement)
    enum LogoAlignment { LogoAlignmentLeft = 0, LogoAlignmentRight = 1 };
    Q_ENUM(LogoAlignment)
    enum VideoScaling { VideoScalingFitToScreen = 0, VideoScalingOriginalSize = 1, VideoScalingFactorTwo = 2 };
    Q_ENUM(VideoScaling)
    enum PhotoFileFormat { PhotoFileFormatPNG = 0, PhotoFileFormatJPEG = 1 };
    Q_ENUM(PhotoFileFormat)
    enum DistanceMeasurement { DistanceMeasurementCamera = 0, DistanceMeasurementLaser = 1 };
    Q_ENUM(DistanceMeasurement)
    enum WorkType
    {
        WorkWithProjects = 0,
        WorkWithProjectsCustomRoot = 1,
        WorkWithDefaultDirectories = 2,
        WorkWithCustomDirectories = 3
    };
    Q_ENUM(WorkType)

    // One of the six coordinate text formats (0 to 5); deliberately a plain integer.
    using CoordinateFormat = int;

    Q_PROPERTY(bool freshStart READ freshStart NOTIFY freshStartChanged)
    Q_PROPERTY(QString localeName READ localeName WRITE setLocaleName NOTIFY localeNameChanged)
    Q_PROPERTY(QString headline1Text READ headline1Text WRITE setHeadline1Text NOTIFY headline1TextChanged)
    Q_PROPERTY(QString headline2Text READ headline2Text WRITE setHeadline2Text NOTIFY headline2TextChanged)
    Q_PROPERTY(QString headline3Text READ headline3Text WRITE setHeadline3Text NOTIFY headline3TextChanged)
    Q_PROPERTY(QColor overlayTextColor READ overlayTextColor WRITE setOverlayTextColor NOTIFY overlayTextColorChanged)
    Q_PROPERTY(QColor overlayBackgroundColor READ overlayBackgroundColor WRITE setOverlayBackgroundColor NOTIFY overlayBackgroundColorChanged)
    Q_PROPERTY(TextPlacement textPlacement READ textPlacement WRITE setTextPlacement NOTIFY textPlacementChanged)
    Q_PROPERTY(TextAlignment textAlignment READ textAlignment WRITE setTextAlignment NOTIFY textAlignmentChanged)
    Q_PROPERTY(bool showDateTime READ showDateTime WRITE setShowDateTime NOTIFY showDateTimeChanged)
    Q_PROPERTY(bool showInclination READ showInclination WRITE setShowInclination NOTIFY showInclinationChanged)
    Q_PROPERTY(bool showLightIntensity READ showLightIntensity WRITE setShowLightIntensity NOTIFY showLightIntensityChanged)
    Q_PROPERTY(bool showZoomFactor READ showZoomFactor WRITE setShowZoomFactor NOTIFY showZoomFactorChanged)
    Q_PROPERTY(bool showGeoCoordinates READ showGeoCoordinates WRITE setShowGeoCoordinates NOTIFY showGeoCoordinatesChanged)
    Q_PROPERTY(bool showDistanceMeasurement READ showDistanceMeasurement WRITE setShowDistanceMeasurement NOTIFY showDistanceMeasurementChanged)
    Q_PROPERTY(bool useImperialUnits READ useImperialUnits WRITE setUseImperialUnits NOTIFY useImperialUnitsChanged)
    Q_PROPERTY(bool zoomByDoubleTap READ zoomByDoubleTap WRITE setZoomByDoubleTap NOTIFY zoomByDoubleTapChanged)
    Q_PROPERTY(QString activeWifiInterface READ activeWifiInterface WRITE setActiveWifiInterface NOTIFY activeWifiInterfaceChanged)
    Q_PROPERTY(bool use24hTime READ use24hTime WRITE setUse24hTime NOTIFY use24hTimeChanged)
    Q_PROPERTY(QString dateFormat READ dateFormat WRITE setDateFormat NOTIFY dateFormatChanged)
    Q_PROPERTY(VideoScaling videoScaling READ videoScaling WRITE setVideoScaling NOTIFY videoScalingChanged)
    Q_PROPERTY(bool writeMultimediaLogFile READ writeMultimediaLogFile WRITE setWriteMultimediaLogFile NOTIFY writeMultimediaLogFileChanged)
    Q_PROPERTY(bool useSoftwareDecoding READ useSoftwareDecoding WRITE setUseSoftwareDecoding NOTIFY useSoftwareDecodingChanged)
    Q_PROPERTY(PhotoFileFormat photoFileFormat READ photoFileFormat WRITE setPhotoFileFormat NOTIFY photoFileFormatChanged)
    Q_PROPERTY(bool geoTagPhotos READ geoTagPhotos WRITE setGeoTagPhotos NOTIFY geoTagPhotosChanged)
    Q_PROPERTY(bool commentPhotos READ commentPhotos WRITE setCommentPhotos NOTIFY commentPhotosChanged)
    Q_PROPERTY(QString webUserName READ webUserName WRITE setWebUserName NOTIFY webUserNameChanged)
    Q_PROPERTY(QString webPassword READ webPassword WRITE setWebPassword NOTIFY webPasswordChanged)
    Q_PROPERTY(int autoPauseDelay READ autoPauseDelay WRITE setAutoPauseDelay NOTIFY autoPauseDelayChanged)
    Q_PROPERTY(bool useSystemMediaGallery READ useSystemMediaGallery WRITE setUseSystemMediaGallery NOTIFY useSystemMediaGalleryChanged)
    Q_PROPERTY(DistanceMeasurement distanceMeasurement READ distanceMeasurement WRITE setDistanceMeasurement NOTIFY distanceMeasurementChanged)
    Q_PROPERTY(bool showLaserWarningMessage READ showLaserWarningMessage WRITE setShowLaserWarningMessage NOTIFY showLaserWarningMessageChanged)
    Q_PROPERTY(bool showHeadline1Text READ showHeadline1Text WRITE setShowHeadline1Text NOTIFY showHeadline1TextChanged)
    Q_PROPERTY(bool showHeadline2Text READ showHeadline2Text WRITE setShowHeadline2Text NOTIFY showHeadline2TextChanged)
    Q_PROPERTY(bool showHeadline3Text READ showHeadline3Text WRITE setShowHeadline3Text NOTIFY showHeadline3TextChanged)
    Q_PROPERTY(bool showProjectName READ showProjectName WRITE setShowProjectName NOTIFY showProjectNameChanged)
    Q_PROPERTY(bool showSurveyName READ showSurveyName WRITE setShowSurveyName NOTIFY showSurveyNameChanged)
    Q_PROPERTY(LogoPlacement logoPlacement READ logoPlacement WRITE setLogoPlacement NOTIFY logoPlacementChanged)
    Q_PROPERTY(LogoAlignment logoAlignment READ logoAlignment WRITE setLogoAlignment NOTIFY logoAlignmentChanged)
    Q_PROPERTY(bool showOverlayLogo READ showOverlayLogo WRITE setShowOverlayLogo NOTIFY showOverlayLogoChanged)
    Q_PROPERTY(QString overlayLogoFileName READ overlayLogoFileName WRITE setOverlayLogoFileName NOTIFY overlayLogoFileNameChanged)
    Q_PROPERTY(QString defaultOperatorName READ defaultOperatorName WRITE setDefaultOperatorName NOTIFY defaultOperatorNameChanged)
    Q_PROPERTY(bool showDistanceCounter READ showDistanceCounter WRITE setShowDistanceCounter NOTIFY showDistanceCounterChanged)
    Q_PROPERTY(bool showPhotoEditorFileOverwriteWarning READ showPhotoEditorFileOverwriteWarning WRITE setShowPhotoEditorFileOverwriteWarning NOTIFY showPhotoEditorFileOverwriteWarningChanged)
    Q_PROPERTY(bool enableZephiraPressureAlarm READ enableZephiraPressureAlarm WRITE setEnableZephiraPressureAlarm NOTIFY enableZephiraPressureAlarmChanged)
    Q_PROPERTY(int coordinateFormat READ coordinateFormat WRITE setCoordinateFormat NOTIFY coordinateFormatChanged)
    Q_PROPERTY(WorkType workType READ workType WRITE setWorkType NOTIFY workTypeChanged)
    Q_PROPERTY(QString customProjectFolder READ customProjectFolder WRITE setCustomProjectFolder NOTIFY customProjectFolderChanged)
    Q_PROPERTY(QString customPhotoFolder READ customPhotoFolder WRITE setCustomPhotoFolder NOTIFY customPhotoFolderChanged)
    Q_PROPERTY(QString customVideoFolder READ customVideoFolder WRITE setCustomVideoFolder NOTIFY customVideoFolderChanged)
    Q_PROPERTY(bool projectMode READ projectMode NOTIFY projectModeChanged)
    Q_PROPERTY(QString lastUpdateIgnoredVersion READ lastUpdateIgnoredVersion WRITE setLastUpdateIgnoredVersion NOTIFY lastUpdateIgnoredVersionChanged)
    Q_PROPERTY(bool downloadAllMedia READ downloadAllMedia WRITE setDownloadAllMedia NOTIFY downloadAllMediaChanged)
    Q_PROPERTY(bool doNotRemindAboutAllMediaDownload READ doNotRemindAboutAllMediaDownload WRITE setDoNotRemindAboutAllMediaDownload NOTIFY doNotRemindAboutAllMediaDownloadChanged)
    Q_PROPERTY(bool storageMigrationDone READ storageMigrationDone WRITE setStorageMigrationDone NOTIFY storageMigrationDoneChanged)
    Q_PROPERTY(bool storageMigrationReminderActive READ storageMigrationReminderActive WRITE setStorageMigrationReminderActive NOTIFY storageMigrationReminderActiveChanged)

public:
    explicit CSettings(QObject* parent = nullptr);
    ~CSettings() override;

    void load();
    // Hands the values as they are now to the store's thread and returns at once, with the
    // save's task id; saveFinished() brings its result. Saves are written in the order asked.
    uint save();

    static QStringList languageNames();
    static QStringList localeCodes();
    static QStringList supportedDateFormats();

    bool freshStart() const;
    QString localeName() const;
    QString headline1Text() const;
    QString headline2Text() const;
    QString headline3Text() const;
    QColor overlayTextColor() const;
    QColor overlayBackgroundColor() const;
    TextPlacement textPlacement() const;
    TextAlignment textAlignment() const;
    bool showDateTime() const;
    bool showInclination() const;
    bool showLightIntensity() const;
    bool showZoomFactor() const;
    bool showGeoCoordinates() const;
    bool showDistanceMeasurement() const;
    bool useImperialUnits() const;
    bool zoomByDoubleTap() const;
    QString activeWifiInterface() const;
    bool use24hTime() const;
    QString dateFormat() const;
    VideoScaling videoScaling() const;
    bool writeMultimediaLogFile() const;
    bool useSoftwareDecoding() const;
    PhotoFileFormat photoFileFormat() const;
    bool geoTagPhotos() const;
    bool commentPhotos() const;
    QString webUserName() const;
    QString webPassword() const;
    int autoPauseDelay() const;
    bool useSystemMediaGallery() const;
    DistanceMeasurement distanceMeasurement() const;
    bool showLaserWarningMessage() const;
    bool showHeadline1Text() const;
    bool showHeadline2Text() const;
    bool showHeadline3Text() const;
    bool showProjectName() const;
    bool showSurveyName() const;
    LogoPlacement logoPlacement() const;
    LogoAlignment logoAlignment() const;
    bool showOverlayLogo() const;
    QString overlayLogoFileName() const;
    QString defaultOperatorName() const;
    bool showDistanceCounter() const;
    bool showPhotoEditorFileOverwriteWarning() const;
    bool enableZephiraPressureAlarm() const;
    int coordinateFormat() const;
    WorkType workType() const;
    QString customProjectFolder() const;
    QString customPhotoFolder() const;
    QString customVideoFolder() const;
    bool projectMode() const;
    QString lastUpdateIgnoredVersion() const;
    bool downloadAllMedia() const;
    bool doNotRemindAboutAllMediaDownload() const;
    bool storageMigrationDone() const;
    bool storageMigrationReminderActive() const;

    void setLocaleName(const QString& value);
    void setHeadline1Text(const QString& value);
    void setHeadline2Text(const QString& value);
    void setHeadline3Text(const QString& value);
    void setOverlayTextColor(const QColor& value);
    void setOverlayBackgroundColor(const QColor& value);
    void setTextPlacement(TextPlacement value);
    void setTextAlignment(TextAlignment value);
    void setShowDateTime(bool value);
    void setShowInclination(bool value);
    void setShowLightIntensity(bool value);
    void setShowZoomFactor(bool value);
    void setShowGeoCoordinates(bool value);
    void setShowDistanceMeasurement(bool value);
    void setUseImperialUnits(bool value);
    void setZoomByDoubleTap(bool value);
    void setActiveWifiInterface(const QString& value);
    void setUse24hTime(bool value);
    void setDateFormat(const QString& value);
    void setVideoScaling(VideoScaling value);
    void setWriteMultimediaLogFile(bool value);
    void setUseSoftwareDecoding(bool value);
    void setPhotoFileFormat(PhotoFileFormat value);
    void setGeoTagPhotos(bool value);
    void setCommentPhotos(bool value);
    void setWebUserName(const QString& value);
    void setWebPassword(const QString& value);
    void setAutoPauseDelay(int value);
    void setUseSystemMediaGallery(bool value);
    void setDistanceMeasurement(DistanceMeasurement value);
    void setShowLaserWarningMessage(bool value);
    void setShowHeadline1Text(bool value);
    void setShowHeadline2Text(bool value);
    void setShowHeadline3Text(bool value);
    void setShowProjectName(bool value);
    void setShowSurveyName(bool value);
    void setLogoPlacement(LogoPlacement value);
    void setLogoAlignment(LogoAlignment value);
    void setShowOverlayLogo(bool value);
    void setOverlayLogoFileName(const QString& value);
    void setDefaultOperatorName(const QString& value);
    void setShowDistanceCounter(bool value);
    void setShowPhotoEditorFileOverwriteWarning(bool value);
    void setEnableZephiraPressureAlarm(bool value);
    void setCoordinateFormat(int value);
    void setWorkType(WorkType value);
    void setCustomProjectFolder(const QString& value);
    void setCustomPhotoFolder(const QString& value);
    void setCustomVideoFolder(const QString& value);
    void setLastUpdateIgnoredVersion(const QString& value);
    void setDownloadAllMedia(bool value);
    void setDoNotRemindAboutAllMediaDownload(bool value);
    void setStorageMigrationDone(bool value);
    void setStorageMigrationReminderActive(bool value);

signals:
    void freshStartChanged();
    void localeNameChanged();
    void headline1TextChanged();
    void headline2TextChanged();
    void headline3TextChanged();
    void overlayTextColorChanged();
    void overlayBackgroundColorChanged();
    void textPlacementChanged();
    void textAlignmentChanged();
    void showDateTimeChanged();
    void showInclinationChanged();
    void showLightIntensityChanged();
    void showZoomFactorChanged();
    void showGeoCoordinatesChanged();
    void showDistanceMeasurementChanged();
    void useImperialUnitsChanged();
    void zoomByDoubleTapChanged();
    void activeWifiInterfaceChanged();
    void use24hTimeChanged();
    void dateFormatChanged();
    void videoScalingChanged();
    void writeMultimediaLogFileChanged();
    void useSoftwareDecodingChanged();
    void photoFileFormatChanged();
    void geoTagPhotosChanged();
    void commentPhotosChanged();
    void webUserNameChanged();
    void webPasswordChanged();
    void autoPauseDelayChanged();
    void useSystemMediaGalleryChanged();
    void distanceMeasurementChanged();
    void showLaserWarningMessageChanged();
    void showHeadline1TextChanged();
    void showHeadline2TextChanged();
    void showHeadline3TextChanged();
    void showProjectNameChanged();
    void showSurveyNameChanged();
    void logoPlacementChanged();
    void logoAlignmentChanged();
    void showOverlayLogoChanged();
    void overlayLogoFileNameChanged();
    void defaultOperatorNameChanged();
    void showDistanceCounterChanged();
    void showPhotoEditorFileOverwriteWarningChanged();
    void enableZephiraPressureAlarmChanged();
    void coordinateFormatChanged();
    void workTypeChanged();
    void customProjectFolderChanged();
    void customPhotoFolderChanged();
    void customVideoFolderChanged();
    void projectModeChanged();
    void lastUpdateIgnoredVersionChanged();
    void downloadAllMediaChanged();
    void doNotRemindAboutAllMediaDownloadChanged();
    void storageMigrationDoneChanged();
    void storageMigrationReminderActiveChanged();
    // The end of the save with this task id: Written, or why nothing was written (logged).
    void saveFinished(uint taskId, CSettingsStore::Result result);

private:
    void onStoreGroupWritten(uint taskId, CSettingsStore::Result result);
    void setFreshStart(bool value);
    void preserveUnreadableStore(const QString& fileName);

    bool m_freshStart;
    QString m_localeName;
    QString m_headline1Text;
    QString m_headline2Text;
    QString m_headline3Text;
    QColor m_overlayTextColor;
    QColor m_overlayBackgroundColor;
    TextPlacement m_textPlacement;
    TextAlignment m_textAlignment;
    bool m_showDateTime;
    bool m_showInclination;
    bool m_showLightIntensity;
    bool m_showZoomFactor;
    bool m_showGeoCoordinates;
    bool m_showDistanceMeasurement;
    bool m_useImperialUnits;
    bool m_zoomByDoubleTap;
    QString m_activeWifiInterface;
    bool m_use24hTime;
    QString m_dateFormat;
    VideoScaling m_videoScaling;
    bool m_writeMultimediaLogFile;
    bool m_useSoftwareDecoding;
    PhotoFileFormat m_photoFileFormat;
    bool m_geoTagPhotos;
    bool m_commentPhotos;
    QString m_webUserName;
    QString m_webPassword;
    int m_autoPauseDelay;
    bool m_useSystemMediaGallery;
    DistanceMeasurement m_distanceMeasurement;
    bool m_showLaserWarningMessage;
    bool m_showHeadline1Text;
    bool m_showHeadline2Text;
    bool m_showHeadline3Text;
    bool m_showProjectName;
    bool m_showSurveyName;
    LogoPlacement m_logoPlacement;
    LogoAlignment m_logoAlignment;
    bool m_showOverlayLogo;
    QString m_overlayLogoFileName;
    QString m_defaultOperatorName;
    bool m_showDistanceCounter;
    bool m_showPhotoEditorFileOverwriteWarning;
    bool m_enableZephiraPressureAlarm;
    int m_coordinateFormat;
    WorkType m_workType;
    QString m_customProjectFolder;
    QString m_customPhotoFolder;
    QString m_customVideoFolder;
    QString m_lastUpdateIgnoredVersion;
    bool m_downloadAllMedia;
    bool m_doNotRemindAboutAllMediaDownload;
    bool m_storageMigrationDone;
    bool m_storageMigrationReminderActive;
    QSet<uint> m_saveTasks;
};
