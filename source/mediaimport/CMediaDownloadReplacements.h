#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ulx {
namespace Multimedia {
class CAbstractMediaDownload;
}
} // namespace Ulx

// Replaces the tablet's copies of camera files that the operator chose to overwrite, each only
// once the download has completed its new copy. The download writes such a file under a
// replacement name beside its target (see replacementPathFor); as soon as it lists that name
// among its processed files, the new copy is renamed over the target. A file the download never
// completes keeps its old copy. Made by CMediaDownloadHandler as a child of the download it
// serves, so it lives as long as the download; until the download has finished it also keeps
// the download alive, since the storage lets go of it when it ends, before this object has
// replaced the last file. GUI thread only.
class CMediaDownloadReplacements : public QObject
{
    Q_OBJECT

public:
    // replacements maps each replacement path given to the download to its target.
    static void attach(const std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload>& download,
                       const QHash<QString, QString>& replacements);

    // The download's processed files under their final names, after replacing what is due. A
    // file whose replacement failed is left out (its old copy stays).
    static QStringList processedFiles(Ulx::Multimedia::CAbstractMediaDownload* download);
    // The target of the first replacement that failed; empty when none did.
    static QString failedTarget(Ulx::Multimedia::CAbstractMediaDownload* download);

private:
    CMediaDownloadReplacements(const std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload>& download,
                               const QHash<QString, QString>& replacements);
    void replaceCompleted();
    void onFinished();

    Ulx::Multimedia::CAbstractMediaDownload* m_download = nullptr;
    std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload> m_keepAlive;
    // Each maps a replacement path to its target: not yet completed, replaced, failed.
    QHash<QString, QString> m_pending;
    QHash<QString, QString> m_replaced;
    QHash<QString, QString> m_failed;
};
