#pragma once

#include "surveyprojects/CGeoManhole.h"
#include "surveyprojects/ProjectScreenServices.h"
#include "surveyprojects/ProjectTypes.h"

#include <QAbstractListModel>
#include <QGeoPositionInfo>
#include <QObject>

class CManholeDistanceModel;

// Controller of the manhole selection screen: the project's manholes nearest first, loaded
// through the project service the first time they are needed. The selection is kept on the
// selected manhole, not on its row, so a position update that re-sorts the list never hands
// back another manhole's name. Owns its model (child); GUI thread.
class CManholeListScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* manholeDistanceModel READ manholeDistanceModel CONSTANT)
    Q_PROPERTY(int currentManholeIndex READ currentManholeIndex WRITE setCurrentManholeIndex
                   NOTIFY currentManholeIndexChanged)
    Q_PROPERTY(QString currentManholeName READ currentManholeName NOTIFY currentManholeIndexChanged)
    Q_PROPERTY(bool loadingManholeList READ loadingManholeList NOTIFY loadingManholeListChanged)

public:
    explicit CManholeListScreenController(QObject* parent = nullptr);
    CManholeListScreenController(const ProjectScreenServices& services, QObject* parent);

    QAbstractListModel* manholeDistanceModel() const;
    CManholeDistanceModel* distanceModel() const { return m_model; }
    int currentManholeIndex() const { return m_currentManholeIndex; }
    void setCurrentManholeIndex(int index);
    QString currentManholeName() const;
    bool loadingManholeList() const { return m_pendingTaskId != 0; }

    Q_INVOKABLE void loadManholeList();
    Q_INVOKABLE void selectManholeByName(const QString& name);

signals:
    void currentManholeIndexChanged();
    void loadingManholeListChanged();

public slots:
    void onGeoPositionUpdated(const QGeoPositionInfo& info);
    void onGeoPositionUpdateTimeout();
    void onManholeListLoaded(uint taskId, const ManholeListPtr& manholeList, ProjectTypes::ProjectError error);

private:
    void followSelectedManhole();

    ProjectScreenServices m_services;
    CManholeDistanceModel* m_model = nullptr;
    uint m_pendingTaskId = 0;
    int m_currentManholeIndex = -1;
    // Position of the selected manhole in the manhole list, -1 without a selection.
    int m_selectedListIndex = -1;
};
