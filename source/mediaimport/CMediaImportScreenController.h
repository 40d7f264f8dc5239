#pragma once

#include "mediaimport/CMediaIOScreenController.h"

#include <memory>

class CMediaImport;

// The media import screen: checks free space and that the files to be overwritten can be
// replaced, runs the import (which replaces each of them only with its complete new copy) and
// shows its progress and outcome. Holds the running import; dropping it (the
// screen closes) cancels it, keeping the files already copied. GUI thread only.
class CMediaImportScreenController : public CMediaIOScreenController
{
    Q_OBJECT

public:
    explicit CMediaImportScreenController(QObject* parent = nullptr);
    ~CMediaImportScreenController() override;

    Q_INVOKABLE void startImport(QStringList sourceFiles, QStringList destFiles, QStringList overwriteableFiles);

protected:
    void pauseOperation() override;
    void resumeOperation() override;
    void abortOperation() override;
    bool queryOperationInProgress() const override;
    QString queryCurrentFileName() const override;
    int queryCurrentFileProgress() const override;
    int queryOverallProgress() const override;

private slots:
    void onImportFinished();
    void onCurrentFileSizeChanged();
    void onTotalProgressChanged();

private:
    void attachImport(const std::shared_ptr<CMediaImport>& import);
    void reportError(int code, const QString& fileName = QString());

    std::shared_ptr<CMediaImport> m_import;
};
