#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class CMediaScanWorker;
class QThread;

// One search of a folder tree for photos and videos, paired with the paths they will have on
// the tablet. Lives on the GUI thread; owns its CMediaScanWorker, which lives on the media
// import thread and is deleted there (deleteLater) when the job goes away.
class CMediaScan : public QObject
{
    Q_OBJECT

public:
    enum Result
    {
        NotAvailable = 0,
        Cancelled = 1,
        Success = 2,
        FailedDuplicatesFound = 3
    };
    Q_ENUM(Result)

    explicit CMediaScan(QThread* workerThread);
    ~CMediaScan() override;

    void start(const QString& searchPath, const QStringList& matchFiles);
    void start(const QString& searchPath, const QString& destPhotosPath, const QString& destVideosPath);
    void pause();
    void resume();
    void cancel();

    Result result() const { return m_result; }
    QStringList foundFiles() const { return m_foundFiles; }
    QStringList destFiles() const { return m_destFiles; }
    QList<bool> foundFileStates() const { return m_foundFileStates; }

signals:
    void finished();

private slots:
    void onFinished(CMediaScan::Result result, QStringList foundFiles, QStringList destFiles,
                    QList<bool> foundFileStates);

private:
    CMediaScanWorker* m_worker = nullptr;
    Result m_result = NotAvailable;
    QStringList m_foundFiles;
    QStringList m_destFiles;
    QList<bool> m_foundFileStates;
};
