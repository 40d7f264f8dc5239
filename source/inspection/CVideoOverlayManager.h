#pragma once

#include <QBasicTimer>
#include <QGeoPositionInfo>
#include <QImage>
#include <QObject>
#include <QString>

class CAppRuntimeData;
class CGeoPositionSourceManager;
class CSettings;

namespace Ulx {
namespace Communication {
class CSessionManager;
}
namespace VideoOverlay {
class CVideoOverlayControl;
class CVideoOverlayCaps;
class CVideoOverlayImage;
class CVideoOverlayText;
} // namespace VideoOverlay
} // namespace Ulx

// Composes the text and logo overlay that the connected camera system writes into its own video:
// decides from the settings and the system's capabilities which items are shown and where, and
// refreshes the changing values once a second while an online system supports an overlay.
// Created once by the application after the position manager; owns its fourteen text items and
// the logo item (plain values, deleted by the destructor); the facades, the session manager and
// the application services are not owned. GUI thread only.
class CVideoOverlayManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool videoOverlayAvailable READ videoOverlayAvailable NOTIFY videoOverlayAvailableChanged)
    Q_PROPERTY(bool videoOverlayEnabled READ videoOverlayEnabled WRITE setVideoOverlayEnabled NOTIFY videoOverlayEnabledChanged)
    Q_PROPERTY(bool textBackgroundColorSupported READ textBackgroundColorSupported NOTIFY textBackgroundColorSupportedChanged)
    Q_PROPERTY(bool graphicsSupported READ graphicsSupported NOTIFY graphicsSupportedChanged)

public:
    // The application services the manager reads; by default the running application's.
    struct Services
    {
        CSettings* settings = nullptr;
        CAppRuntimeData* runtimeData = nullptr;
        CGeoPositionSourceManager* positionManager = nullptr;
    };

    // The largest logo file that is loaded, and the box a larger picture is scaled into.
    static constexpr qint64 MaximumLogoFileSize = 4194304;
    static constexpr int MaximumLogoWidth = 960;
    static constexpr int MaximumLogoHeight = 540;
    static constexpr int RefreshIntervalMs = 1000;

    CVideoOverlayManager(Ulx::Communication::CSessionManager* sessionManager,
                         Ulx::VideoOverlay::CVideoOverlayControl* videoOverlayControl,
                         Ulx::VideoOverlay::CVideoOverlayCaps* videoOverlayCaps);
    CVideoOverlayManager(Ulx::Communication::CSessionManager* sessionManager,
                         Ulx::VideoOverlay::CVideoOverlayControl* videoOverlayControl,
                         Ulx::VideoOverlay::CVideoOverlayCaps* videoOverlayCaps, const Services& services);
    ~CVideoOverlayManager() override;

    bool videoOverlayAvailable() const;
    bool videoOverlayEnabled() const;
    void setVideoOverlayEnabled(bool enabled);
    bool textBackgroundColorSupported() const;
    bool graphicsSupported() const;

    Q_INVOKABLE void applySettings();

    // The logo file as it is sent: null when missing, too large or not a picture.
    static QImage loadLogo(const QString& fileName);

signals:
    void videoOverlayAvailableChanged();
    void videoOverlayEnabledChanged();
    void textBackgroundColorSupportedChanged();
    void graphicsSupportedChanged();

public slots:
    void onSystemCapsChanged();
    void onOverlaySupportedChanged();
    void onGeoPositionUpdated(QGeoPositionInfo info);
    void onGeoPositionUpdateTimeout();
    void onSessionManagerStateChanged();
    void onCurrentProjectChanged();
    void onCurrentSurveyChanged();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void connectSignals();
    void updateOverlayActivity();
    void applyScript();
    void layoutItems();
    void updateDynamicTexts();
    void updateDistanceText();
    void updateGeoPositionTexts();
    void drawOverlay(bool withLogo);
    bool applyLogoSettings();
    void alignColumn(Ulx::VideoOverlay::CVideoOverlayText* item) const;
    QString directionMark(int direction) const;

    Ulx::Communication::CSessionManager* m_sessionManager = nullptr;
    Ulx::VideoOverlay::CVideoOverlayControl* m_videoOverlayControl = nullptr;
    Ulx::VideoOverlay::CVideoOverlayCaps* m_videoOverlayCaps = nullptr;
    Services m_services;

    Ulx::VideoOverlay::CVideoOverlayText* m_headline1 = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_headline2 = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_headline3 = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_projectName = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_surveyName = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_dateTime = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_inclination = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_lightIntensity = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_zoomFactor = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_geoPosition1 = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_geoPosition2 = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_geoPosition3 = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_distance = nullptr;
    Ulx::VideoOverlay::CVideoOverlayText* m_distanceCounter = nullptr;
    Ulx::VideoOverlay::CVideoOverlayImage* m_logo = nullptr;

    QString m_logoFileName;
    QString m_projectNameText;
    QString m_surveyNameText;
    QString m_geoPositionText1;
    QString m_geoPositionText2;
    QString m_geoPositionText3;
    QString m_distanceText;

    QBasicTimer m_refreshTimer;
};
