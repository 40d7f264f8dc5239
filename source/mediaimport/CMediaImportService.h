#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CMediaImport;
class CMediaScan;

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
} // namespace Tovrin

// Scans folders for media and copies chosen media onto the tablet, on one worker thread shared
// by all scan and import jobs. The application creates the service at start and deletes it at
// exit; the service owns the thread. Each job (CMediaScan, CMediaImport) lives on the GUI
// thread, is held by its screen through a shared pointer and owns its worker on the thread.
class CMediaImportService : public QObject
{
    Q_OBJECT

public:
    explicit CMediaImportService(QObject* parent = nullptr);
    ~CMediaImportService() override;

    // Match mode: found files whose names equal those of matchFiles go to those paths.
    std::shared_ptr<CMediaScan> createScan(const QString& searchPath, const QStringList& matchFiles);
    // Destination mode: photos go into destPhotosPath, videos into destVideosPath.
    std::shared_ptr<CMediaScan> createScan(const QString& searchPath, const QString& destPhotosPath,
                                           const QString& destVideosPath);
    // Copies sourceFiles[i] to destFiles[i]; those of replaceableFiles that exist are replaced
    // as their new copies complete.
    std::shared_ptr<CMediaImport> createImport(const QStringList& sourceFiles, const QStringList& destFiles,
                                               const QStringList& replaceableFiles = QStringList());

signals:
    void importFinished();

private:
    Tovrin::Shared::WorkerThread* m_workerThread = nullptr;
};
