#include "surveyprojects/CSurveyListModel.h"

#include "surveyprojects/SurveyHelpers.h"

#include <QLocale>

CSurveyListModel::CSurveyListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CSurveyListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_surveys.size();
}

QVariant CSurveyListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_surveys.size())
        return QVariant();
    const SurveyPtr& survey = m_surveys.at(index.row());
    switch (role) {
    case Qt::UserRole:
        return surveyTitle(survey);
    case Qt::UserRole + 1:
        return survey ? QLocale().toString(survey->date().toLocalTime(), QLocale::ShortFormat) : QString();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CSurveyListModel::roleNames() const
{
    return {{Qt::UserRole, QByteArrayLiteral("modelData_SurveyName")},
            {Qt::UserRole + 1, QByteArrayLiteral("modelData_SurveyDate")}};
}

void CSurveyListModel::setSurveys(const QVector<SurveyPtr>& surveys)
{
    beginResetModel();
    m_surveys = surveys;
    endResetModel();
}

void CSurveyListModel::appendSurvey(const SurveyPtr& survey)
{
    beginInsertRows(QModelIndex(), m_surveys.size(), m_surveys.size());
    m_surveys.append(survey);
    endInsertRows();
}

void CSurveyListModel::removeSurvey(int row)
{
    if (row < 0 || row >= m_surveys.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_surveys.removeAt(row);
    endRemoveRows();
}

void CSurveyListModel::surveyChanged(int row)
{
    if (row < 0 || row >= m_surveys.size())
        return;
    emit dataChanged(index(row), index(row), {});
}
