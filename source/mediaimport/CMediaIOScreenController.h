#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

// Base of the screen controllers that show a running file transfer (media import, camera and
// web downloads, web upload): progress properties for QML, the cancel request and a 1000 ms
// re-estimate of the remaining time. The transfer itself is reached through the seven hooks
// every subclass implements. GUI thread only.
class CMediaIOScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool cancelInProgress READ cancelInProgress NOTIFY cancelInProgressChanged)
    Q_PROPERTY(bool operationInProgress READ operationInProgress NOTIFY operationInProgressChanged)
    Q_PROPERTY(int currentFileProgress READ currentFileProgress NOTIFY currentFileProgressChanged)
    Q_PROPERTY(QString estimatedTimeRemaining READ estimatedTimeRemaining NOTIFY estimatedTimeRemainingChanged)
    Q_PROPERTY(int overallProgress READ overallProgress NOTIFY overallProgressChanged)
    Q_PROPERTY(QString currentFileName READ currentFileName NOTIFY currentFileNameChanged)
    Q_PROPERTY(QString currentFileSize READ currentFileSize NOTIFY currentFileSizeChanged)
    Q_PROPERTY(QString overallSize READ overallSize NOTIFY overallSizeChanged)

public:
    static constexpr int ProgressIntervalMs = 1000;

    explicit CMediaIOScreenController(QObject* parent = nullptr);
    ~CMediaIOScreenController() override;

    bool cancelInProgress() const { return m_cancelInProgress; }
    bool operationInProgress() const { return queryOperationInProgress(); }
    int currentFileProgress() const { return queryCurrentFileProgress(); }
    QString estimatedTimeRemaining() const { return m_estimatedTimeRemaining; }
    int overallProgress() const { return queryOverallProgress(); }
    QString currentFileName() const { return queryCurrentFileName(); }
    QString currentFileSize() const { return m_currentFileSize; }
    QString overallSize() const { return m_overallSize; }
    quint32 remainingSeconds() const { return m_remainingSeconds; }

    Q_INVOKABLE QStringList queryProcessedFiles() const { return m_processedFiles; }
    Q_INVOKABLE void cancelOperation();

    // Seconds left at progress percent after elapsedMs; 0 while nothing can be said.
    static quint32 estimateRemainingSeconds(int progress, qint64 elapsedMs);
    // "Not available", "Less than 1 minute", "1 minute" or "{0} minutes".
    static QString remainingTimeText(quint32 seconds);

    void setCurrentFileSize(const QString& size);
    void setOverallSize(const QString& size);
    void setCancelInProgress(bool cancelInProgress);
    void setEstimatedTimeRemaining(quint32 seconds);
    // The transfer began: timer and elapsed time run; it ended: both stop.
    void startProgressTimer();
    void stopProgressTimer();
    // One tick of the estimate, at the given elapsed time.
    void updateEstimate(qint64 elapsedMs);

signals:
    void operationInProgressChanged();
    void cancelInProgressChanged();
    void currentFileNameChanged();
    void currentFileProgressChanged();
    void overallProgressChanged();
    void estimatedTimeRemainingChanged();
    void currentFileSizeChanged();
    void overallSizeChanged();
    void operationFinished();
    void operationCancelled();
    void operationErrorOccurred(QString errorMessage);
    void operationPausedInBackground();

protected:
    virtual void pauseOperation() = 0;
    virtual void resumeOperation() = 0;
    virtual void abortOperation() = 0;
    virtual bool queryOperationInProgress() const = 0;
    virtual QString queryCurrentFileName() const = 0;
    virtual int queryCurrentFileProgress() const = 0;
    virtual int queryOverallProgress() const = 0;

    // A transfer was attached (its sizes shown, the estimate's timer running) or let go
    // (attached false: sizes cleared, timer stopped); every progress property is announced anew.
    void showTransfer(bool attached, qint64 currentFileSize = 0, qint64 totalSize = 0);

    void timerEvent(QTimerEvent* event) override;
    void setProcessedFiles(const QStringList& files) { m_processedFiles = files; }

private:
    QString m_currentFileSize;
    QString m_overallSize;
    QString m_estimatedTimeRemaining;
    quint32 m_remainingSeconds = 0;
    bool m_cancelInProgress = false;
    QStringList m_processedFiles;
    // Monotonic: a transfer across midnight or a clock change keeps a sound estimate.
    QElapsedTimer m_startTime;
    QBasicTimer m_progressTimer;
};
