#include "photoeditor/CDrawingRenderer.h"

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingText.h"

#include "helpers/BoundedImageReader.h"

#include "CLogger.h"
#include "FileReplacement.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QtMath>

#include <limits>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("DrawingRenderer");
const QString FontFamily = QStringLiteral("Roboto");

// Template files may carry any numbers; geometry is worked out in 64 bits and held inside
// the int range so that nothing overflows.
int clampToInt(qint64 value)
{
    return static_cast<int>(qBound<qint64>(std::numeric_limits<int>::min(), value, std::numeric_limits<int>::max()));
}

QRect rectFromCorners(qint64 left, qint64 top, qint64 right, qint64 bottom)
{
    return QRect(QPoint(clampToInt(left), clampToInt(top)), QPoint(clampToInt(right), clampToInt(bottom)));
}

// The raster engine cannot paint on palette, monochrome or single-channel images.
bool isPaintable(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Alpha8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        return false;
    default:
        return true;
    }
}

struct InsetGeometry
{
    qint64 left;
    qint64 top;
    qint64 right;
    qint64 bottom;
    qint64 midX;
    qint64 midY;
};

InsetGeometry insetGeometry(const CDrawingObject& object)
{
    const qint64 s = object.strokeWidth();
    InsetGeometry g;
    g.left = qint64(object.x()) + s;
    g.top = qint64(object.y()) + s;
    g.right = qint64(object.x()) + object.width() - 1 - s;
    g.bottom = qint64(object.y()) + object.height() - 1 - s;
    g.midX = g.left + (g.right - g.left + 1) / 2;
    g.midY = g.top + (g.bottom - g.top + 1) / 2;
    return g;
}

QPoint point(qint64 x, qint64 y)
{
    return QPoint(clampToInt(x), clampToInt(y));
}

} // namespace

bool CDrawingRenderer::renderFile(const QString& inputFileName, const QString& outputFileName,
                                  const QVector<DrawingObjectPtr>& objects, const DynamicFieldData& fieldData) const
{
    QString readError;
    QImage image = BoundedImageReader::read(inputFileName, &readError);
    if (image.isNull()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Cannot load the photo %1: %2").arg(inputFileName, readError));
        return false;
    }

    if (!render(objects, fieldData, image)) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Cannot paint on the photo %1").arg(inputFileName));
        return false;
    }

    // The output is often the input itself, the only copy of the photo: write a new copy
    // beside it and put it in place only once it is complete and on the disk.
    const QByteArray format = QFileInfo(outputFileName).suffix().toLower().toLatin1();
    if (format.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Cannot write the photo %1: no suffix").arg(outputFileName));
        return false;
    }
    QString writerError;
    QString error;
    const bool written = FileReplacement::writeWholeFile(
        outputFileName,
        [&](QFileDevice& copy) {
            QImageWriter writer(&copy, format);
            writer.setQuality(-1);
            if (writer.write(image))
                return true;
            writerError = writer.errorString();
            return false;
        },
        &error);
    if (!written) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Cannot write the photo %1: %2")
                                .arg(outputFileName, writerError.isEmpty() ? error : writerError));
        return false;
    }
    return true;
}

bool CDrawingRenderer::render(const QVector<DrawingObjectPtr>& objects, const DynamicFieldData& fieldData,
                              QImage& image) const
{
    if (image.isNull()) {
        return false;
    }
    if (!isPaintable(image.format())) {
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    }

    QPainter painter;
    if (!painter.begin(&image)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QFont font = painter.font();
    font.setFamily(FontFamily);
    painter.setFont(font);

    for (const DrawingObjectPtr& object : objects) {
        if (!object) {
            continue;
        }
        painter.save();
        switch (object->type()) {
        case CDrawingObject::Image:
            paintImage(painter, *object);
            break;
        case CDrawingObject::Text:
            paintText(painter, *object);
            break;
        case CDrawingObject::Rectangle:
            paintRectangle(painter, *object);
            break;
        case CDrawingObject::Ellipse:
            paintEllipse(painter, *object);
            break;
        case CDrawingObject::Line:
            paintLine(painter, *object);
            break;
        case CDrawingObject::Cross:
            paintCross(painter, *object);
            break;
        case CDrawingObject::Arrow:
            paintArrow(painter, *object);
            break;
        case CDrawingObject::DynamicText:
            paintDynamicText(painter, *object, fieldData);
            break;
        case CDrawingObject::Invalid:
            break;
        }
        painter.restore();
    }
    painter.end();
    return true;
}

QRect CDrawingRenderer::strokeInsetRect(const CDrawingObject& object, bool inset)
{
    const qint64 s = inset ? object.strokeWidth() : 0;
    return rectFromCorners(qint64(object.x()) + s, qint64(object.y()) + s,
                           qint64(object.x()) + object.width() - 1 - s, qint64(object.y()) + object.height() - 1 - s);
}

void CDrawingRenderer::applyObjectStyle(QPainter& painter, const CDrawingObject& object) const
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    QPen pen = painter.pen();
    pen.setColor(object.strokeColor());
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(qMax(0, object.strokeWidth()));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);

    QBrush brush = painter.brush();
    brush.setColor(object.backgroundColor());
    brush.setStyle(Qt::SolidPattern);
    painter.setBrush(brush);

    // The object turns about the centre of its own rectangle; the transform replaces any
    // other so that objects do not influence each other.
    const qint64 cx = (qint64(object.x()) + (qint64(object.x()) + object.width() - 1)) / 2;
    const qint64 cy = (qint64(object.y()) + (qint64(object.y()) + object.height() - 1)) / 2;
    QTransform transform;
    transform.translate(cx, cy);
    transform.rotate(object.rotation());
    transform.translate(-cx, -cy);
    painter.setTransform(transform, false);
}

