#pragma once

#include "photoeditor/CDrawingTemplate.h"

#include <QSet>
#include <QString>

class QXmlStreamReader;

// Reads one template XML file. In name-only mode (used to list templates) only the name is
// read: no version check, no objects.
class CDrawingTemplateReader
{
public:
    enum ReadError
    {
        ReadErrorNone = 0,
        ReadErrorOpen = 1,
        ReadErrorVersion = 2,
        ReadErrorFormat = 3
    };

    DrawingTemplatePtr read(const QString& filePath, bool nameOnly);
    int error() const { return m_error; }

private:
    void readChildren(QXmlStreamReader& xml, QString& name, QVector<DrawingObjectPtr>& objects);
    void readObjects(QXmlStreamReader& xml, QVector<DrawingObjectPtr>& objects);
    void readObject(QXmlStreamReader& xml, QVector<DrawingObjectPtr>& objects);

    DrawingTemplatePtr m_result;
    QSet<qint64> m_usedIds;
    int m_error = ReadErrorNone;
    bool m_nameOnly = false;
};
