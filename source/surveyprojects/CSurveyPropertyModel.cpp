#include "surveyprojects/CSurveyPropertyModel.h"

#include "helpers/CPropertyInputType.h"
#include "messages/TranslationHelper.h"

namespace {

// Ids of the survey words of the translation helper.
enum SurveyTextId
{
    TextSection = 1,
    TextLateral = 2,
    TextManhole = 3,
    TextDownstream = 4,
    TextUpstream = 5,
    TextUnknown = 6,
    TextDownwards = 7,
    TextUpwards = 8,
    TextSurveyType = 9,
    TextManholeName = 10,
    TextUpstreamManhole = 11,
    TextDownstreamManhole = 12,
    TextDirection = 13,
    TextOperator = 14,
    TextLeg = 15,
    TextSurveyLength = 16,
    TextRemarks = 17
};

QString text(int id)
{
    return TranslationHelper::surveyText(id);
}

int enumValue(const QVariant& value)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : 0;
}

} // namespace

CSurveyPropertyModel::CSurveyPropertyModel(QObject* parent)
    : QAbstractListModel(parent)
{
    qRegisterMetaType<CPropertyInputType*>("CPropertyInputType*");
    qRegisterMetaType<CSurveyPropertyModel::Property>("CSurveyPropertyModel::Property");
}

CSurveyPropertyModel::~CSurveyPropertyModel()
{
    deleteRows();
}

void CSurveyPropertyModel::buildRows()
{
    using T = CPropertyInputType;
    m_rows.push_back(new T(T::TypeTextList, text(TextSurveyType),
                           {text(TextSection), text(TextLateral), text(TextManhole)},
                           {int(ProjectTypes::SurveyTypeSection), int(ProjectTypes::SurveyTypeLateral),
                            int(ProjectTypes::SurveyTypeManhole)},
                           this));
    m_rows.push_back(new T(T::TypeManhole, text(TextManholeName), this));
    m_rows.push_back(new T(T::TypeManhole, text(TextUpstreamManhole), this));
    m_rows.push_back(new T(T::TypeManhole, text(TextDownstreamManhole), this));
    m_rows.push_back(new T(T::TypeTextList, text(TextDirection),
                           {text(TextDownstream), text(TextUpstream), text(TextUnknown)}, {1, 2, 0}, this));
    m_rows.push_back(new T(T::TypeTextList, text(TextDirection),
                           {text(TextUpwards), text(TextDownwards), text(TextUnknown)}, {1, 2, 0}, this));
    m_rows.push_back(new T(T::TypeText, text(TextOperator), this));
    m_rows.push_back(new T(T::TypeDouble, text(TextSurveyLength), m_distanceUnitText, -99999.99, 99999.99, 2, this));
    m_rows.push_back(new T(T::TypeText, text(TextRemarks), this));
    if (m_legPropertyEnabled)
        m_rows.push_back(new T(T::TypeText, text(TextLeg), this));
}

void CSurveyPropertyModel::deleteRows()
{
    for (CPropertyInputType* row : m_rows)
        delete row;
    m_rows.clear();
}

int CSurveyPropertyModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QHash<int, QByteArray> CSurveyPropertyModel::roleNames() const
{
    return {{RoleInputType, QByteArrayLiteral("modelData_InputType")},
            {RolePropertyValue, QByteArrayLiteral("modelData_PropertyValue")}};
}

QVariant CSurveyPropertyModel::storedValue(int row) const
{
    if (!m_survey)
        return QVariant();
    const CSurvey& survey = *m_survey;
    switch (row) {
    case PropertySurveyType:
        return int(survey.type());
    case PropertyManholeName:
        return survey.manholeName();
    case PropertyUpstreamManhole:
        return survey.upstreamManhole();
    case PropertyDownstreamManhole:
        return survey.downstreamManhole();
    case PropertyDirection:
    case PropertyManholeDirection:
        return int(survey.inspectionDirection());
    case PropertyOperator:
        return survey.operatorName();
    case PropertySurveyLength:
        return survey.inspectedLength();
    case PropertySurveyRemarks:
        return survey.comment();
    case PropertyLeg:
        return survey.legName();
    default:
        return QVariant();
    }
}

QVariant CSurveyPropertyModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= int(m_rows.size()))
        return QVariant();
    const CPropertyInputType* inputType = m_rows.at(size_t(index.row()));
    switch (role) {
    case RoleInputType:
        return QVariant::fromValue(const_cast<CPropertyInputType*>(inputType));
    case RolePropertyValue:
        return inputType->textFromValue(storedValue(index.row()));
    case RoleStoredValue:
        return storedValue(index.row());
    default:
        return QVariant();
    }
}

bool CSurveyPropertyModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != RolePropertyValue || !index.isValid() || index.row() < 0 || index.row() >= int(m_rows.size()))
        return false;
    if (!writeProperty(index.row(), value))
        return false;
    // The survey type decides which rows the filter shows, so every row is announced.
    const int last = index.row() == PropertySurveyType ? int(m_rows.size()) - 1 : index.row();
    emit dataChanged(this->index(index.row()), this->index(last), {});
    return true;
}

bool CSurveyPropertyModel::writeProperty(int row, const QVariant& value)
{
    if (!m_survey || !value.isValid())
        return false;
    const CPropertyInputType* inputType = m_rows.at(size_t(row));
    if (value.toString() == inputType->textFromValue(storedValue(row)).toString())
        return false;

    const QVariant stored = inputType->valueFromText(value.toString());
    CSurvey& survey = *m_survey;
    switch (row) {
    case PropertySurveyType:
        survey.setType(ProjectTypes::SurveyType(enumValue(stored)));
        break;
    case PropertyManholeName:
        survey.setManholeName(stored.toString());
        break;
    case PropertyUpstreamManhole:
        survey.setUpstreamManhole(stored.toString());
        break;
    case PropertyDownstreamManhole:
        survey.setDownstreamManhole(stored.toString());
        break;
    case PropertyDirection:
    case PropertyManholeDirection:
        survey.setInspectionDirection(ProjectTypes::SurveyDirection(enumValue(stored)));
        break;
    case PropertyOperator:
        survey.setOperatorName(stored.toString());
        break;
    case PropertySurveyLength:
        // A text the locale cannot read is NaN: the survey then has no length.
        survey.setInspectedLength(stored.toDouble());
        break;
    case PropertySurveyRemarks:
        survey.setComment(stored.toString());
        break;
    case PropertyLeg:
        survey.setLegName(stored.toString());
        break;
    default:
        return false;
    }
    emit propertyValueChanged(Property(row));
    return true;
}

void CSurveyPropertyModel::setSurvey(const SurveyPtr& survey)
{
    if (survey == m_survey && !m_rows.empty())
        return;
    beginResetModel();
    if (m_rows.empty())
        buildRows();
    m_survey = survey;
    endResetModel();
}

void CSurveyPropertyModel::setLegPropertyEnabled(bool enabled)
{
    if (enabled == m_legPropertyEnabled && !m_rows.empty())
        return;
    beginResetModel();
    m_legPropertyEnabled = enabled;
    deleteRows();
    buildRows();
    endResetModel();
}

void CSurveyPropertyModel::setDistanceUnitText(const QString& unitText)
{
    if (unitText == m_distanceUnitText && !m_rows.empty())
        return;
    beginResetModel();
    m_distanceUnitText = unitText;
    deleteRows();
    buildRows();
    endResetModel();
}
