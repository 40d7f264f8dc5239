#pragma once

#include "surveyprojects/CProjectItemRolesModel.h"

#include <QSortFilterProxyModel>

// Sorts a project list by one of its roles and filters it by name. Pressing the same sort
// role again flips the order; a new role starts ascending.
class CProjectFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit CProjectFilterProxyModel(QObject* parent = nullptr);

    Q_INVOKABLE void setSortFilterRole(CProjectItemRolesModel::Roles role);
    // Shows the projects whose names contain the text, without regard to case.
    Q_INVOKABLE void setFilterString(const QString& string);

    bool ascendingOrder() const { return m_ascendingOrder; }

private:
    bool m_ascendingOrder = true;
};
