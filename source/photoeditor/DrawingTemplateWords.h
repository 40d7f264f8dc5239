#pragma once

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingObject.h"

#include <QString>

// The words that stand for object types and dynamic-text fields in template files.
namespace DrawingTemplateWords {

// Empty for values outside the enumeration.
QString typeWord(int type);
QString fieldWord(int field);

// Invalid (0) for words not in the table; compared case-sensitively.
CDrawingObject::Type typeFromWord(const QString& word);
CDrawingDynamicText::Field fieldFromWord(const QString& word);

} // namespace DrawingTemplateWords
