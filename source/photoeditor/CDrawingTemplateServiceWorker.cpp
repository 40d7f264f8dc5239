#include "photoeditor/CDrawingTemplateServiceWorker.h"

#include "photoeditor/CDrawingRenderer.h"
#include "photoeditor/CDrawingTemplateReader.h"
#include "photoeditor/CDrawingTemplateWriter.h"

#include "application/PathHelpers.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QThread>

CDrawingTemplateServiceWorker::CDrawingTemplateServiceWorker(QThread* ownerThread,
                                                             const QMap<QString, QString>& templateMap)
    : m_ownerThread(ownerThread)
    , m_templateMap(templateMap)
{
}

QMap<QString, QString> CDrawingTemplateServiceWorker::templateMap() const
{
    QMutexLocker locker(&m_mutex);
    return m_templateMap;
}

void CDrawingTemplateServiceWorker::setTemplateMap(const QMap<QString, QString>& templateMap)
{
    {
        QMutexLocker locker(&m_mutex);
        m_templateMap = templateMap;
    }
    emit templateListChanged();
}

void CDrawingTemplateServiceWorker::init(const QString& templatePath)
{
    const QDir folder(templatePath);
    const QStringList fileNames =
        folder.entryList(QStringList{QStringLiteral("*") + QStringLiteral(".xml")}, QDir::Files, QDir::Unsorted);

    QMap<QString, QString> map = m_templateMap;
    for (const QString& fileName : fileNames) {
        const QString filePath = buildFilePath(templatePath, fileName);
        CDrawingTemplateReader reader;
        const DrawingTemplatePtr drawingTemplate = reader.read(filePath, true);
        if (drawingTemplate) {
            map.insert(drawingTemplate->name(), filePath);
        }
    }
    setTemplateMap(map);
    emit templateListReadyChanged(true);
}

void CDrawingTemplateServiceWorker::applyTemplate(uint taskId, const QString& templateName,
                                                  const QStringList& inputFileNames,
                                                  const QStringList& outputFileNames,
                                                  const DynamicFieldDataList& fieldDataList)
{
    DrawingTemplatePtr drawingTemplate;
    const QString filePath = m_templateMap.value(templateName);
    if (!filePath.isEmpty()) {
        CDrawingTemplateReader reader;
        drawingTemplate = reader.read(filePath, false);
    }
    applyTemplate(taskId, drawingTemplate, inputFileNames, outputFileNames, fieldDataList);
}

void CDrawingTemplateServiceWorker::applyTemplate(uint taskId, const DrawingTemplatePtr& drawingTemplate,
                                                  const QStringList& inputFileNames,
                                                  const QStringList& outputFileNames,
                                                  const DynamicFieldDataList& fieldDataList)
{
    DrawingTemplateTypes::DrawingTemplateError error = DrawingTemplateTypes::DrawingTemplateErrorNone;
    if (!drawingTemplate) {
        error = DrawingTemplateTypes::DrawingTemplateErrorApplication;
    } else if (inputFileNames.size() != outputFileNames.size() || inputFileNames.size() != fieldDataList.size()) {
        error = DrawingTemplateTypes::DrawingTemplateErrorApplication;
    } else {
        const QVector<DrawingObjectPtr> objects = drawingTemplate->objects();
        for (int i = 0; i < inputFileNames.size(); ++i) {
            // The service is shutting down: finish the photo at hand, leave the rest untouched.
            if (QThread::currentThread()->isInterruptionRequested()) {
                error = DrawingTemplateTypes::DrawingTemplateErrorApplication;
                break;
            }
            CDrawingRenderer renderer;
            if (!renderer.renderFile(inputFileNames.at(i), outputFileNames.at(i), objects, fieldDataList.at(i))) {
                // One failure stops the batch: later photos stay untouched.
                error = DrawingTemplateTypes::DrawingTemplateErrorApplication;
                break;
            }
        }
    }
    if (drawingTemplate) {
        drawingTemplate->moveObjectsToThread(m_ownerThread);
    }
    emit templateApplied(taskId, drawingTemplate, inputFileNames, outputFileNames, error);
}

void CDrawingTemplateServiceWorker::saveTemplate(uint taskId, const DrawingTemplatePtr& drawingTemplate,
                                                 const QString& templateFilePath)
{
    CDrawingTemplateWriter writer;
    const bool written = writer.write(drawingTemplate, templateFilePath);
    emit templateSaved(taskId, drawingTemplate,
                       written ? DrawingTemplateTypes::DrawingTemplateErrorNone
                               : DrawingTemplateTypes::DrawingTemplateErrorSaveFile);
    if (written && !m_templateMap.contains(drawingTemplate->name())) {
        QMap<QString, QString> map = m_templateMap;
        map.insert(drawingTemplate->name(), templateFilePath);
        setTemplateMap(map);
    }
}

void CDrawingTemplateServiceWorker::loadTemplate(uint taskId, const QString& templateName,
                                                 const QString& templateFilePath)
{
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr drawingTemplate = templateFilePath.isEmpty() ? DrawingTemplatePtr()
                                                                          : reader.read(templateFilePath, false);
    if (!drawingTemplate) {
        emit templateLoaded(taskId, templateName, DrawingTemplatePtr(),
                            DrawingTemplateTypes::DrawingTemplateErrorLoadFile);
        return;
    }
    drawingTemplate->moveObjectsToThread(m_ownerThread);
    emit templateLoaded(taskId, templateName, drawingTemplate, DrawingTemplateTypes::DrawingTemplateErrorNone);
}

void CDrawingTemplateServiceWorker::deleteTemplate(uint taskId, const QString& templateName,
                                                   const QString& templateFilePath)
{
    // Built-ins live in the read-only resources, so removing them fails here too.
    if (templateFilePath.isEmpty() || templateFilePath.startsWith(QLatin1Char(':')) ||
        !QFile::remove(templateFilePath)) {
        emit templateDeleted(taskId, templateName, DrawingTemplateTypes::DrawingTemplateErrorDeleteFile);
        return;
    }
    emit templateDeleted(taskId, templateName, DrawingTemplateTypes::DrawingTemplateErrorNone);
    if (m_templateMap.contains(templateName)) {
        QMap<QString, QString> map = m_templateMap;
        map.remove(templateName);
        setTemplateMap(map);
    }
}
