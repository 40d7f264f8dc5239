#pragma once

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

// Enumerations of the drawing-template service, visible to QML and queued signals.
class DrawingTemplateTypes
{
    Q_GADGET

public:
    enum DrawingTemplateError
    {
        DrawingTemplateErrorNone = 0,
        DrawingTemplateErrorInternal = 1,
        DrawingTemplateErrorLoadFile = 2,
        DrawingTemplateErrorSaveFile = 3,
        DrawingTemplateErrorDeleteFile = 4,
        DrawingTemplateErrorApplication = 5
    };
    Q_ENUM(DrawingTemplateError)

    // Registers the error, DrawingTemplatePtr, DrawingObjectPtr, DynamicFieldData and
    // DynamicFieldDataList for queued connections. Safe to call more than once.
    static void registerMetaTypes();

    // The translation key and the English text of an error's user message; both empty
    // for DrawingTemplateErrorNone.
    static QString errorMessageKey(DrawingTemplateError error);
    static QString errorMessageDefaultText(DrawingTemplateError error);
};

// For one photo: the text of each CDrawingDynamicText::Field value.
using DynamicFieldData = QHash<int, QString>;
// One DynamicFieldData per photo of a request.
using DynamicFieldDataList = QList<DynamicFieldData>;

Q_DECLARE_METATYPE(DrawingTemplateTypes::DrawingTemplateError)
