#pragma once

#include "photoeditor/CDrawingTemplate.h"
#include "photoeditor/DrawingTemplateTypes.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

class QThread;

// Does the template service's file work and rendering on the service's worker thread. Its
// template map (name to file or resource path) is written only on that thread; the mutex
// lets the GUI thread take copies.
class CDrawingTemplateServiceWorker : public QObject
{
    Q_OBJECT

public:
    CDrawingTemplateServiceWorker(QThread* ownerThread, const QMap<QString, QString>& templateMap);

    QMap<QString, QString> templateMap() const;
    void setTemplateMap(const QMap<QString, QString>& templateMap);

public slots:
    void init(const QString& templatePath);
    void applyTemplate(uint taskId, const QString& templateName, const QStringList& inputFileNames,
                       const QStringList& outputFileNames, const DynamicFieldDataList& fieldDataList);
    void applyTemplate(uint taskId, const DrawingTemplatePtr& drawingTemplate, const QStringList& inputFileNames,
                       const QStringList& outputFileNames, const DynamicFieldDataList& fieldDataList);
    void saveTemplate(uint taskId, const DrawingTemplatePtr& drawingTemplate, const QString& templateFilePath);
    void loadTemplate(uint taskId, const QString& templateName, const QString& templateFilePath);
    void deleteTemplate(uint taskId, const QString& templateName, const QString& templateFilePath);

signals:
    void templateListReadyChanged(bool ready);
    void templateListChanged();
    void templateLoaded(uint taskId, QString templateName, DrawingTemplatePtr drawingTemplate,
                        DrawingTemplateTypes::DrawingTemplateError error);
    void templateSaved(uint taskId, DrawingTemplatePtr drawingTemplate,
                       DrawingTemplateTypes::DrawingTemplateError error);
    void templateDeleted(uint taskId, QString templateName, DrawingTemplateTypes::DrawingTemplateError error);
    void templateApplied(uint taskId, DrawingTemplatePtr drawingTemplate, QStringList inputFileNames,
                         QStringList outputFileNames, DrawingTemplateTypes::DrawingTemplateError error);

private:
    QThread* m_ownerThread;
    QMap<QString, QString> m_templateMap;
    mutable QMutex m_mutex;
};
