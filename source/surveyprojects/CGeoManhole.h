#pragma once

#include <QGeoCoordinate>
#include <QMetaType>
#include <QString>
#include <QVector>

#include <memory>

// A manhole of a project: a name and, when known, its position.
class CGeoManhole
{
public:
    CGeoManhole() = default;
    CGeoManhole(const QString& name, const QGeoCoordinate& coordinate);

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QGeoCoordinate coordinate() const { return m_coordinate; }
    void setCoordinate(const QGeoCoordinate& coordinate) { m_coordinate = coordinate; }

private:
    QString m_name;
    QGeoCoordinate m_coordinate;
};

using ManholeList = QVector<CGeoManhole>;
// Null means that no list was read.
using ManholeListPtr = std::shared_ptr<ManholeList>;

Q_DECLARE_METATYPE(ManholeList)
Q_DECLARE_METATYPE(ManholeListPtr)
