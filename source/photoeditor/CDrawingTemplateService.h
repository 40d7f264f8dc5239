#pragma once

#include "photoeditor/CDrawingTemplate.h"
#include "photoeditor/DrawingTemplateTypes.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
}

class CDrawingTemplateServiceWorker;

// Lists, loads, saves, deletes and applies drawing templates. Lives on the GUI thread; all
// file work and rendering runs on its worker, which lives on the service's own worker
// thread. The service owns both and stops the thread (quit, wait) in its destructor.
// Requests return a task id at once (never 0); the result signal carries the same id.
class CDrawingTemplateService : public QObject
{
    Q_OBJECT

public:
    // Uses the application's templates folder.
    CDrawingTemplateService();
    // Uses the given templates folder (a path ending in "/").
    explicit CDrawingTemplateService(const QString& templatesPath);
    ~CDrawingTemplateService() override;

    uint applyTemplate(const QString& templateName, const QStringList& inputFileNames,
                       const QStringList& outputFileNames, const DynamicFieldDataList& fieldDataList);
    uint applyTemplate(const DrawingTemplatePtr& drawingTemplate, const QStringList& inputFileNames,
                       const QStringList& outputFileNames, const DynamicFieldDataList& fieldDataList);
    uint saveTemplate(const DrawingTemplatePtr& drawingTemplate);
    uint loadTemplate(const QString& templateName);
    uint deleteTemplate(const QString& templateName);

    QStringList templateList() const;
    bool templateExists(const QString& templateName) const;
    bool templateListReady() const;
    bool hasPendingTasks() const;

    // The built-in templates, name to resource path.
    static QMap<QString, QString> builtInTemplates();

signals:
    void templateListReadyChanged();
    void templateListChanged();
    void templateLoaded(uint taskId, QString templateName, DrawingTemplatePtr drawingTemplate,
                        DrawingTemplateTypes::DrawingTemplateError error);
    void templateSaved(uint taskId, DrawingTemplatePtr drawingTemplate,
                       DrawingTemplateTypes::DrawingTemplateError error);
    void templateDeleted(uint taskId, QString templateName, DrawingTemplateTypes::DrawingTemplateError error);
    void templateApplied(uint taskId, DrawingTemplatePtr drawingTemplate, QStringList inputFileNames,
                         QStringList outputFileNames, DrawingTemplateTypes::DrawingTemplateError error);

private slots:
    void onTemplateListReadyChanged(bool ready);
    void onTemplateLoaded(uint taskId, QString templateName, DrawingTemplatePtr drawingTemplate,
                          DrawingTemplateTypes::DrawingTemplateError error);
    void onTemplateSaved(uint taskId, DrawingTemplatePtr drawingTemplate,
                         DrawingTemplateTypes::DrawingTemplateError error);
    void onTemplateDeleted(uint taskId, QString templateName, DrawingTemplateTypes::DrawingTemplateError error);
    void onTemplateApplied(uint taskId, DrawingTemplatePtr drawingTemplate, QStringList inputFileNames,
                           QStringList outputFileNames, DrawingTemplateTypes::DrawingTemplateError error);

private:
    uint takeNextTaskId();
    QString templatePath(const QString& templateName) const;
    DrawingTemplatePtr callerTemplate(uint taskId, const DrawingTemplatePtr& workerTemplate);

    QString m_templatesPath;
    Tovrin::Shared::WorkerThread* m_workerThread = nullptr;
    CDrawingTemplateServiceWorker* m_worker = nullptr;
    uint m_lastTaskId = 0;
    uint m_pendingCount = 0;
    bool m_templateListReady = false;
    // The worker gets its own copies of the objects; results hand the caller's template back.
    QHash<uint, DrawingTemplatePtr> m_callerTemplates;
};
