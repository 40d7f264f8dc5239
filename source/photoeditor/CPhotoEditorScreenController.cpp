#include "photoeditor/CPhotoEditorScreenController.h"

#include "photoeditor/CChangeBackgroundColorCommand.h"
#include "photoeditor/CChangeStrokeColorCommand.h"
#include "photoeditor/CChangeStrokeWidthAndSizeCommand.h"
#include "photoeditor/CChangeStrokeWidthCommand.h"
#include "photoeditor/CChangeTextAndFontSizeCommand.h"
#include "photoeditor/CChangeTextColorCommand.h"
#include "photoeditor/CChangeTextCommand.h"
#include "photoeditor/CColorModel.h"
#include "photoeditor/CCreateArrowCommand.h"
#include "photoeditor/CCreateCrossCommand.h"
#include "photoeditor/CCreateDynamicTextCommand.h"
#include "photoeditor/CCreateEllipseCommand.h"
#include "photoeditor/CCreateImageCommand.h"
#include "photoeditor/CCreateLineCommand.h"
#include "photoeditor/CCreateRectangleCommand.h"
#include "photoeditor/CCreateTextCommand.h"
#include "photoeditor/CDeleteObjectCommand.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingObjectManager.h"
#include "photoeditor/CDrawingObjectModel.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/CMoveObjectCommand.h"
#include "photoeditor/CResizeObjectCommand.h"
#include "photoeditor/CRotateObjectCommand.h"
#include "photoeditor/CUndoStack.h"

#include "application/ApplicationServices.h"
#include "application/CSettings.h"
#include "helpers/BoundedImageReader.h"
#include "helpers/FormattingHelpers.h"
#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"

#include "CLogger.h"
#include "CTranslator.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetrics>
#include <QJSValue>
#include <QTransform>
#include <QVariantMap>

namespace {

const QString TranslationContext = QStringLiteral("Ombrastella.Zephira.App.PhotoEditorScreen");
const QString LogCategory = QStringLiteral("PhotoEditor");

struct EditorColor
{
    const char* colorText;
    const char* key;
    const char* english;
};

// The first two digits of "#00000000" are alpha: row 0 is fully transparent.
const EditorColor EditorColors[] = {
    {"#00000000", "ColorNone", "None"},     {"#FFFFFF", "ColorWhite", "White"},
    {"#FFFF00", "ColorYellow", "Yellow"},   {"#FF8000", "ColorOrange", "Orange"},
    {"#FF0000", "ColorRed", "Red"},         {"#A349A4", "ColorPurple", "Purple"},
    {"#00FFFF", "ColorCyan", "Cyan"},       {"#00FF00", "ColorGreen", "Green"},
    {"#000080", "ColorBlue", "Blue"},       {"#000000", "ColorBlack", "Black"},
};

const QVector<QColor>& editorColors()
{
    static const QVector<QColor> colors = [] {
        QVector<QColor> list;
        for (const EditorColor& entry : EditorColors) {
            QColor color;
            color.setNamedColor(QString::fromLatin1(entry.colorText));
            list.append(color);
        }
        return list;
    }();
    return colors;
}

// QML hands the field data over as a JavaScript object ({"1": "Project"}) and reads it back
// as one; C++ openers pass the hash itself.
void registerFieldDataConversions()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    DrawingTemplateTypes::registerMetaTypes();
    // QML calls the field methods with the enumeration's value.
    qRegisterMetaType<CDrawingDynamicText::Field>("CDrawingDynamicText::Field");
    const auto fromMap = [](const QVariantMap& map) {
        DynamicFieldData data;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            bool ok = false;
            const int key = it.key().toInt(&ok);
            if (ok)
                data.insert(key, it.value().toString());
        }
        return data;
    };
    QMetaType::registerConverter<QVariantMap, DynamicFieldData>(fromMap);
    QMetaType::registerConverter<QJSValue, DynamicFieldData>(
        [fromMap](const QJSValue& value) { return fromMap(value.toVariant().toMap()); });
    QMetaType::registerConverter<DynamicFieldData, QVariantMap>([](const DynamicFieldData& data) {
        QVariantMap map;
        for (auto it = data.cbegin(); it != data.cend(); ++it)
            map.insert(QString::number(it.key()), it.value());
        return map;
    });
}

} // namespace

CPhotoEditorScreenController::CPhotoEditorScreenController(QObject* parent)
    : CPhotoEditorScreenController(ApplicationServices::drawingTemplateService(), ApplicationServices::settings(), parent)
{
}