void CDrawingRenderer::paintRectangle(QPainter& painter, const CDrawingObject& object) const
{
    applyObjectStyle(painter, object);
    painter.drawRect(strokeInsetRect(object, true));
}

void CDrawingRenderer::paintEllipse(QPainter& painter, const CDrawingObject& object) const
{
    applyObjectStyle(painter, object);
    painter.drawEllipse(strokeInsetRect(object, true));
}

void CDrawingRenderer::paintLine(QPainter& painter, const CDrawingObject& object) const
{
    applyObjectStyle(painter, object);
    painter.fillRect(strokeInsetRect(object, false), painter.brush());
    const InsetGeometry g = insetGeometry(object);
    painter.drawLine(point(g.left, g.midY), point(g.right, g.midY));
}

void CDrawingRenderer::paintCross(QPainter& painter, const CDrawingObject& object) const
{
    applyObjectStyle(painter, object);
    painter.fillRect(strokeInsetRect(object, false), painter.brush());
    const InsetGeometry g = insetGeometry(object);
    painter.drawLine(point(g.left, g.midY), point(g.right, g.midY));
    painter.drawLine(point(g.midX, g.top), point(g.midX, g.bottom));
}

void CDrawingRenderer::paintArrow(QPainter& painter, const CDrawingObject& object) const
{
    applyObjectStyle(painter, object);
    painter.fillRect(strokeInsetRect(object, false), painter.brush());
    const InsetGeometry g = insetGeometry(object);
    const qint64 headX = g.left + static_cast<qint64>(std::floor(double(g.right - g.left + 1) * 0.7 + 0.5));
    const QPoint tip = point(g.right, g.midY);
    painter.drawLine(point(g.left, g.midY), tip);
    painter.drawLine(tip, point(headX, g.top));
    painter.drawLine(tip, point(headX, g.bottom));
}

void CDrawingRenderer::paintText(QPainter& painter, const CDrawingObject& object) const
{
    if (auto text = qobject_cast<const CDrawingText*>(&object)) {
        paintTextBox(painter, *text, text->text());
    }
}

void CDrawingRenderer::paintDynamicText(QPainter& painter, const CDrawingObject& object,
                                        const DynamicFieldData& fieldData) const
{
    if (auto text = qobject_cast<const CDrawingDynamicText*>(&object)) {
        paintTextBox(painter, *text, fieldData.value(static_cast<int>(text->field())));
    }
}

void CDrawingRenderer::paintTextBox(QPainter& painter, const CDrawingBaseText& object, const QString& text) const
{
    applyObjectStyle(painter, object);
    const QRect box = strokeInsetRect(object, true);
    painter.drawRect(box);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(object.textColor()));
    QFont font = painter.font();
    font.setFamily(FontFamily);
    if (object.fontSize() > 0) {
        font.setPixelSize(object.fontSize());
    }
    painter.setFont(font);
    if (!text.isEmpty()) {
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap, text);
    }
}

void CDrawingRenderer::paintImage(QPainter& painter, const CDrawingObject& object) const
{
    auto imageObject = qobject_cast<const CDrawingImage*>(&object);
    if (!imageObject) {
        return;
    }
    if (imageObject->source().isEmpty()) {
        return;
    }
    QString readError;
    const QImage picture = BoundedImageReader::read(imageObject->source(), &readError);
    if (picture.isNull()) {
        // A missing picture leaves no trace, not even its box.
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                            QStringLiteral("Cannot load the picture %1: %2").arg(imageObject->source(), readError));
        return;
    }

    applyObjectStyle(painter, object);
    painter.drawRect(strokeInsetRect(object, true));

    const InsetGeometry g = insetGeometry(object);
    const qint64 half = object.strokeWidth() / 2;
    const qint64 boxWidth = (g.right - half) - (g.left + half) + 1;
    const qint64 boxHeight = (g.bottom - half) - (g.top + half) + 1;
    if (boxWidth <= 0 || boxHeight <= 0) {
        return;
    }
    const QSize target = picture.size().scaled(QSize(clampToInt(boxWidth), clampToInt(boxHeight)), Qt::KeepAspectRatio);
    if (target.isEmpty()) {
        return;
    }
    const qint64 left = qint64(object.x()) + (qint64(object.width()) - target.width()) / 2;
    const qint64 top = qint64(object.y()) + (qint64(object.height()) - target.height()) / 2;

    // A picture far larger than the photo (numbers from a damaged template) would need a
    // resampled copy of gigabytes; the painter then scales it on the fly instead.
    const qint64 photoArea = qint64(painter.device()->width()) * painter.device()->height();
    const qint64 targetArea = qint64(target.width()) * target.height();
    if (targetArea > qMax<qint64>(4 * photoArea, 1 << 20)) {
        painter.drawImage(QRect(point(left, top), target), picture);
        return;
    }
    const QImage scaled = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(point(left, top), scaled);
}
