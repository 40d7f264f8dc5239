#pragma once

#include "SingleMediaFileLinkData.h"
#include "TovrinWebTypes.h"

#include <QObject>
#include <QString>
#include <QUuid>

class CAppRuntimeData;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Downloads one media file of a web project into the current local project: asks the web
// client for the file's link, then downloads it into the project folder under the folder and
// name the service gave (both checked: nothing is written outside the project folder; a link in
// the file's place is replaced by the complete file, never written through). One download at a
// time. Borrows the web client and the runtime data (the application's, unless
// given). GUI thread only.
class CWebMediaDownloadHandler : public QObject
{
    Q_OBJECT

public:
    explicit CWebMediaDownloadHandler(QObject* parent = nullptr);
    CWebMediaDownloadHandler(Tovrin::Web::TovrinWebApi* webApi, CAppRuntimeData* runtimeData,
                             QObject* parent = nullptr);
    ~CWebMediaDownloadHandler() override;

    void downloadFile(const QUuid& projectId, const QString& fileName);
    void pauseDownload();
    void resumeDownload();
    void cancelDownload();

    QString fileName() const { return m_fileName; }
    int fileProgress() const { return m_fileProgress; }
    int overallProgress() const { return m_overallProgress; }
    bool downloadInProgress() const { return m_downloadInProgress; }

signals:
    void errorOccurred(QString errorMessage);
    void downloadFinished();
    void fileProgressChanged();
    void overallProgressChanged();
    void fileNameChanged();
    void downloadCancelled();
    void downloadInProgressChanged();

public slots:
    void onDownloadFinished(uint downloadId);
    void onDownloadFileProgressChanged(uint downloadId, QString fileName, int progress);
    void onSingleFileLinkReceived(Tovrin::Web::SingleMediaFileLinkData mediaDataLink);
    void onErrorOccurred(Tovrin::Web::Error error);

private:
    void connectWebApi();
    // Back to idle.
    void endDownload();

    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    CAppRuntimeData* m_runtimeData = nullptr;
    uint m_downloadId = 0;
    QString m_fileName;
    QString m_localFilePath;
    int m_fileProgress = 0;
    int m_overallProgress = 0;
    bool m_downloadInProgress = false;
};
