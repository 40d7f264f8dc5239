#include "mediaimport/CMediaIOScreenController.h"

#include "helpers/FormattingHelpers.h"
#include "messages/CErrorMessageHelper.h"

#include "CTranslator.h"

#include <QTimerEvent>

namespace {

const QString TranslationContext = QStringLiteral("Ombrastella.Zephira.App.MediaIOScreenController");

QString text(const QString& key, const QString& english, const QVariant& parameters = QVariant())
{
    if (const Tovrin::Translation::CTranslator* translator = CErrorMessageHelper::translator())
        return translator->txt(TranslationContext, key, english, parameters);
    QString result = english;
    if (parameters.isValid())
        Tovrin::Translation::CTranslator::processParameters(result, parameters.toList());
    return result;
}

} // namespace

CMediaIOScreenController::CMediaIOScreenController(QObject* parent)
    : QObject(parent)
    , m_estimatedTimeRemaining(remainingTimeText(0))
{
}

CMediaIOScreenController::~CMediaIOScreenController()
{
    if (m_progressTimer.isActive())
        m_progressTimer.stop();
}

void CMediaIOScreenController::cancelOperation()
{
    if (!queryOperationInProgress() || m_cancelInProgress)
        return;
    m_cancelInProgress = true;
    emit cancelInProgressChanged();
    abortOperation();
}

quint32 CMediaIOScreenController::estimateRemainingSeconds(int progress, qint64 elapsedMs)
{
    if (progress <= 0 || elapsedMs < 0)
        return 0;
    const double elapsed = static_cast<double>(elapsedMs);
    const double remaining = (elapsed / progress * 100.0 - elapsed) / 1000.0;
    return remaining <= 0.0 ? 0u : static_cast<quint32>(qRound64(remaining));
}

QString CMediaIOScreenController::remainingTimeText(quint32 seconds)
{
    const qint32 signedSeconds = static_cast<qint32>(seconds);
    if (signedSeconds == 0)
        return text(QStringLiteral("TimeNotAvailable"), QStringLiteral("Not available"));
    if (signedSeconds < 60)
        return text(QStringLiteral("LessThanOneMinute"), QStringLiteral("Less than 1 minute"));
    const int minutes = qRound(static_cast<float>(signedSeconds) / 60.0f);
    if (minutes <= 1)
        return text(QStringLiteral("OneMinute"), QStringLiteral("1 minute"));
    return text(QStringLiteral("MoreThanOneMinute"), QStringLiteral("{0} minutes"), QVariantList{minutes});
}

void CMediaIOScreenController::showTransfer(bool attached, qint64 currentFileSize, qint64 totalSize)
{
    setEstimatedTimeRemaining(0);
    if (attached) {
        setCurrentFileSize(formatFileSizeMB(currentFileSize));
        setOverallSize(formatFileSizeMB(totalSize));
        startProgressTimer();
    } else {
        stopProgressTimer();
        setCurrentFileSize(QString());
        setOverallSize(QString());
    }
    emit currentFileNameChanged();
    emit currentFileSizeChanged();
    emit currentFileProgressChanged();
    emit overallSizeChanged();
    emit overallProgressChanged();
    emit operationInProgressChanged();
}

void CMediaIOScreenController::setCurrentFileSize(const QString& size)
{
    m_currentFileSize = size;
    emit currentFileSizeChanged();
}

void CMediaIOScreenController::setOverallSize(const QString& size)
{
    m_overallSize = size;
    emit overallSizeChanged();
}

void CMediaIOScreenController::setCancelInProgress(bool cancelInProgress)
{
    if (m_cancelInProgress == cancelInProgress)
        return;
    m_cancelInProgress = cancelInProgress;
    emit cancelInProgressChanged();
}

void CMediaIOScreenController::setEstimatedTimeRemaining(quint32 seconds)
{
    if (m_remainingSeconds == seconds)
        return;
    m_remainingSeconds = seconds;
    m_estimatedTimeRemaining = remainingTimeText(seconds);
    emit estimatedTimeRemainingChanged();
}

void CMediaIOScreenController::startProgressTimer()
{
    m_progressTimer.start(ProgressIntervalMs, this);
    m_startTime.start();
}

void CMediaIOScreenController::stopProgressTimer()
{
    m_progressTimer.stop();
    m_startTime.invalidate();
}

void CMediaIOScreenController::updateEstimate(qint64 elapsedMs)
{
    setEstimatedTimeRemaining(estimateRemainingSeconds(queryOverallProgress(), elapsedMs));
}

void CMediaIOScreenController::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_progressTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    updateEstimate(m_startTime.isValid() ? m_startTime.elapsed() : -1);
}
