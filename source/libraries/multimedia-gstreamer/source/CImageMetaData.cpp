#include "CImageMetaData.h"

#include <cmath>
#include <limits>

namespace Ulx {
namespace Multimedia {

class CImageMetaDataPrivate : public QSharedData
{
public:
    QString comment;
    QDateTime timeStamp;
    double altitude = std::numeric_limits<double>::quiet_NaN();
    double latitude = std::numeric_limits<double>::quiet_NaN();
    double longitude = std::numeric_limits<double>::quiet_NaN();
    bool hasValidCoordinates = false;
};

CImageMetaData::CImageMetaData()
    : d(new CImageMetaDataPrivate)
{
}

CImageMetaData::CImageMetaData(const CImageMetaData& other) = default;
CImageMetaData& CImageMetaData::operator=(const CImageMetaData& other) = default;
CImageMetaData::~CImageMetaData() = default;

QString CImageMetaData::comment() const { return d->comment; }
QDateTime CImageMetaData::timeStamp() const { return d->timeStamp; }
double CImageMetaData::altitude() const { return d->altitude; }
double CImageMetaData::latitude() const { return d->latitude; }
double CImageMetaData::longitude() const { return d->longitude; }
bool CImageMetaData::hasValidCoordinates() const { return d->hasValidCoordinates; }

// Non-const access through the shared-data pointer detaches, so a copy never sees the change.
void CImageMetaData::setComment(const QString& comment) { d->comment = comment; }
void CImageMetaData::setTimeStamp(const QDateTime& timeStamp) { d->timeStamp = timeStamp; }

void CImageMetaData::setLatitude(double latitude)
{
    d->latitude = latitude;
    d->hasValidCoordinates = true;
}

void CImageMetaData::setLongitude(double longitude)
{
    d->longitude = longitude;
    d->hasValidCoordinates = true;
}

void CImageMetaData::setAltitude(double altitude)
{
    d->altitude = altitude;
    d->hasValidCoordinates = true;
}

void CImageMetaData::clear()
{
    d->hasValidCoordinates = false;
    d->altitude = std::numeric_limits<double>::quiet_NaN();
    d->latitude = std::numeric_limits<double>::quiet_NaN();
    d->longitude = std::numeric_limits<double>::quiet_NaN();
    d->timeStamp = QDateTime();
    d->comment = QString();
}

bool CImageMetaData::operator==(const CImageMetaData& other) const
{
    return d == other.d;
}

} // namespace Multimedia
} // namespace Ulx
