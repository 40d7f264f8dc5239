#include "gallery/CDeletionRunnable.h"

#include "CLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");

} // namespace

CDeletionRunnable::CDeletionRunnable(const QString& shownFolder, const QStringList& folders, const QStringList& files)
    : m_shownFolder(shownFolder)
    , m_folders(folders)
    , m_files(files)
    , m_removeFile([](const QString& path) { return QFile::remove(path); })
{
    setAutoDelete(true);
}

void CDeletionRunnable::setFileRemover(RemoveFunction remover)
{
    m_removeFile = std::move(remover);
}

bool CDeletionRunnable::isStrictlyInside(const QString& path, const QString& folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    const QFileInfo entry(QDir::cleanPath(path));
    const QString name = entry.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // Compare the real folders, so that neither "..", nor a link, nor a second spelling of the
    // shown folder lets a deletion reach above it.
    const QString parent = QFileInfo(entry.absolutePath()).canonicalFilePath();
    const QString shown = QFileInfo(folder).canonicalFilePath();
    return !parent.isEmpty() && parent == shown;
}

void CDeletionRunnable::run()
{
    bool ok = true;
    for (const QString& file : qAsConst(m_files)) {
        if (!isStrictlyInside(file, m_shownFolder) || !m_removeFile(file)) {
            CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Could not delete file %1."),
                                {file});
            ok = false;
            break;
        }
    }
    if (ok) {
        for (const QString& folder : qAsConst(m_folders)) {
            const bool inside = isStrictlyInside(folder, m_shownFolder);
            // A link to a folder goes as a link: removing "through" it would empty its target.
            const bool removed = inside
                && (QFileInfo(folder).isSymLink() ? QFile::remove(folder) : QDir(folder).removeRecursively());
            if (!removed) {
                CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                                    QStringLiteral("Could not delete folder %1."), {folder});
                ok = false;
                break;
            }
        }
    }
    emit finished(ok);
}
