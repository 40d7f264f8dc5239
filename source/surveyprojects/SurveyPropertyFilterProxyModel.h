#pragma once

#include <QList>
#include <QSortFilterProxyModel>

// Shows the survey properties that apply to the survey's type: manhole surveys have a
// manhole name and an upward or downward direction, all others two manholes and a flow
// direction. Unsorted: rows keep the property model's order.
class SurveyPropertyFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit SurveyPropertyFilterProxyModel(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QList<int> m_manholeProperties;
};
