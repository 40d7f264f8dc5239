#pragma once

#include "surveyprojects/CSurvey.h"

#include <QAbstractListModel>
#include <QString>
#include <vector>

class CPropertyInputType;

// The editable properties of one survey, one row each, with the input type that tells QML
// how to edit the row. Writes go straight into the survey object; saving is the survey
// list's business. Owns its input-type objects (children, rebuilt when the unit or the leg
// row changes). GUI thread.
class CSurveyPropertyModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Property
    {
        PropertySurveyType = 0,
        PropertyManholeName = 1,
        PropertyUpstreamManhole = 2,
        PropertyDownstreamManhole = 3,
        PropertyDirection = 4,
        PropertyManholeDirection = 5,
        PropertyOperator = 6,
        PropertySurveyLength = 7,
        PropertySurveyRemarks = 8,
        PropertyLeg = 9
    };
    Q_ENUM(Property)

    enum Roles
    {
        RoleInputType = Qt::UserRole,
        RolePropertyValue = Qt::UserRole + 1,
        RoleStoredValue = Qt::UserRole + 2
    };

    explicit CSurveyPropertyModel(QObject* parent = nullptr);
    ~CSurveyPropertyModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    void setSurvey(const SurveyPtr& survey);
    SurveyPtr survey() const { return m_survey; }
    void setLegPropertyEnabled(bool enabled);
    bool legPropertyEnabled() const { return m_legPropertyEnabled; }
    void setDistanceUnitText(const QString& unitText);
    QString distanceUnitText() const { return m_distanceUnitText; }

signals:
    void propertyValueChanged(CSurveyPropertyModel::Property surveyProperty);

private:
    void buildRows();
    void deleteRows();
    QVariant storedValue(int row) const;
    bool writeProperty(int row, const QVariant& value);

    SurveyPtr m_survey;
    std::vector<CPropertyInputType*> m_rows;
    QString m_distanceUnitText;
    bool m_legPropertyEnabled = false;
};
