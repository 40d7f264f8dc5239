#include "photoeditor/DrawingTemplateWords.h"

#include <QStringList>

namespace {

// Index = enumeration value.
const QStringList& typeWords()
{
    static const QStringList words{QString(),
                                   QStringLiteral("image"),
                                   QStringLiteral("text"),
                                   QStringLiteral("rectangle"),
                                   QStringLiteral("ellipse"),
                                   QStringLiteral("line"),
                                   QStringLiteral("cross"),
                                   QStringLiteral("arrow"),
                                   QStringLiteral("dynamic-text")};
    return words;
}

const QStringList& fieldWords()
{
    static const QStringList words{QString(),
                                   QStringLiteral("project-name"),
                                   QStringLiteral("survey-name"),
                                   QStringLiteral("operator-name"),
                                   QStringLiteral("inspection-date"),
                                   QStringLiteral("inspection-time")};
    return words;
}

} // namespace

namespace DrawingTemplateWords {

QString typeWord(int type)
{
    return typeWords().value(type);
}

QString fieldWord(int field)
{
    return fieldWords().value(field);
}

CDrawingObject::Type typeFromWord(const QString& word)
{
    const int index = word.isEmpty() ? -1 : typeWords().indexOf(word);
    return index > 0 ? static_cast<CDrawingObject::Type>(index) : CDrawingObject::Invalid;
}

CDrawingDynamicText::Field fieldFromWord(const QString& word)
{
    const int index = word.isEmpty() ? -1 : fieldWords().indexOf(word);
    return index > 0 ? static_cast<CDrawingDynamicText::Field>(index) : CDrawingDynamicText::Invalid;
}

} // namespace DrawingTemplateWords
