#pragma once

#include "photoeditor/CDrawingTemplate.h"

#include <QString>

// Writes one template as an XML file. Holds no state.
class CDrawingTemplateWriter
{
public:
    // True when the file was written completely. The file is replaced only once the new
    // content is complete.
    bool write(const DrawingTemplatePtr& drawingTemplate, const QString& filePath) const;
};
