#pragma once

#include <QGeoPositionInfo>
#include <QObject>
#include <QPointer>

class CSettings;
class QGeoPositionInfoSource;

// Runs the platform's position source while the settings need positions (coordinates shown,
// or work in projects) and hands out the last known position. Owned by the application; the
// source is its child. GUI thread.
class CGeoPositionSourceManager : public QObject
{
    Q_OBJECT

public:
    CGeoPositionSourceManager(CSettings* settings, QObject* parent = nullptr);
    // Uses the given source (which may be null: no position at all) instead of the platform's
    // default one and takes it as a child. Tests pass a simulated NMEA source. The parent is
    // not optional here, so that (settings, nullptr) always means the constructor above.
    CGeoPositionSourceManager(CSettings* settings, QGeoPositionInfoSource* source, QObject* parent);

    // The source's last satellite fix while it runs; an invalid position otherwise.
    QGeoPositionInfo lastKnownPosition() const;

    bool isActive() const;
    QGeoPositionInfoSource* positionSource() const;

signals:
    void geoPositionUpdated(const QGeoPositionInfo& info);
    void geoPositionUpdateTimeout();

public slots:
    void updatePositionSourceActiveStatus();

private:
    void initialize(QGeoPositionInfoSource* source);
    bool positionsNeeded() const;

    QPointer<CSettings> m_settings;
    QGeoPositionInfoSource* m_source = nullptr;
    bool m_active = false;
};
