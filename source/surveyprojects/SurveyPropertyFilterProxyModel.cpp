#include "surveyprojects/SurveyPropertyFilterProxyModel.h"

#include "surveyprojects/CSurveyPropertyModel.h"
#include "surveyprojects/ProjectTypes.h"

SurveyPropertyFilterProxyModel::SurveyPropertyFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_manholeProperties({CSurveyPropertyModel::PropertySurveyType, CSurveyPropertyModel::PropertyManholeName,
                           CSurveyPropertyModel::PropertyManholeDirection, CSurveyPropertyModel::PropertySurveyLength,
                           CSurveyPropertyModel::PropertySurveyRemarks, CSurveyPropertyModel::PropertyOperator})
{
}

bool SurveyPropertyFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    const QVariant type = source->index(CSurveyPropertyModel::PropertySurveyType, 0, sourceParent)
                              .data(CSurveyPropertyModel::RoleStoredValue);
    if (type.isValid() && type.toInt() == ProjectTypes::SurveyTypeManhole)
        return m_manholeProperties.contains(sourceRow);
    return sourceRow != CSurveyPropertyModel::PropertyManholeName
        && sourceRow != CSurveyPropertyModel::PropertyManholeDirection;
}
