#include "surveyprojects/CSurveyChangeSet.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

bool lengthsEqual(double a, double b)
{
    // Relative comparison; NaN compares unequal to everything, so an unset length always
    // counts as a change.
    return std::abs(a - b) * 1000000000000.0 <= std::min(std::abs(a), std::abs(b));
}

} // namespace

CSurveyChangeSet::CSurveyChangeSet(const SurveyProjectPtr& project)
    : CAbstractChangeSet(project)
    , m_surveys(project ? project->surveys() : QVector<SurveyPtr>())
{
}

SurveyPtr CSurveyChangeSet::createSurvey()
{
    auto survey = std::make_shared<CSurvey>();
    m_addedSurveys.append(survey);
    m_surveys.append(survey);
    return survey;
}

void CSurveyChangeSet::removeSurvey(const SurveyPtr& survey)
{
    if (!survey)
        return;
    if (m_addedSurveys.contains(survey))
        m_addedSurveys.removeOne(survey);
    else
        m_removedSurveys.append(survey);
    m_surveys.removeOne(survey);
}

void CSurveyChangeSet::editSurvey(const SurveyPtr& survey)
{
    if (!survey || m_addedSurveys.contains(survey))
        return;
    const bool known = std::any_of(m_editedSurveys.begin(), m_editedSurveys.end(),
                                   [&survey](const EditedSurvey& e) { return e.survey == survey; });
    if (!known)
        m_editedSurveys.push_back({survey, std::make_shared<CSurvey>(*survey)});
}

QVector<SurveyPtr> CSurveyChangeSet::editedSurveys() const
{
    QVector<SurveyPtr> result;
    for (const EditedSurvey& e : m_editedSurveys)
        result.append(e.survey);
    return result;
}

SurveyPtr CSurveyChangeSet::snapshot(const SurveyPtr& survey) const
{
    for (const EditedSurvey& e : m_editedSurveys) {
        if (e.survey == survey)
            return e.snapshot;
    }
    return {};
}

bool CSurveyChangeSet::surveyPropertiesEqual(const CSurvey& a, const CSurvey& b)
{
    // The manhole name and the comment are edited in the same editor as the other
    // properties, so they count as changes too.
    return a.inspectionDirection() == b.inspectionDirection() && a.downstreamManhole() == b.downstreamManhole()
        && a.date() == b.date() && a.legName() == b.legName() && a.operatorName() == b.operatorName()
        && a.type() == b.type() && a.upstreamManhole() == b.upstreamManhole()
        && lengthsEqual(a.inspectedLength(), b.inspectedLength()) && a.manholeName() == b.manholeName()
        && a.comment() == b.comment();
}

void CSurveyChangeSet::dropUnchangedSurveys()
{
    m_editedSurveys.erase(std::remove_if(m_editedSurveys.begin(), m_editedSurveys.end(),
                                         [](const EditedSurvey& e) {
                                             return surveyPropertiesEqual(*e.survey, *e.snapshot);
                                         }),
                          m_editedSurveys.end());
}

void CSurveyChangeSet::revertEditedSurveys()
{
    for (const EditedSurvey& e : m_editedSurveys) {
        CSurvey& s = *e.survey;
        const CSurvey& old = *e.snapshot;
        s.setInspectionDirection(old.inspectionDirection());
        s.setDownstreamManhole(old.downstreamManhole());
        s.setDate(old.date());
        s.setLegName(old.legName());
        s.setInspectedLength(old.inspectedLength());
        s.setOperatorName(old.operatorName());
        s.setType(old.type());
        s.setUpstreamManhole(old.upstreamManhole());
        s.setManholeName(old.manholeName());
        s.setComment(old.comment());
    }
}
