#pragma once

#include "mediaimport/CMediaIOScreenController.h"

#include "TovrinWebTypes.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QUuid>

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Controller of the web upload screen: sends one local project to the web service with the
// media files of its manhole surveys named apart, and shows the transfer. Borrows the web
// client (the application's unless given). GUI thread only.
class CWebUploadScreenController : public CMediaIOScreenController
{
    Q_OBJECT

public:
    explicit CWebUploadScreenController(QObject* parent = nullptr);
    CWebUploadScreenController(Tovrin::Web::TovrinWebApi* webApi, QObject* parent);
    ~CWebUploadScreenController() override;

    Q_INVOKABLE void startUpload(const QUuid& projectId, const QString& projectName, const QString& projectPath,
                                 const QDateTime& projectCreationDate);
    Q_INVOKABLE void handleWebError(Tovrin::Web::Error error);

    // Paths, relative to the project folder, of the photos and videos of the manhole surveys.
    QSet<QString> manholeMedia() const { return m_manholeMedia; }
    uint uploadId() const { return m_uploadId; }

    // The manhole media of the project file in the folder; empty when it cannot be read.
    static QSet<QString> readManholeMedia(const QString& projectPath);

public slots:
    void onErrorOccurred(Tovrin::Web::Error error);
    void onUploadTotalProgressChanged(uint uploadId, int value);
    void onUploadFileProgressChanged(uint uploadId, QString fileName, int progress);
    void onUploadFinished(uint uploadId);

protected:
    void pauseOperation() override;
    void resumeOperation() override;
    void abortOperation() override;
    bool queryOperationInProgress() const override { return m_uploadId != 0; }
    QString queryCurrentFileName() const override { return m_currentFileName; }
    int queryCurrentFileProgress() const override { return m_currentFileProgress; }
    int queryOverallProgress() const override { return m_overallProgress; }

private:
    // Back to idle, showing nothing of the last transfer.
    void reset();
    // Back to idle; what the screen shows of the transfer stays.
    void endUpload();
    void setShownProgress(int fileProgress, int overallProgress);

    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    QString m_currentFilePath;
    QString m_currentFileName;
    uint m_uploadId = 0;
    int m_currentFileProgress = 0;
    int m_overallProgress = 0;
    QSet<QString> m_manholeMedia;
    QStringList m_processed;
};
