#pragma once

#include <QMetaType>
#include <QObject>

// Enumerations of projects, surveys and manholes, visible to QML and carried by queued signals.
class ProjectTypes
{
    Q_GADGET

public:
    enum DistanceUnit : qint32
    {
        DistanceUnitInvalid = 0,
        DistanceUnitMetric = 1,
        DistanceUnitUS = 2
    };
    Q_ENUM(DistanceUnit)

    enum SurveyType : qint32
    {
        SurveyTypeInvalid = 0,
        SurveyTypeSection = 1,
        SurveyTypeLateral = 2,
        SurveyTypeManhole = 3
    };
    Q_ENUM(SurveyType)

    enum SurveyDirection : qint32
    {
        SurveyDirectionUnknown = 0,
        SurveyDirectionInFlow = 1,
        SurveyDirectionAgainstFlow = 2
    };
    Q_ENUM(SurveyDirection)

    enum ProjectError : qint32
    {
        ProjectErrorNone = 0,
        ProjectErrorInternal = 1,
        ProjectErrorCreateFileAccess = 2,
        ProjectErrorLoadFileAccess = 3,
        ProjectErrorWriteFileAccess = 4,
        ProjectErrorLoadInvalidFile = 5,
        ProjectErrorLoadVersionTooNew = 6,
        ProjectErrorCreateInvalidProjectName = 7,
        ProjectErrorCreateTakenProjectName = 8,
        ProjectErrorCreateFolderExists = 9,
        ProjectErrorDeleteFileAccess = 10,
        ProjectErrorRenameProjectOpen = 11,
        ProjectErrorRenameFileAccess = 12,
        ProjectErrorRenameInvalidProjectName = 13,
        ProjectErrorRenameTakenProjectName = 14,
        ProjectErrorRenameFolderExists = 15,
        ProjectErrorLoadManholeFileAccess = 16,
        ProjectErrorLoadManholeFileInvalid = 17
    };
    Q_ENUM(ProjectError)
};

Q_DECLARE_METATYPE(ProjectTypes::DistanceUnit)
Q_DECLARE_METATYPE(ProjectTypes::SurveyType)
Q_DECLARE_METATYPE(ProjectTypes::SurveyDirection)
Q_DECLARE_METATYPE(ProjectTypes::ProjectError)
