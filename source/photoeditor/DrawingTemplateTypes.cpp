#include "photoeditor/DrawingTemplateTypes.h"

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CDrawingTemplate.h"

void DrawingTemplateTypes::registerMetaTypes()
{
    qRegisterMetaType<DrawingTemplateTypes::DrawingTemplateError>("DrawingTemplateTypes::DrawingTemplateError");
    qRegisterMetaType<DrawingTemplatePtr>("DrawingTemplatePtr");
    qRegisterMetaType<DrawingObjectPtr>("DrawingObjectPtr");
    qRegisterMetaType<DynamicFieldData>("DynamicFieldData");
    qRegisterMetaType<DynamicFieldDataList>("DynamicFieldDataList");
}

QString DrawingTemplateTypes::errorMessageKey(DrawingTemplateError error)
{
    switch (error) {
    case DrawingTemplateErrorNone:
        break;
    case DrawingTemplateErrorInternal:
        return QStringLiteral("DrawingTemplateErrorInternal");
    case DrawingTemplateErrorLoadFile:
        return QStringLiteral("DrawingTemplateErrorLoadFile");
    case DrawingTemplateErrorSaveFile:
        return QStringLiteral("DrawingTemplateErrorSaveFile");
    case DrawingTemplateErrorDeleteFile:
        return QStringLiteral("DrawingTemplateErrorDeleteFile");
    case DrawingTemplateErrorApplication:
        return QStringLiteral("DrawingTemplateErrorApplication");
    }
    return QString();
}

QString DrawingTemplateTypes::errorMessageDefaultText(DrawingTemplateError error)
{
    switch (error) {
    case DrawingTemplateErrorNone:
        break;
    case DrawingTemplateErrorInternal:
        return QStringLiteral("An unknown internal error related to handling drawing templates occurred.\n\n"
                              "Please notify your service station about this error.");
    case DrawingTemplateErrorLoadFile:
        return QStringLiteral("Failed to load the specified drawing template.");
    case DrawingTemplateErrorSaveFile:
        return QStringLiteral("Failed to save the specified drawing template.");
    case DrawingTemplateErrorDeleteFile:
        return QStringLiteral("Failed to delete the specified drawing template.");
    case DrawingTemplateErrorApplication:
        return QStringLiteral("Failed to apply the specified drawing template to the photo.");
    }
    return QString();
}