CPhotoEditorScreenController::CPhotoEditorScreenController(CDrawingTemplateService* templateService,
                                                           CSettings* settings, QObject* parent)
    : QObject(parent)
    , m_objectManager(new CDrawingObjectManager())
    , m_objectModel(new CDrawingObjectModel())
    , m_colorModel(new CColorModel())
    , m_undoStack(new CUndoStack())
    , m_templateService(templateService)
    , m_settings(settings)
{
    registerFieldDataConversions();

    QVector<QString> names;
    for (const EditorColor& entry : EditorColors)
        names.append(translatedText(QString::fromLatin1(entry.key), QString::fromLatin1(entry.english)));
    m_colorModel->setColors(editorColors(), names);

    if (m_templateService) {
        connect(m_templateService, &CDrawingTemplateService::templateListReadyChanged, this,
                &CPhotoEditorScreenController::loadingTemplateListChanged);
        connect(m_templateService, &CDrawingTemplateService::templateListChanged, this,
                &CPhotoEditorScreenController::templateListChanged);
        connect(m_templateService, &CDrawingTemplateService::templateApplied, this,
                &CPhotoEditorScreenController::onTemplateApplied);
        connect(m_templateService, &CDrawingTemplateService::templateLoaded, this,
                &CPhotoEditorScreenController::onTemplateLoaded);
        connect(m_templateService, &CDrawingTemplateService::templateSaved, this,
                &CPhotoEditorScreenController::onTemplateSaved);
        connect(m_templateService, &CDrawingTemplateService::templateDeleted, this,
                &CPhotoEditorScreenController::onTemplateDeleted);
    }
    connect(m_undoStack, &CUndoStack::canUndoChanged, this, &CPhotoEditorScreenController::canUndoChanged);
    connect(m_undoStack, &CUndoStack::canRedoChanged, this, &CPhotoEditorScreenController::canRedoChanged);
    connect(m_objectManager, &CDrawingObjectManager::objectAdded, this, &CPhotoEditorScreenController::onObjectAdded);
    connect(m_objectManager, &CDrawingObjectManager::objectRemoved, this,
            &CPhotoEditorScreenController::onObjectRemoved);
}

CPhotoEditorScreenController::~CPhotoEditorScreenController()
{
    delete m_colorModel;
    delete m_undoStack;
    delete m_objectModel;
    delete m_objectManager;
    m_selectedObject.reset();
}

QAbstractListModel* CPhotoEditorScreenController::objectModel() const
{
    return m_objectModel;
}

QAbstractListModel* CPhotoEditorScreenController::colorModel() const
{
    return m_colorModel;
}

void CPhotoEditorScreenController::setInputFileName(const QString& inputFileName)
{
    if (m_inputFileName == inputFileName)
        return;
    m_inputFileName = inputFileName;
    QString refusal;
    m_inputImageSize = inputFileName.isEmpty() ? QSize() : BoundedImageReader::claimedSize(inputFileName, &refusal);
    m_inputFileRefused = !refusal.isEmpty();
    emit inputFileNameChanged();
    if (m_inputFileRefused) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, LogCategory,
                                             QStringLiteral("Refused to open the photo %1: %2").arg(inputFileName, refusal));
        const QString message = CErrorMessageHelper::translatedMessage(
            TranslationContext, QStringLiteral("PhotoTooLarge"),
            QStringLiteral("The photo {0} cannot be opened: its file claims more pixels than a photo may have "
                           "({1} megapixels at most)."),
            {inputFileName, BoundedImageReader::MaximumPixels / 1000000});
        // The screen sets the photo while it is being built: the message waits until it stands.
        QMetaObject::invokeMethod(
            this, [this, message] { emit errorOccurred(message); }, Qt::QueuedConnection);
    }
}

QUrl CPhotoEditorScreenController::inputFileUrl() const
{
    if (m_inputFileRefused)
        return QUrl();
    return QUrl::fromLocalFile(m_inputFileName);
}

bool CPhotoEditorScreenController::loadingTemplateList() const
{
    return m_templateService ? !m_templateService->templateListReady() : false;
}

bool CPhotoEditorScreenController::canUndo() const
{
    return m_undoStack->canUndo();
}

bool CPhotoEditorScreenController::canRedo() const
{
    return m_undoStack->canRedo();
}

