#include "surveyprojects/MapTileServer.h"

#include <QByteArray>

#ifndef CX_MAP_TILE_URL
#error "CX_MAP_TILE_URL is set by the build from scripts/map-tiles.env"
#endif

QString mapTileServerUrl()
{
    const QByteArray fromEnvironment = qgetenv("CX_MAP_TILE_URL");
    QString url = fromEnvironment.isEmpty() ? QStringLiteral(CX_MAP_TILE_URL) : QString::fromUtf8(fromEnvironment);
    // The plugin appends "z/x/y.png" to the address as it is.
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}
