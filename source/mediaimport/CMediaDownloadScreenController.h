#pragma once

#include "mediaimport/CMediaIOScreenController.h"

#include <memory>

namespace Ulx {
namespace Multimedia {
class CAbstractMediaDownload;
}
} // namespace Ulx

// The camera media download screen: follows the download that a gallery or the media view has
// just started (the remote media storage's active download), shows its progress and turns its
// end into the outcome signals. Shares the followed download with the storage. GUI thread only.
class CMediaDownloadScreenController : public CMediaIOScreenController
{
    Q_OBJECT

public:
    explicit CMediaDownloadScreenController(QObject* parent = nullptr);
    ~CMediaDownloadScreenController() override;

    // Pauses or resumes the followed download (the screen's pause button).
    Q_INVOKABLE void pauseDownload();
    Q_INVOKABLE void resumeDownload();

protected:
    void pauseOperation() override;
    void resumeOperation() override;
    void abortOperation() override;
    bool queryOperationInProgress() const override;
    QString queryCurrentFileName() const override;
    int queryCurrentFileProgress() const override;
    int queryOverallProgress() const override;

private slots:
    void onCurrentFileSizeChanged();
    void onDownloadFinished();

private:
    void attachDownload(const std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload>& download);

    std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload> m_download;
};