void CPhotoEditorScreenController::setSelectedObject(QObject* object)
{
    auto* drawingObject = qobject_cast<CDrawingObject*>(object);
    if (!drawingObject) {
        select(DrawingObjectPtr());
        return;
    }
    // Every object is made by make_shared; one that is not (or no longer) owned is refused.
    const std::weak_ptr<CDrawingObject> weak = drawingObject->weak_from_this();
    select(weak.lock());
}

void CPhotoEditorScreenController::select(const DrawingObjectPtr& object)
{
    if (m_selectedObject == object)
        return;
    m_selectedObject = object;
    emit selectedObjectChanged();
}

QStringList CPhotoEditorScreenController::templateList() const
{
    return m_templateService ? m_templateService->templateList() : QStringList();
}

void CPhotoEditorScreenController::setDynamicFieldData(const DynamicFieldData& fieldData)
{
    if (m_dynamicFieldData == fieldData)
        return;
    m_dynamicFieldData = fieldData;
    emit dynamicFieldDataChanged();
}

QVector<DrawingObjectPtr> CPhotoEditorScreenController::objects() const
{
    return m_objectModel->items();
}

void CPhotoEditorScreenController::setImageSize(QSize size)
{
    m_imageSize = size;
}

void CPhotoEditorScreenController::undo()
{
    m_undoStack->undo();
}

void CPhotoEditorScreenController::redo()
{
    m_undoStack->redo();
}

template <typename Command, typename... Arguments>
void CPhotoEditorScreenController::push(Arguments&&... arguments)
{
    m_undoStack->push(std::make_shared<Command>(std::forward<Arguments>(arguments)...), false);
}

QSize CPhotoEditorScreenController::textBoxSize(const QString& text, const QSize& currentSize, int strokeWidth,
                                                int fontSize)
{
    QFont font(QStringLiteral("Roboto"));
    if (fontSize > 0)
        font.setPixelSize(fontSize);
    const QSize measured = QFontMetrics(font).size(Qt::TextSingleLine, text);
    const QSize needed(measured.width() + 2 * strokeWidth, measured.height() + 2 * strokeWidth);
    if (currentSize.width() >= needed.width() && currentSize.height() >= needed.height())
        return currentSize;
    return needed;
}

void CPhotoEditorScreenController::createText(int x, int y, int fontSize, QColor backgroundColor,
                                              QColor strokeColor, int strokeWidth, QColor textColor, QString text)
{
    const QSize size = textBoxSize(text, QSize(-1, -1), strokeWidth, fontSize);
    push<CCreateTextCommand>(m_objectManager, x, y, size.width(), size.height(), backgroundColor, strokeColor,
                             strokeWidth, textColor, fontSize, text);
}

void CPhotoEditorScreenController::createImage(int x, int y, QColor backgroundColor, QColor strokeColor,
                                               int strokeWidth, QString sourcePath)
{
    if (!checkPicture(sourcePath))
        return;
    push<CCreateImageCommand>(m_objectManager, x, y, backgroundColor, strokeColor, strokeWidth, sourcePath);
}

void CPhotoEditorScreenController::createRectangle(int x, int y, int width, int height, QColor backgroundColor,
                                                   QColor strokeColor, int strokeWidth)
{
    push<CCreateRectangleCommand>(m_objectManager, x, y, width, height, backgroundColor, strokeColor, strokeWidth);
}

void CPhotoEditorScreenController::createEllipse(int x, int y, int width, int height, QColor backgroundColor,
                                                 QColor strokeColor, int strokeWidth)
{
    push<CCreateEllipseCommand>(m_objectManager, x, y, width, height, backgroundColor, strokeColor, strokeWidth);
}

void CPhotoEditorScreenController::createLine(int x, int y, int width, int height, QColor backgroundColor,
                                              QColor strokeColor, int strokeWidth)
{
    push<CCreateLineCommand>(m_objectManager, x, y, width, height, backgroundColor, strokeColor, strokeWidth);
}

void CPhotoEditorScreenController::createCross(int x, int y, int width, int height, QColor backgroundColor,
                                               QColor strokeColor, int strokeWidth)
{
    push<CCreateCrossCommand>(m_objectManager, x, y, width, height, backgroundColor, strokeColor, strokeWidth);
}

void CPhotoEditorScreenController::createArrow(int x, int y, int width, int height, QColor backgroundColor,
                                               QColor strokeColor, int strokeWidth)
{
    push<CCreateArrowCommand>(m_objectManager, x, y, width, height, backgroundColor, strokeColor, strokeWidth);
}

