#pragma once

#include "surveyprojects/ProjectScreenServices.h"

#include <QAbstractListModel>
#include <QGeoCoordinate>
#include <QObject>
#include <QString>

class CManholeMapModel;
class CMapTileModel;

// Controller of the manhole map screen: the project's manholes as markers around the
// tablet's current position. Owns its models (children); GUI thread.
class CManholeMapScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QGeoCoordinate currentPosition READ currentPosition NOTIFY currentPositionChanged)
    Q_PROPERTY(int currentManholeIndex READ currentManholeIndex WRITE setCurrentManholeIndex
                   NOTIFY currentManholeIndexChanged)
    Q_PROPERTY(QString currentManholeName READ currentManholeName NOTIFY currentManholeIndexChanged)
    Q_PROPERTY(QAbstractListModel* manholeMapModel READ manholeMapModel CONSTANT)
    // Where the map takes its tiles from; always a local address.
    Q_PROPERTY(QString tileServerUrl READ tileServerUrl CONSTANT)
    // The tiles of the visible area, drawn as map items.
    Q_PROPERTY(QAbstractListModel* mapTileModel READ mapTileModel CONSTANT)

public:
    explicit CManholeMapScreenController(QObject* parent = nullptr);
    CManholeMapScreenController(const ProjectScreenServices& services, QObject* parent);

    QGeoCoordinate currentPosition() const;
    int currentManholeIndex() const { return m_currentManholeIndex; }
    void setCurrentManholeIndex(int index);
    QString currentManholeName() const;
    QAbstractListModel* manholeMapModel() const;
    QString tileServerUrl() const;
    QAbstractListModel* mapTileModel() const;

    Q_INVOKABLE void selectManholeByName(const QString& name);

signals:
    void currentPositionChanged();
    void currentManholeIndexChanged();

private:
    ProjectScreenServices m_services;
    CManholeMapModel* m_model = nullptr;
    CMapTileModel* m_tiles = nullptr;
    int m_currentManholeIndex = -1;
};
