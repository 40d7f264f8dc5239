#include "mediaimport/CMediaDownloadReplacements.h"

#include "mediaimport/MediaFileReplacement.h"

#include "multimedia/CAbstractMediaDownload.h"

#include <QCoreApplication>
#include <QFile>

using Ulx::Multimedia::CAbstractMediaDownload;

CMediaDownloadReplacements::CMediaDownloadReplacements(const std::shared_ptr<CAbstractMediaDownload>& download,
                                                       const QHash<QString, QString>& replacements)
    : QObject(download.get())
    , m_download(download.get())
    , m_keepAlive(download)
    , m_pending(replacements)
{
    // A download reports the next file (or its end) right after it completed one.
    connect(m_download, &CAbstractMediaDownload::currentFileSizeChanged, this,
            &CMediaDownloadReplacements::replaceCompleted);
    connect(m_download, &CAbstractMediaDownload::currentFileUrlChanged, this,
            &CMediaDownloadReplacements::replaceCompleted);
    connect(m_download, &CAbstractMediaDownload::finished, this, &CMediaDownloadReplacements::onFinished);
}

void CMediaDownloadReplacements::attach(const std::shared_ptr<CAbstractMediaDownload>& download,
                                        const QHash<QString, QString>& replacements)
{
    if (download && !replacements.isEmpty())
        new CMediaDownloadReplacements(download, replacements);
}

void CMediaDownloadReplacements::onFinished()
{
    replaceCompleted();
    // Let go from the event loop: this may be the last hold on the download, which is still
    // emitting the signal that brought us here.
    if (m_keepAlive) {
        std::shared_ptr<CAbstractMediaDownload> held = std::move(m_keepAlive);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [held]() {}, Qt::QueuedConnection);
    }
}

void CMediaDownloadReplacements::replaceCompleted()
{
    if (m_pending.isEmpty())
        return;
    const QStringList processed = m_download->processedFiles();
    for (const QString& file : processed) {
        const auto pending = m_pending.constFind(file);
        if (pending == m_pending.constEnd())
            continue;
        const QString target = pending.value();
        m_pending.erase(pending);
        if (replaceFileWith(file, target)) {
            m_replaced.insert(file, target);
        } else {
            // The old copy stays; the new one would only linger under its hidden name.
            QFile::remove(file);
            m_failed.insert(file, target);
        }
    }
}

QStringList CMediaDownloadReplacements::processedFiles(CAbstractMediaDownload* download)
{
    if (!download)
        return QStringList();
    auto* replacements = download->findChild<CMediaDownloadReplacements*>(QString(), Qt::FindDirectChildrenOnly);
    if (!replacements)
        return download->processedFiles();
    replacements->replaceCompleted();
    QStringList files;
    for (const QString& file : download->processedFiles()) {
        if (replacements->m_replaced.contains(file))
            files.append(replacements->m_replaced.value(file));
        else if (!replacements->m_failed.contains(file))
            files.append(file);
    }
    return files;
}

QString CMediaDownloadReplacements::failedTarget(CAbstractMediaDownload* download)
{
    auto* replacements =
        download ? download->findChild<CMediaDownloadReplacements*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!replacements)
        return QString();
    replacements->replaceCompleted();
    // In the order the download completed them.
    for (const QString& file : download->processedFiles()) {
        if (replacements->m_failed.contains(file))
            return replacements->m_failed.value(file);
    }
    return QString();
}
