#include "surveyprojects/CGeoManhole.h"

CGeoManhole::CGeoManhole(const QString& name, const QGeoCoordinate& coordinate)
    : m_name(name)
    , m_coordinate(coordinate)
{
}
