#pragma once

#include <QObject>
#include <QStringList>

class CMediaImportWorker;
class QThread;

// One copy of chosen media onto the tablet, file by file and block by block, with progress
// in percent for the transfer screen. Lives on the GUI thread; owns its CMediaImportWorker,
// which lives on the media import thread and is deleted there (deleteLater) when the job goes
// away. Dropping a running job cancels it: the file in progress is removed, completed files stay.
class CMediaImport : public QObject
{
    Q_OBJECT

public:
    enum Result
    {
        NotAvailable = 0,
        Cancelled = 1,
        Success = 2,
        FileReadFailure = 3,
        FileWriteFailure = 4,
        // The destination's drive filled during the import.
        DiskFull = 5
    };
    Q_ENUM(Result)

    explicit CMediaImport(QThread* workerThread);
    ~CMediaImport() override;

    // A destination among replaceableFiles is replaced once its new copy is complete; any other
    // destination that exists fails the import.
    void start(const QStringList& sourceFiles, const QStringList& destFiles,
               const QStringList& replaceableFiles = QStringList());
    void pause();
    void resume();
    void cancel();

    Result result() const { return m_result; }
    qint64 totalSize() const { return m_totalSize; }
    int totalProgress() const { return m_totalProgress; }
    qint64 currentFileSize() const { return m_currentFileSize; }
    int currentFileProgress() const { return m_currentFileProgress; }
    QString currentFileName() const { return m_currentFileName; }
    QStringList processedFiles() const { return m_processedFiles; }

    // Percent of written in size, truncated; an empty size counts as complete.
    static int percentOf(qint64 written, qint64 size);

signals:
    void finished();
    void totalProgressChanged();
    void currentFileProgressChanged();
    void currentFileNameChanged();
    void currentFileSizeChanged();

private slots:
    void onCurrentFileNameChanged(QString fileName);
    void onCurrentFileSizeChanged(qlonglong size);
    void onTotalSizeChanged(qlonglong size);
    void onBytesWritten(qlonglong size);
    void onFileCompleted(QString fileName);
    void onFinished(CMediaImport::Result result);

private:
    CMediaImportWorker* m_worker = nullptr;
    Result m_result = NotAvailable;
    QString m_currentFileName;
    qint64 m_currentFileSize = 0;
    qint64 m_currentFileWritten = 0;
    int m_currentFileProgress = 0;
    qint64 m_totalSize = 0;
    qint64 m_totalWritten = 0;
    int m_totalProgress = 0;
    QStringList m_processedFiles;
};
