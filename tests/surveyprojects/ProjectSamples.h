#pragma once

// A project that puts every kind of text and number the project file holds through the writer:
// markup characters, quotes, tabs and line breaks (escaped differently in text and in
// attributes), characters outside the BMP, characters XML forbids (dropped), empty and absent
// values, every survey type, and photos with all, some and none of their child elements.
#include "surveyprojects/CSurveyProject.h"

#include <QDateTime>
#include <QUuid>

#include <limits>

namespace ProjectSamples {

inline SurveyProjectPtr projectWithEveryKindOfText()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QString marks = QStringLiteral("a<b>c&d\"e'f");
    const QString breaks = QStringLiteral("one\ttwo\nthree\r\nfour\rfive ");
    const QString wide = QString::fromUtf8("\xc3\xa9\xc3\x9f \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80 \xc2\x85\xe2\x80\xa8"
                                           "\xef\xbb\xbf\xef\xb7\x90 ]]>");
    const QString forbidden = QStringLiteral("x") + QChar(0x1) + QChar(0xB) + QChar(0xD800) + QStringLiteral("y")
        + QChar(0xFFFE) + QChar(0xDC00);
    auto date = [](const char* text) { return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate); };

    auto section = std::make_shared<CSurvey>(
        QUuid("{11111111-2222-3333-4444-555555555555}"),
        QVector<SurveyPhotoPtr>{
            std::make_shared<CSurveyPhoto>("Photos/plain.jpg", QString(), nan, nan, nan),
            std::make_shared<CSurveyPhoto>("Photos/" + marks + ".jpg", marks, -8.123456789, 47.0, -0.0),
            std::make_shared<CSurveyPhoto>("Photos/" + breaks + ".png", breaks, nan, nan, 1e9),
            std::make_shared<CSurveyPhoto>("Photos/" + wide + ".jpg", wide, 1e-7, nan, nan),
            std::make_shared<CSurveyPhoto>("Photos/" + forbidden + ".jpg", forbidden, nan, -90.0, nan),
            std::make_shared<CSurveyPhoto>("Photos/only-comment.jpg", QStringLiteral(" "), nan, nan, nan)},
        QVector<SurveyVideoPtr>{std::make_shared<CSurveyVideo>("Videos/" + marks + ".mp4", QString()),
                                std::make_shared<CSurveyVideo>("Videos/" + breaks + ".mp4", breaks + wide)},
        QString(), marks, breaks, QString(), wide, QString(), date("2024-05-06T07:08:09Z"), 123.4567895,
        ProjectTypes::SurveyTypeSection, ProjectTypes::SurveyDirectionInFlow);
    auto manhole = std::make_shared<CSurvey>(
        QUuid("{21111111-2222-3333-4444-555555555555}"), QVector<SurveyPhotoPtr>{},
        QVector<SurveyVideoPtr>{std::make_shared<CSurveyVideo>("Videos/m.mp4", forbidden)}, marks + forbidden,
        "not written", "not written", breaks, QString(), wide + marks, date("2024-05-06T09:08:09+02:00"), 0.0,
        ProjectTypes::SurveyTypeManhole, ProjectTypes::SurveyDirectionUnknown);
    auto lateral = std::make_shared<CSurvey>(
        QUuid(), QVector<SurveyPhotoPtr>{std::make_shared<CSurveyPhoto>("Photos/l.jpg", QString(), 0.0, 0.0, 0.0)},
        QVector<SurveyVideoPtr>{}, QString(), QString(), QString(), QStringLiteral("L1"), forbidden, QString(),
        date("2024-05-07T00:00:00Z"), nan, ProjectTypes::SurveyTypeLateral, ProjectTypes::SurveyDirectionAgainstFlow);
    auto invalid = std::make_shared<CSurvey>(
        QUuid("{41111111-2222-3333-4444-555555555555}"), QVector<SurveyPhotoPtr>{}, QVector<SurveyVideoPtr>{},
        QString(), QStringLiteral("-"), QStringLiteral("-"), QString(), QString(), QString(),
        date("2024-05-08T23:59:59Z"), -1.5, ProjectTypes::SurveyTypeInvalid, ProjectTypes::SurveyDirectionInFlow);
    return std::make_shared<CSurveyProject>(QUuid("{01111111-2222-3333-4444-555555555555}"),
                                            QVector<SurveyPtr>{section, manhole, lateral, invalid},
                                            marks + breaks + wide + forbidden, breaks + marks, "fr_CH",
                                            date("2024-05-06T07:00:00Z"), ProjectTypes::DistanceUnitUS);
}

} // namespace ProjectSamples
