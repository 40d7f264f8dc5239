#pragma once

#include "mediaimport/CMediaIOScreenController.h"

#include <QString>

class CAppRuntimeData;
class CProjectDownloadHandler;
class CWebMediaDownloadHandler;

// Controller of the web download screen: follows either a whole web project being downloaded
// into a new local project or one media file of the current project, with progress and the
// estimated remaining time. Owns both handlers (made by the constructor, deleted by the
// destructor); singleMediaDownload chooses which one the screen drives. GUI thread only.
class CWebDownloadScreenController : public CMediaIOScreenController
{
    Q_OBJECT
    Q_PROPERTY(bool singleMediaDownload WRITE setSingleMediaDownload)

public:
    explicit CWebDownloadScreenController(QObject* parent = nullptr);
    // Drives the given handlers instead (taken over) and reads the current project from the
    // runtime data (borrowed).
    CWebDownloadScreenController(CProjectDownloadHandler* projectHandler, CWebMediaDownloadHandler* mediaHandler,
                                 CAppRuntimeData* runtimeData, QObject* parent = nullptr);
    ~CWebDownloadScreenController() override;

    void setSingleMediaDownload(bool single) { m_singleMediaDownload = single; }

    Q_INVOKABLE void startDownload(const QString& projectId, const QString& projectName);
    Q_INVOKABLE void downloadFile(const QString& fileName);
    Q_INVOKABLE void pauseCurrentDownload();
    Q_INVOKABLE void resumeCurrentDownload();

    CProjectDownloadHandler* projectDownloadHandler() const { return m_projectHandler; }

protected:
    void pauseOperation() override;
    void resumeOperation() override;
    void abortOperation() override;
    bool queryOperationInProgress() const override;
    QString queryCurrentFileName() const override;
    int queryCurrentFileProgress() const override;
    int queryOverallProgress() const override;

private:
    void connectHandlers();
    // The transfer is over (finished, cancelled or failed): the estimate stops with it.
    void endOfOperation();

    CProjectDownloadHandler* m_projectHandler = nullptr;
    CWebMediaDownloadHandler* m_mediaHandler = nullptr;
    CAppRuntimeData* m_runtimeData = nullptr;
    bool m_singleMediaDownload = false;
};