void CPhotoEditorScreenController::createDynamicText(int x, int y, int fontSize, QColor backgroundColor,
                                                     QColor strokeColor, int strokeWidth, QColor textColor,
                                                     CDrawingDynamicText::Field field)
{
    const QString text = queryTextForField(field);
    const QSize size = textBoxSize(text, QSize(-1, -1), strokeWidth, fontSize);
    push<CCreateDynamicTextCommand>(m_objectManager, x, y, size.width(), size.height(), backgroundColor,
                                    strokeColor, strokeWidth, textColor, fontSize, field);
}

void CPhotoEditorScreenController::deleteObject()
{
    if (m_selectedObject)
        push<CDeleteObjectCommand>(m_objectManager, m_selectedObject);
}

void CPhotoEditorScreenController::moveObject(int oldX, int oldY, int newX, int newY)
{
    if (m_selectedObject)
        push<CMoveObjectCommand>(m_selectedObject, oldX, oldY, newX, newY);
}

void CPhotoEditorScreenController::resizeObject(int x, int y, int width, int height)
{
    if (m_selectedObject)
        push<CResizeObjectCommand>(m_selectedObject, x, y, width, height);
}

void CPhotoEditorScreenController::rotateObject(int oldRotation, int newRotation)
{
    if (m_selectedObject)
        push<CRotateObjectCommand>(m_selectedObject, oldRotation, newRotation);
}

void CPhotoEditorScreenController::changeObjectBackgroundColor(QColor color)
{
    if (m_selectedObject)
        push<CChangeBackgroundColorCommand>(m_selectedObject, color);
}

void CPhotoEditorScreenController::changeObjectStrokeColor(QColor color)
{
    if (m_selectedObject)
        push<CChangeStrokeColorCommand>(m_selectedObject, color);
}

QString CPhotoEditorScreenController::textOfObject(const CDrawingObject& object)
{
    if (const auto* text = qobject_cast<const CDrawingText*>(&object))
        return text->text();
    if (const auto* dynamicText = qobject_cast<const CDrawingDynamicText*>(&object))
        return queryTextForField(dynamicText->field());
    return QString();
}

void CPhotoEditorScreenController::changeObjectStrokeWidth(int strokeWidth)
{
    if (!m_selectedObject)
        return;
    if (const auto* text = qobject_cast<const CDrawingBaseText*>(m_selectedObject.get())) {
        const QSize size = textBoxSize(textOfObject(*text), QSize(text->width(), text->height()), strokeWidth,
                                       text->fontSize());
        push<CChangeStrokeWidthAndSizeCommand>(m_selectedObject, size.width(), size.height(), strokeWidth);
        return;
    }
    push<CChangeStrokeWidthCommand>(m_selectedObject, strokeWidth);
}

void CPhotoEditorScreenController::changeObjectText(QString text)
{
    if (qobject_cast<const CDrawingText*>(m_selectedObject.get()))
        push<CChangeTextCommand>(m_selectedObject, text);
}

void CPhotoEditorScreenController::changeObjectFontSize(int fontSize)
{
    const auto* text = qobject_cast<const CDrawingBaseText*>(m_selectedObject.get());
    if (!text)
        return;
    const QSize size = textBoxSize(textOfObject(*text), QSize(text->width(), text->height()), text->strokeWidth(),
                                   fontSize);
    push<CChangeTextAndFontSizeCommand>(m_selectedObject, size.width(), size.height(), fontSize);
}

void CPhotoEditorScreenController::changeObjectTextColor(QColor color)
{
    if (qobject_cast<const CDrawingBaseText*>(m_selectedObject.get()))
        push<CChangeTextColorCommand>(m_selectedObject, color);
}

QString CPhotoEditorScreenController::translatedText(const QString& key, const QString& defaultText) const
{
    const Tovrin::Translation::CTranslator* translator = CErrorMessageHelper::translator();
    return translator ? translator->txt(TranslationContext, key, defaultText, QVariant()) : defaultText;
}

bool CPhotoEditorScreenController::isPictureWithinBound(QString sourcePath) const
{
    QString refusal;
    BoundedImageReader::claimedSize(sourcePath, &refusal);
    return refusal.isEmpty();
}

