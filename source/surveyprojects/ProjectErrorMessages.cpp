#include "surveyprojects/ProjectErrorMessages.h"

#include "messages/CErrorMessageHelper.h"

namespace TranslationHelper {

namespace {

struct MessageText
{
    const char* key;
    const char* text;
};

const char* const InternalErrorText =
    "An internal error related to the project occurred which was not supposed to happen.\n"
    "Please notify your service station about this error.";

MessageText messageText(ProjectTypes::ProjectError error)
{
    switch (error) {
    case ProjectTypes::ProjectErrorInternal:
        return {"ProjectErrorInternal", InternalErrorText};
    case ProjectTypes::ProjectErrorCreateFileAccess:
        return {"ProjectErrorCreateFileAccess",
                "The project could not be created because the main project directory is not writable."};
    case ProjectTypes::ProjectErrorLoadFileAccess:
        return {"ProjectErrorLoadFileAccess",
                "The project could not be opened because the project file is either missing or not readable."};
    case ProjectTypes::ProjectErrorWriteFileAccess:
        return {"ProjectErrorWriteFileAccess",
                "The project could not be saved because the project folder is not writable."};
    case ProjectTypes::ProjectErrorLoadInvalidFile:
        return {"ProjectErrorLoadInvalidFile",
                "The project could not be opened because the project file is either damaged or invalid."};
    case ProjectTypes::ProjectErrorLoadVersionTooNew:
        return {"ProjectWarningVersionTooNew",
                "Some of the project's details might be lost because the version of the project is not "
                "supported by this software.\nPlease check if there is a newer version of this software "
                "available."};
    case ProjectTypes::ProjectErrorCreateInvalidProjectName:
        return {"ProjectErrorCreateInvalidProjectName",
                "The project could not be created because the project name is invalid.\n\n"
                "Please use a valid name for the project."};
    case ProjectTypes::ProjectErrorCreateTakenProjectName:
        return {"ProjectErrorCreateTakenProjectName",
                "The project could not be created because the project name is already taken.\n\n"
                "Please use a different name for the project."};
    case ProjectTypes::ProjectErrorCreateFolderExists:
        return {"ProjectErrorCreateFolderExists",
                "The project could not be created because a folder with the name of the project already exists "
                "in the main project directory.\n\nPlease use a different name for the project or remove the "
                "folder manually."};
    case ProjectTypes::ProjectErrorDeleteFileAccess:
        return {"ProjectErrorDeleteFileAccess",
                "The project could not be completely deleted.\n\nPlease remove the remaining files manually."};
    case ProjectTypes::ProjectErrorRenameProjectOpen:
        return {"ProjectErrorInternal", InternalErrorText};
    case ProjectTypes::ProjectErrorRenameFileAccess:
        return {"ProjectErrorRenameFileAccess",
                "The project could not be renamed because the main project directory is not writable."};
    case ProjectTypes::ProjectErrorRenameInvalidProjectName:
        return {"ProjectErrorRenameInvalidProjectName",
                "The project could not be renamed because the new project name is invalid.\n\n"
                "Please use a valid name for the project."};
    case ProjectTypes::ProjectErrorRenameTakenProjectName:
        return {"ProjectErrorRenameTakenProjectName",
                "The project could not be renamed because the new project name is already taken.\n\n"
                "Please use a different name for the project."};
    case ProjectTypes::ProjectErrorRenameFolderExists:
        return {"ProjectErrorRenameFolderExists",
                "The project could not be renamed because a folder with the name of the project already exists "
                "in the main project directory.\n\nPlease use a different name for the project or remove the "
                "folder manually."};
    case ProjectTypes::ProjectErrorLoadManholeFileAccess:
        return {"ProjectErrorLoadManholeFileAccess",
                "The manhole data file could not be opened because it is either missing or not readable."};
    case ProjectTypes::ProjectErrorLoadManholeFileInvalid:
        return {"ProjectErrorLoadManholeFileInvalid",
                "The manhole data file could not be opened because it is either damaged or invalid."};
    case ProjectTypes::ProjectErrorNone:
        break;
    }
    return {nullptr, nullptr};
}

} // namespace

QString projectErrorMessage(ProjectTypes::ProjectError error)
{
    const MessageText text = messageText(error);
    const QString message = text.key
        ? CErrorMessageHelper::translatedMessage(QString::fromLatin1(text.key), QString::fromUtf8(text.text))
        : QString();
    return CErrorMessageHelper::createErrorMessage(message, CErrorMessageHelper::ErrorCategoryProject,
                                                   static_cast<int>(error));
}

} // namespace TranslationHelper
