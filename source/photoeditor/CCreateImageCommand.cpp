#include "photoeditor/CCreateImageCommand.h"

#include "photoeditor/CDrawingImage.h"

#include <QImageReader>

namespace {

const QString BrokenImagePath = QStringLiteral("://graphics/broken_image.png");

// The picture's size without decoding it; the placeholder's size when it is not a picture,
// and nothing when even the placeholder is missing.
QSize pictureSize(const QString& path)
{
    QImageReader reader(path);
    QSize size = reader.size();
    if (size.width() < 0 || size.height() < 0) {
        reader.setFileName(BrokenImagePath);
        size = reader.size();
    }
    if (size.width() < 0 || size.height() < 0) {
        size = QSize(0, 0);
    }
    return size;
}

} // namespace

CCreateImageCommand::CCreateImageCommand(CDrawingObjectManager* manager, int x, int y, const QColor& backgroundColor,
                                         const QColor& strokeColor, int strokeWidth, const QString& sourcePath)
    : CCreateObjectCommand(manager, CDrawingObject::Image, x, y, backgroundColor, strokeColor, strokeWidth)
    , m_sourcePath(sourcePath)
{
    if (!m_sourcePath.isEmpty()) {
        const QSize size = pictureSize(m_sourcePath);
        m_width = size.width() + 2 * strokeWidth;
        m_height = size.height() + 2 * strokeWidth;
    }
}

void CCreateImageCommand::configure()
{
    if (auto image = qobject_cast<CDrawingImage*>(m_object.get())) {
        image->setSource(m_sourcePath);
    }
}
