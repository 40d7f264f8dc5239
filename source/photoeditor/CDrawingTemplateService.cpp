#include "photoeditor/CDrawingTemplateService.h"

#include "photoeditor/CDrawingTemplateServiceWorker.h"
#include "photoeditor/TaskIds.h"

#include "application/PathHelpers.h"

#include "CLogger.h"
#include "WorkerThread.h"

#include <QThread>

namespace {

// A batch stops after its current photo; one photo on a stuck file system must not hang the
// exit for ever.
const int ShutdownTimeoutMs = 30000;

} // namespace

CDrawingTemplateService::CDrawingTemplateService()
    : CDrawingTemplateService(queryDrawingTemplatesPath())
{
}

CDrawingTemplateService::CDrawingTemplateService(const QString& templatesPath)
    : m_templatesPath(templatesPath)
{
    m_workerThread = new Tovrin::Shared::WorkerThread();
    m_worker = new CDrawingTemplateServiceWorker(QThread::currentThread(), builtInTemplates());
    m_worker->moveToThread(m_workerThread);

    DrawingTemplateTypes::registerMetaTypes();

    connect(m_worker, &CDrawingTemplateServiceWorker::templateListReadyChanged, this,
            &CDrawingTemplateService::onTemplateListReadyChanged, Qt::QueuedConnection);
    connect(m_worker, &CDrawingTemplateServiceWorker::templateListChanged, this,
            &CDrawingTemplateService::templateListChanged, Qt::QueuedConnection);
    connect(m_worker, &CDrawingTemplateServiceWorker::templateLoaded, this,
            &CDrawingTemplateService::onTemplateLoaded, Qt::QueuedConnection);
    connect(m_worker, &CDrawingTemplateServiceWorker::templateSaved, this,
            &CDrawingTemplateService::onTemplateSaved, Qt::QueuedConnection);
    connect(m_worker, &CDrawingTemplateServiceWorker::templateDeleted, this,
            &CDrawingTemplateService::onTemplateDeleted, Qt::QueuedConnection);
    connect(m_worker, &CDrawingTemplateServiceWorker::templateApplied, this,
            &CDrawingTemplateService::onTemplateApplied, Qt::QueuedConnection);

    m_workerThread->blockingStart();

    CDrawingTemplateServiceWorker* worker = m_worker;
    const QString path = m_templatesPath;
    QMetaObject::invokeMethod(m_worker, [worker, path]() { worker->init(path); }, Qt::QueuedConnection);
}

CDrawingTemplateService::~CDrawingTemplateService()
{
    // A batch in progress stops after its current photo, so the wait lasts one photo at most.
    m_workerThread->requestInterruption();
    m_workerThread->quit();
    if (!m_workerThread->wait(ShutdownTimeoutMs)) {
        // Deleting the worker under a running thread would crash; at exit leaking is harmless.
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("DrawingTemplates"),
                                             "Drawing-template worker did not stop in time.", {ShutdownTimeoutMs});
        return;
    }
    delete m_worker;
    delete m_workerThread;
}

QMap<QString, QString> CDrawingTemplateService::builtInTemplates()
{
    return {
        {QStringLiteral("Gully Rover"), QStringLiteral(":/drawingtemplates/Gullyrover.xml")},
        {QStringLiteral("Hoselux Photo (2016x1512)"), QStringLiteral(":/drawingtemplates/HoseluxOriginalPhoto.xml")},
        {QStringLiteral("Hoselux Video > Photo (720p)"),
         QStringLiteral(":/drawingtemplates/HoseluxPhotoFromVideo720p.xml")},
        {QStringLiteral("Hoselux Video > Photo (1080p)"),
         QStringLiteral(":/drawingtemplates/HoseluxPhotoFromVideo1080p.xml")},
        {QStringLiteral("Hoselux Video > Photo (1440p)"),
         QStringLiteral(":/drawingtemplates/HoseluxPhotoFromVideo1440p.xml")},
        {QStringLiteral("Zephira (720p)"), QStringLiteral(":/drawingtemplates/Zephira720p.xml")},
        {QStringLiteral("Zephira (1080p)"), QStringLiteral(":/drawingtemplates/Zephira1080p.xml")},
    };
}

uint CDrawingTemplateService::takeNextTaskId()
{
    m_lastTaskId = nextTaskId(m_lastTaskId);
    ++m_pendingCount;
    return m_lastTaskId;
}

QString CDrawingTemplateService::templatePath(const QString& templateName) const
{
    return m_worker->templateMap().value(templateName);
}

DrawingTemplatePtr CDrawingTemplateService::callerTemplate(uint taskId, const DrawingTemplatePtr& workerTemplate)
{
    const auto it = m_callerTemplates.find(taskId);
    if (it == m_callerTemplates.end()) {
        return workerTemplate;
    }
    const DrawingTemplatePtr original = it.value();
    m_callerTemplates.erase(it);
    return original;
}

