#pragma once

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CDrawingTemplate.h"
#include "photoeditor/DrawingTemplateTypes.h"

#include <QAbstractListModel>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>

class CColorModel;
class CDrawingObjectManager;
class CDrawingObjectModel;
class CDrawingTemplateService;
class CSettings;
class CUndoStack;

// Behind the photo editor screen: the objects of the photo being edited, their list model,
// the colour model and the undo history. Every edit is a command on the undo stack; the
// template service lists, loads, saves and deletes templates and burns the objects into the
// photo. GUI thread only.
//
// Ownership: the registry, the object model, the colour model and the undo stack are created
// here without a QObject parent and deleted by the destructor (colour model, undo stack,
// object model, registry: the commands and the model release their objects before the
// registry goes). The template service and the settings belong to the application.
class CPhotoEditorScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* objectModel READ objectModel CONSTANT)
    Q_PROPERTY(QString inputFileName READ inputFileName WRITE setInputFileName NOTIFY inputFileNameChanged)
    Q_PROPERTY(QUrl inputFileUrl READ inputFileUrl NOTIFY inputFileNameChanged)
    Q_PROPERTY(QSize inputImageSize READ inputImageSize NOTIFY inputFileNameChanged)
    Q_PROPERTY(bool loadingTemplateList READ loadingTemplateList NOTIFY loadingTemplateListChanged)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(bool templateWasLoaded READ templateWasLoaded NOTIFY templateWasLoadedChanged)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY canUndoChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY canRedoChanged)
    Q_PROPERTY(QObject* selectedObject READ selectedObject WRITE setSelectedObject NOTIFY selectedObjectChanged)
    Q_PROPERTY(QAbstractListModel* colorModel READ colorModel CONSTANT)
    Q_PROPERTY(QStringList templateList READ templateList NOTIFY templateListChanged)
    Q_PROPERTY(DynamicFieldData dynamicFieldData READ dynamicFieldData WRITE setDynamicFieldData NOTIFY
                   dynamicFieldDataChanged)

public:
    // Uses the application's template service and settings.
    explicit CPhotoEditorScreenController(QObject* parent = nullptr);
    // Uses the given service and settings (either may be null: then templates are not
    // available and dates use the ISO format).
    CPhotoEditorScreenController(CDrawingTemplateService* templateService, CSettings* settings,
                                 QObject* parent = nullptr);
    ~CPhotoEditorScreenController() override;

    QAbstractListModel* objectModel() const;
    QAbstractListModel* colorModel() const;
    QString inputFileName() const { return m_inputFileName; }
    void setInputFileName(const QString& inputFileName);
    // Empty for a photo whose file claims more pixels than a photo may have: the screen then
    // decodes nothing, and errorOccurred follows on the next turn of the event loop.
    QUrl inputFileUrl() const;
    // The photo's pixel size as its file claims it, read without decoding; empty when refused
    // or when the file tells none.
    QSize inputImageSize() const { return m_inputImageSize; }
    bool loadingTemplateList() const;
    bool processing() const { return m_processing; }
    bool templateWasLoaded() const { return m_templateWasLoaded; }
    bool canUndo() const;
    bool canRedo() const;
    QObject* selectedObject() const { return m_selectedObject.get(); }
    void setSelectedObject(QObject* object);
    QStringList templateList() const;
    DynamicFieldData dynamicFieldData() const { return m_dynamicFieldData; }
    void setDynamicFieldData(const DynamicFieldData& fieldData);

    // The objects in display order (bottom first).
    QVector<DrawingObjectPtr> objects() const;

    Q_INVOKABLE void setImageSize(QSize size);
    Q_INVOKABLE void undo();
    Q_INVOKABLE void redo();

    Q_INVOKABLE void createText(int x, int y, int fontSize, QColor backgroundColor, QColor strokeColor,
                                int strokeWidth, QColor textColor, QString text);
    Q_INVOKABLE void createImage(int x, int y, QColor backgroundColor, QColor strokeColor, int strokeWidth,
                                 QString sourcePath);
    Q_INVOKABLE void createRectangle(int x, int y, int width, int height, QColor backgroundColor,
                                     QColor strokeColor, int strokeWidth);
    Q_INVOKABLE void createEllipse(int x, int y, int width, int height, QColor backgroundColor, QColor strokeColor,
                                   int strokeWidth);
    Q_INVOKABLE void createLine(int x, int y, int width, int height, QColor backgroundColor, QColor strokeColor,
                                int strokeWidth);
    Q_INVOKABLE void createCross(int x, int y, int width, int height, QColor backgroundColor, QColor strokeColor,
                                 int strokeWidth);
    Q_INVOKABLE void createArrow(int x, int y, int width, int height, QColor backgroundColor, QColor strokeColor,
                                 int strokeWidth);
    Q_INVOKABLE void createDynamicText(int x, int y, int fontSize, QColor backgroundColor, QColor strokeColor,
                                       int strokeWidth, QColor textColor, CDrawingDynamicText::Field field);

    Q_INVOKABLE void deleteObject();
    Q_INVOKABLE void moveObject(int oldX, int oldY, int newX, int newY);
    Q_INVOKABLE void resizeObject(int x, int y, int width, int height);
    Q_INVOKABLE void rotateObject(int oldRotation, int newRotation);
    Q_INVOKABLE void changeObjectBackgroundColor(QColor color);
    Q_INVOKABLE void changeObjectStrokeColor(QColor color);
    Q_INVOKABLE void changeObjectStrokeWidth(int strokeWidth);
    Q_INVOKABLE void changeObjectText(QString text);
    Q_INVOKABLE void changeObjectFontSize(int fontSize);
    Q_INVOKABLE void changeObjectTextColor(QColor color);

    // Whether the picture's file claims no more pixels than a picture may have (or tells no
    // size); the screen shows only such pictures.
    Q_INVOKABLE bool isPictureWithinBound(QString sourcePath) const;

    Q_INVOKABLE QString queryTextForField(CDrawingDynamicText::Field field);
    Q_INVOKABLE bool checkTemplateExists(QString templateName) const;
    Q_INVOKABLE void applyTemplate(QString outputFileName);
    Q_INVOKABLE void loadFromTemplate(QString templateName);
    Q_INVOKABLE void saveAsTemplate(QString templateName);
    Q_INVOKABLE void deleteTemplate(QString templateName);
    Q_INVOKABLE QRectF computeResizedObjectRect(double currentX, double currentY, double currentWidth,
                                                double currentHeight, double rotation, double newX, double newY,
                                                double newWidth, double newHeight) const;

    // The size a text box needs: the current size when it holds the text in one line with
    // the stroke around it, else the needed size in both dimensions.
    static QSize textBoxSize(const QString& text, const QSize& currentSize, int strokeWidth, int fontSize);

