#include "managers/PlatformPositionSource.h"

#include "CLogger.h"

#include <QFile>
#include <QGeoPositionInfoSource>
#include <QNmeaPositionInfoSource>

QGeoPositionInfoSource* createPlatformPositionSource(QObject* parent)
{
    const QString log = qEnvironmentVariable("CX_NMEA_LOG");
    if (log.isEmpty())
        return QGeoPositionInfoSource::createDefaultSource(parent);
    auto* source = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode, parent);
    auto* file = new QFile(log, source);
    if (!file->open(QIODevice::ReadOnly)) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("Position"),
                                             QStringLiteral("The NMEA log %1 cannot be read: %2")
                                                 .arg(log, file->errorString()),
                                             {});
        delete source;
        return nullptr;
    }
    source->setDevice(file);
    return source;
}
