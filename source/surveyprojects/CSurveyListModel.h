#pragma once

#include "surveyprojects/CSurvey.h"

#include <QAbstractListModel>
#include <QVector>

// The surveys of the open project as a list of titles and dates. GUI thread.
class CSurveyListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CSurveyListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setSurveys(const QVector<SurveyPtr>& surveys);
    QVector<SurveyPtr> surveys() const { return m_surveys; }
    void appendSurvey(const SurveyPtr& survey);
    void removeSurvey(int row);
    void surveyChanged(int row);

private:
    QVector<SurveyPtr> m_surveys;
};
