#pragma once

class QGeoPositionInfoSource;
class QObject;

// The tablet's position source. There is no satellite receiver on this platform: when the
// environment variable CX_NMEA_LOG names a readable file of NMEA sentences, they are replayed
// at their own pace as a simulated receiver; otherwise Qt's default source (null when the
// platform has none).
QGeoPositionInfoSource* createPlatformPositionSource(QObject* parent);