signals:
    void inputFileNameChanged();
    void loadingTemplateListChanged();
    void processingChanged();
    void templateWasLoadedChanged();
    void canUndoChanged();
    void canRedoChanged();
    void selectedObjectChanged();
    void templateListChanged();
    void dynamicFieldDataChanged();
    void errorOccurred(QString errorMessage);
    void templateApplied();

private slots:
    void onObjectAdded(DrawingObjectPtr object);
    void onObjectRemoved(DrawingObjectPtr object);
    void onTemplateApplied(uint taskId, DrawingTemplatePtr drawingTemplate, QStringList inputFileNames,
                           QStringList outputFileNames, DrawingTemplateTypes::DrawingTemplateError error);
    void onTemplateLoaded(uint taskId, QString templateName, DrawingTemplatePtr drawingTemplate,
                          DrawingTemplateTypes::DrawingTemplateError error);
    void onTemplateSaved(uint taskId, DrawingTemplatePtr drawingTemplate,
                         DrawingTemplateTypes::DrawingTemplateError error);
    void onTemplateDeleted(uint taskId, QString templateName, DrawingTemplateTypes::DrawingTemplateError error);

private:
    template <typename Command, typename... Arguments>
    void push(Arguments&&... arguments);
    void select(const DrawingObjectPtr& object);
    void setProcessing(bool processing);
    // True (and the request settled) when the result belongs to the pending request.
    bool takePendingResult(uint taskId);
    QString textOfObject(const CDrawingObject& object);
    DrawingTemplatePtr templateOfObjects(const QString& name) const;
    QString translatedText(const QString& key, const QString& defaultText) const;
    // False, with a log line and the operator's message, for a picture claiming too much.
    bool checkPicture(const QString& sourcePath);

    DrawingObjectPtr m_selectedObject;
    QString m_inputFileName;
    QSize m_inputImageSize;
    bool m_inputFileRefused = false;
    DynamicFieldData m_dynamicFieldData;
    CDrawingObjectManager* m_objectManager = nullptr;
    CDrawingObjectModel* m_objectModel = nullptr;
    CColorModel* m_colorModel = nullptr;
    CUndoStack* m_undoStack = nullptr;
    uint m_pendingTaskId = 0;
    QSize m_imageSize;
    bool m_processing = false;
    bool m_templateWasLoaded = false;
    QPointer<CDrawingTemplateService> m_templateService;
    QPointer<CSettings> m_settings;
};
