#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QSharedDataPointer>
#include <QString>

namespace Ulx {
namespace Multimedia {

class CImageMetaDataPrivate;

// What travels with a captured photo: its comment (written into the file as "Description")
// and the time stamp and position that go into the project record. Implicitly shared: copies
// share one block until one of them is changed; equality means sharing the same block.
class CImageMetaData
{
    Q_GADGET
    Q_PROPERTY(QString comment READ comment WRITE setComment)
    Q_PROPERTY(QDateTime timeStamp READ timeStamp WRITE setTimeStamp)
    Q_PROPERTY(double altitude READ altitude WRITE setAltitude)
    Q_PROPERTY(double latitude READ latitude WRITE setLatitude)
    Q_PROPERTY(double longitude READ longitude WRITE setLongitude)

public:
    CImageMetaData();
    CImageMetaData(const CImageMetaData& other);
    CImageMetaData& operator=(const CImageMetaData& other);
    ~CImageMetaData();

    QString comment() const;
    QDateTime timeStamp() const;
    double altitude() const;
    double latitude() const;
    double longitude() const;
    bool hasValidCoordinates() const;

    void setComment(const QString& comment);
    void setTimeStamp(const QDateTime& timeStamp);
    void setLatitude(double latitude);
    void setLongitude(double longitude);
    void setAltitude(double altitude);

    void clear();

    bool operator==(const CImageMetaData& other) const;
    bool operator!=(const CImageMetaData& other) const { return !(*this == other); }

private:
    QSharedDataPointer<CImageMetaDataPrivate> d;
};

} // namespace Multimedia
} // namespace Ulx

Q_DECLARE_METATYPE(Ulx::Multimedia::CImageMetaData)