bool CPhotoEditorScreenController::checkPicture(const QString& sourcePath)
{
    QString refusal;
    BoundedImageReader::claimedSize(sourcePath, &refusal);
    if (refusal.isEmpty())
        return true;
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, LogCategory,
                                         QStringLiteral("Refused the picture %1: %2").arg(sourcePath, refusal));
    emit errorOccurred(CErrorMessageHelper::translatedMessage(
        TranslationContext, QStringLiteral("PictureTooLarge"),
        QStringLiteral("The picture {0} cannot be used: its file claims more pixels than a picture may have "
                       "({1} megapixels at most)."),
        {sourcePath, BoundedImageReader::MaximumPixels / 1000000}));
    return false;
}

QString CPhotoEditorScreenController::queryTextForField(CDrawingDynamicText::Field field)
{
    const QString stored = m_dynamicFieldData.value(field);
    if (!stored.isEmpty())
        return stored;

    QString generated;
    switch (field) {
    case CDrawingDynamicText::ProjectName:
        return translatedText(QStringLiteral("ProjectNameNotAvailable"), QStringLiteral("Project name not available"));
    case CDrawingDynamicText::SurveyName:
        return translatedText(QStringLiteral("SurveyNameNotAvailable"), QStringLiteral("Survey name not available"));
    case CDrawingDynamicText::OperatorName:
        return translatedText(QStringLiteral("OperatorNameNotAvailable"),
                              QStringLiteral("Operator name not available"));
    case CDrawingDynamicText::InspectionDate: {
        const QString format = m_settings ? m_settings->dateFormat() : QString();
        const QDateTime now = QDateTime::currentDateTime();
        generated = format.isEmpty() ? now.toString(Qt::ISODate) : now.toString(format);
        break;
    }
    case CDrawingDynamicText::InspectionTime:
        generated = formatTime(QTime::currentTime(), m_settings ? m_settings->use24hTime() : true);
        break;
    default:
        return QString();
    }
    // Kept, so that the boxes, later texts and the saved photo all show the same moment.
    m_dynamicFieldData.insert(field, generated);
    return generated;
}

bool CPhotoEditorScreenController::checkTemplateExists(QString templateName) const
{
    return m_templateService && m_templateService->templateExists(templateName);
}

DrawingTemplatePtr CPhotoEditorScreenController::templateOfObjects(const QString& name) const
{
    return std::make_shared<CDrawingTemplate>(name, m_objectModel->items());
}

void CPhotoEditorScreenController::setProcessing(bool processing)
{
    if (m_processing == processing)
        return;
    m_processing = processing;
    emit processingChanged();
}

void CPhotoEditorScreenController::applyTemplate(QString outputFileName)
{
    if (m_inputFileName.isEmpty() || !m_templateService)
        return;
    setProcessing(true);
    // The service renders copies of the objects, so edits while it works cannot tear the photo.
    m_pendingTaskId = m_templateService->applyTemplate(templateOfObjects(QString()), QStringList{m_inputFileName},
                                                       QStringList{outputFileName},
                                                       DynamicFieldDataList{m_dynamicFieldData});
}

void CPhotoEditorScreenController::loadFromTemplate(QString templateName)
{
    if (!m_templateService)
        return;
    setProcessing(true);
    select(DrawingObjectPtr());
    m_pendingTaskId = m_templateService->loadTemplate(templateName);
}

void CPhotoEditorScreenController::saveAsTemplate(QString templateName)
{
    if (!m_templateService)
        return;
    setProcessing(true);
    // The service writes copies of the objects on its worker thread, never the live ones.
    m_pendingTaskId = m_templateService->saveTemplate(templateOfObjects(templateName));
}

void CPhotoEditorScreenController::deleteTemplate(QString templateName)
{
    if (!m_templateService)
        return;
    setProcessing(true);
    m_pendingTaskId = m_templateService->deleteTemplate(templateName);
}

bool CPhotoEditorScreenController::takePendingResult(uint taskId)
{
    // Other screens' requests pass through the same service: only our own answer counts.
    if (m_pendingTaskId == 0 || taskId != m_pendingTaskId)
        return false;
    m_pendingTaskId = 0;
    setProcessing(false);
    return true;
}

void CPhotoEditorScreenController::onTemplateApplied(uint taskId, DrawingTemplatePtr, QStringList, QStringList,
                                                     DrawingTemplateTypes::DrawingTemplateError error)
{
    if (!takePendingResult(taskId))
        return;
    if (error != DrawingTemplateTypes::DrawingTemplateErrorNone) {
        emit errorOccurred(TranslationHelper::drawingTemplateErrorMessage(error));
        return;
    }
    emit templateApplied();
}

