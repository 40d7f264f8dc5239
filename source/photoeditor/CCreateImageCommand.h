#pragma once

#include "photoeditor/CCreateObjectCommand.h"

#include <QString>

// Creates an image object sized to its picture plus the frame on both sides. A path that is
// not a picture gets the size of the broken-image placeholder but keeps its path.
class CCreateImageCommand : public CCreateObjectCommand
{
public:
    CCreateImageCommand(CDrawingObjectManager* manager, int x, int y, const QColor& backgroundColor,
                        const QColor& strokeColor, int strokeWidth, const QString& sourcePath);

    void configure() override;

private:
    QString m_sourcePath;
};
