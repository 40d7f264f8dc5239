#pragma once

#include "surveyprojects/CGeoManhole.h"

#include <QAbstractListModel>
#include <QGeoCoordinate>
#include <QVector>

// The project's manholes, nearest first from the current position, with the distance as
// text. An unknown distance (no position fix, no manhole coordinate, or exactly 0) shows an
// empty text and sorts behind every known one. GUI thread.
class CManholeDistanceModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CManholeDistanceModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setManholeList(const ManholeListPtr& manholeList);
    ManholeListPtr manholeList() const { return m_manholeList; }
    void setCurrentPosition(const QGeoCoordinate& position);
    QGeoCoordinate currentPosition() const { return m_currentPosition; }
    void setUseImperialUnits(bool useImperialUnits);

    int rowOfManhole(const QString& name) const;
    QString nameAt(int row) const;
    // The position in the manhole list of the manhole a row shows, and back; -1 outside.
    int listIndexAt(int row) const;
    int rowOfListIndex(int listIndex) const;

    // Orders the list indexes by distance: known distances ascending, equal ones in list
    // order, unknown (NaN) ones last in list order. A strict weak ordering, unlike a plain
    // "<" on values that may be NaN.
    static void sortByDistance(QVector<int>& order, const QVector<double>& distances);

private:
    void rebuild();
    void computeDistances();

    ManholeListPtr m_manholeList;
    QVector<double> m_distances;
    QVector<int> m_order;
    QGeoCoordinate m_currentPosition;
    bool m_useImperialUnits = false;
};