void CPhotoEditorScreenController::onTemplateLoaded(uint taskId, QString templateName,
                                                    DrawingTemplatePtr drawingTemplate,
                                                    DrawingTemplateTypes::DrawingTemplateError error)
{
    if (!takePendingResult(taskId))
        return;
    if (error == DrawingTemplateTypes::DrawingTemplateErrorNone && !drawingTemplate)
        error = DrawingTemplateTypes::DrawingTemplateErrorLoadFile;
    if (error != DrawingTemplateTypes::DrawingTemplateErrorNone) {
        emit errorOccurred(TranslationHelper::drawingTemplateErrorMessage(error, templateName));
        return;
    }

    QVector<DrawingObjectPtr> objects;
    bool pictureRefused = false;
    for (const DrawingObjectPtr& object : drawingTemplate->objects()) {
        if (!object)
            continue;
        // A refused picture stays in the template (it shows as broken and is left out when
        // the photo is saved); the operator hears of the first one.
        if (auto picture = qobject_cast<const CDrawingImage*>(object.get()); picture && !pictureRefused)
            pictureRefused = !checkPicture(picture->source());
        // Objects beyond the photo's right or bottom edge are pulled back inside it.
        if (object->x() >= m_imageSize.width())
            object->setX(m_imageSize.width() - object->width());
        if (object->y() >= m_imageSize.height())
            object->setY(m_imageSize.height() - object->height());
        objects.append(object);
    }
    select(DrawingObjectPtr());
    m_objectManager->setObjects(objects);
    m_objectModel->resetObjects(objects);
    m_undoStack->clear();
    if (!m_templateWasLoaded) {
        m_templateWasLoaded = true;
        emit templateWasLoadedChanged();
    }
}

void CPhotoEditorScreenController::onTemplateSaved(uint taskId, DrawingTemplatePtr drawingTemplate,
                                                   DrawingTemplateTypes::DrawingTemplateError error)
{
    if (!takePendingResult(taskId))
        return;
    if (error != DrawingTemplateTypes::DrawingTemplateErrorNone) {
        const QString name = drawingTemplate ? drawingTemplate->name() : QString();
        emit errorOccurred(TranslationHelper::drawingTemplateErrorMessage(error, name));
    }
}

void CPhotoEditorScreenController::onTemplateDeleted(uint taskId, QString,
                                                     DrawingTemplateTypes::DrawingTemplateError error)
{
    if (!takePendingResult(taskId))
        return;
    if (error != DrawingTemplateTypes::DrawingTemplateErrorNone)
        emit errorOccurred(TranslationHelper::drawingTemplateErrorMessage(error));
}

void CPhotoEditorScreenController::onObjectAdded(DrawingObjectPtr object)
{
    m_objectModel->appendObject(object);
    select(object);
}

void CPhotoEditorScreenController::onObjectRemoved(DrawingObjectPtr object)
{
    m_objectModel->removeObject(object);
    select(DrawingObjectPtr());
}

QRectF CPhotoEditorScreenController::computeResizedObjectRect(double currentX, double currentY,
                                                              double currentWidth, double currentHeight,
                                                              double rotation, double newX, double newY,
                                                              double newWidth, double newHeight) const
{
    // The object turns about its centre; keep the rotated corner opposite the dragged one
    // where it is, so the object does not jump while it is resized.
    QTransform current;
    current.translate(currentWidth / 2, currentHeight / 2);
    current.rotate(rotation);
    current.translate(-currentWidth / 2, -currentHeight / 2);
    QTransform proposed;
    proposed.translate(newWidth / 2, newHeight / 2);
    proposed.rotate(rotation);
    proposed.translate(-newWidth / 2, -newHeight / 2);

    const QPointF d = proposed.map(QPointF(newX, newY)) - current.map(QPointF(currentX, currentY));
    const QTransform currentInverse = current.inverted();
    const QPointF p0 = currentInverse.map(current.map(QPointF(currentX, currentY)));
    const QPointF p1 = currentInverse.map(proposed.map(QPointF(newX + newWidth, newY + newHeight)) - d);
    const QPointF topLeft = p0 - d;
    return QRectF(topLeft.x(), topLeft.y(), p1.x() - p0.x(), p1.y() - p0.y());
}
