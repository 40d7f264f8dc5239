#pragma once

#include "surveyprojects/RecordRevision.h"

#include <QMetaType>
#include <QString>

#include <memory>

// One video of a survey. Held by SurveyVideoPtr; the path is relative to the project folder.
class CSurveyVideo
{
public:
    CSurveyVideo() = default;
    CSurveyVideo(const QString& path, const QString& comment);

    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; touch(); }
    QString comment() const { return m_comment; }
    void setComment(const QString& comment) { m_comment = comment; touch(); }
    // Changes with every change of the content (see RecordRevision).
    quint64 revision() const { return m_revision; }

private:
    void touch() { m_revision = RecordRevision::next(); }

    QString m_path;
    QString m_comment;
    quint64 m_revision = RecordRevision::next();
};

using SurveyVideoPtr = std::shared_ptr<CSurveyVideo>;
Q_DECLARE_METATYPE(SurveyVideoPtr)