uint CDrawingTemplateService::applyTemplate(const QString& templateName, const QStringList& inputFileNames,
                                            const QStringList& outputFileNames,
                                            const DynamicFieldDataList& fieldDataList)
{
    const uint taskId = takeNextTaskId();
    CDrawingTemplateServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker,
        [worker, taskId, templateName, inputFileNames, outputFileNames, fieldDataList]() {
            worker->applyTemplate(taskId, templateName, inputFileNames, outputFileNames, fieldDataList);
        },
        Qt::QueuedConnection);
    return taskId;
}

uint CDrawingTemplateService::applyTemplate(const DrawingTemplatePtr& drawingTemplate,
                                            const QStringList& inputFileNames, const QStringList& outputFileNames,
                                            const DynamicFieldDataList& fieldDataList)
{
    const uint taskId = takeNextTaskId();
    // The editor may go on changing its objects while the worker renders: the worker gets
    // copies, and the result carries the caller's own template.
    DrawingTemplatePtr copy;
    if (drawingTemplate) {
        copy = drawingTemplate->deepCopy();
        copy->moveObjectsToThread(m_workerThread);
        m_callerTemplates.insert(taskId, drawingTemplate);
    }
    CDrawingTemplateServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker,
        [worker, taskId, copy, inputFileNames, outputFileNames, fieldDataList]() {
            worker->applyTemplate(taskId, copy, inputFileNames, outputFileNames, fieldDataList);
        },
        Qt::QueuedConnection);
    return taskId;
}

uint CDrawingTemplateService::saveTemplate(const DrawingTemplatePtr& drawingTemplate)
{
    const uint taskId = takeNextTaskId();
    const QString name = drawingTemplate ? drawingTemplate->name() : QString();
    QString path = templatePath(name);
    if (path.isEmpty()) {
        path = createUniqueUuidFileName(m_templatesPath, QStringLiteral(".xml"), true);
    }
    DrawingTemplatePtr copy;
    if (drawingTemplate) {
        copy = drawingTemplate->deepCopy();
        copy->moveObjectsToThread(m_workerThread);
        m_callerTemplates.insert(taskId, drawingTemplate);
    }
    CDrawingTemplateServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker, [worker, taskId, copy, path]() { worker->saveTemplate(taskId, copy, path); },
        Qt::QueuedConnection);
    return taskId;
}

uint CDrawingTemplateService::loadTemplate(const QString& templateName)
{
    const uint taskId = takeNextTaskId();
    const QString path = templatePath(templateName);
    CDrawingTemplateServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker, [worker, taskId, templateName, path]() { worker->loadTemplate(taskId, templateName, path); },
        Qt::QueuedConnection);
    return taskId;
}

uint CDrawingTemplateService::deleteTemplate(const QString& templateName)
{
    const uint taskId = takeNextTaskId();
    const QString path = templatePath(templateName);
    CDrawingTemplateServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker, [worker, taskId, templateName, path]() { worker->deleteTemplate(taskId, templateName, path); },
        Qt::QueuedConnection);
    return taskId;
}

QStringList CDrawingTemplateService::templateList() const
{
    return m_worker->templateMap().keys();
}

bool CDrawingTemplateService::templateExists(const QString& templateName) const
{
    return m_worker->templateMap().contains(templateName);
}

bool CDrawingTemplateService::templateListReady() const
{
    return m_templateListReady;
}

bool CDrawingTemplateService::hasPendingTasks() const
{
    return m_pendingCount != 0;
}

void CDrawingTemplateService::onTemplateListReadyChanged(bool ready)
{
    m_templateListReady = ready;
    emit templateListReadyChanged();
}

void CDrawingTemplateService::onTemplateLoaded(uint taskId, QString templateName, DrawingTemplatePtr drawingTemplate,
                                               DrawingTemplateTypes::DrawingTemplateError error)
{
    --m_pendingCount;
    emit templateLoaded(taskId, templateName, drawingTemplate, error);
}

void CDrawingTemplateService::onTemplateSaved(uint taskId, DrawingTemplatePtr drawingTemplate,
                                              DrawingTemplateTypes::DrawingTemplateError error)
{
    --m_pendingCount;
    emit templateSaved(taskId, callerTemplate(taskId, drawingTemplate), error);
}

void CDrawingTemplateService::onTemplateDeleted(uint taskId, QString templateName,
                                                DrawingTemplateTypes::DrawingTemplateError error)
{
    --m_pendingCount;
    emit templateDeleted(taskId, templateName, error);
}

void CDrawingTemplateService::onTemplateApplied(uint taskId, DrawingTemplatePtr drawingTemplate,
                                                QStringList inputFileNames, QStringList outputFileNames,
                                                DrawingTemplateTypes::DrawingTemplateError error)
{
    --m_pendingCount;
    emit templateApplied(taskId, callerTemplate(taskId, drawingTemplate), inputFileNames, outputFileNames, error);
}
