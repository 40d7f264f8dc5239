#include "mediaimport/CMediaScanWorker.h"

#include "application/PathHelpers.h"
#include "helpers/MediaFileTypes.h"
#include "mediaimport/CExistingFiles.h"
#include "mediaimport/FolderEntries.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

CMediaScanWorker::CMediaScanWorker() = default;

CMediaScanWorker::~CMediaScanWorker() = default;

void CMediaScanWorker::start(QString searchPath, QStringList matchFiles)
{
    if (m_state != StateIdle)
        return;
    m_matchMode = true;
    m_state = StateRunning;
    m_matchFiles = matchFiles;
    if (!m_matchFiles.isEmpty() && !searchPath.isEmpty())
        m_queue.append(searchPath);
    runLoop();
}

void CMediaScanWorker::start(QString searchPath, QString destPhotosPath, QString destVideosPath)
{
    if (m_state != StateIdle)
        return;
    m_matchMode = false;
    m_state = StateRunning;
    m_destPhotosPath = destPhotosPath;
    m_destVideosPath = destVideosPath;
    // An empty path would mean the working folder: search nothing instead.
    if (!searchPath.isEmpty())
        m_queue.append(searchPath);
    runLoop();
}

bool CMediaScanWorker::step()
{
    if (m_queue.isEmpty()) {
        buildResults();
        finish(StateIdle, CMediaScan::Success);
        return false;
    }
    if (!visitFolder(m_queue.takeFirst())) {
        finish(StateIdle, CMediaScan::FailedDuplicatesFound);
        return false;
    }
    return true;
}

void CMediaScanWorker::endCancelled()
{
    finish(StateCancelled, CMediaScan::Cancelled);
}

bool CMediaScanWorker::visitFolder(const QString& folder)
{
    const QDir dir(folder);
    const QString canonical = dir.canonicalPath();
    // A folder reached twice (a bind mount, a link given as the search path) is listed once.
    if (canonical.isEmpty() || m_visitedFolders.contains(canonical))
        return true;
    m_visitedFolders.insert(canonical);

    const QString prefix = ensureTrailingSlash(dir.absolutePath());
    // One listing for both: hidden entries are left out, links to folders are not followed,
    // links to files are taken like files.
    bool duplicate = false;
    FolderEntries::list(prefix, [&](const FolderEntries::Entry& entry) {
        if (duplicate || entry.name.startsWith(QLatin1Char('.')))
            return;
        if (entry.type == FolderEntries::Type::Folder) {
            if (!entry.isLink)
                m_queue.append(prefix + entry.name);
            return;
        }
        if (entry.type != FolderEntries::Type::File || mediaFileType(entry.name) == MediaFileTypeOther)
            return;
        const int seen = m_seenNames.size();
        m_seenNames.insert(entry.name);
        if (m_seenNames.size() == seen) {
            duplicate = true;
            return;
        }
        m_foundFiles.append(prefix + entry.name);
        m_foundNames.append(entry.name);
    });
    return !duplicate;
}

void CMediaScanWorker::buildResults()
{
    // By file name, each name taken once from the walk (names are unique, so the order is).
    std::vector<int> order(static_cast<size_t>(m_foundFiles.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](int left, int right) {
        return m_foundNames.at(left) < m_foundNames.at(right);
    });

    CExistingFiles existing;
    QStringList kept;
    if (m_matchMode) {
        QHash<QString, QString> matchByName;
        for (const QString& matchFile : qAsConst(m_matchFiles)) {
            const QString name = fileNameFromPath(matchFile);
            if (!matchByName.contains(name))
                matchByName.insert(name, matchFile);
        }
        for (const int i : order) {
            const auto match = matchByName.constFind(m_foundNames.at(i));
            if (match == matchByName.constEnd())
                continue;
            kept.append(m_foundFiles.at(i));
            m_destFiles.append(match.value());
            m_foundFileStates.append(existing.exists(match.value()));
        }
    } else {
        const QString photoFolder = m_destPhotosPath.isEmpty() ? QString() : ensureTrailingSlash(m_destPhotosPath);
        const QString videoFolder = m_destVideosPath.isEmpty() ? QString() : ensureTrailingSlash(m_destVideosPath);
        for (const int i : order) {
            const QString& name = m_foundNames.at(i);
            const QString& folder = mediaFileType(name) == MediaFileTypeMP4 ? videoFolder : photoFolder;
            if (folder.isEmpty())
                continue;
            kept.append(m_foundFiles.at(i));
            m_destFiles.append(folder + name);
            m_foundFileStates.append(existing.exists(folder, name));
        }
    }
    m_foundFiles = kept;
}

void CMediaScanWorker::finish(State state, CMediaScan::Result result)
{
    const QStringList foundFiles = m_foundFiles;
    const QStringList destFiles = result == CMediaScan::Success ? m_destFiles : QStringList();
    const QList<bool> states = result == CMediaScan::Success ? m_foundFileStates : QList<bool>();
    m_queue.clear();
    m_visitedFolders.clear();
    m_matchFiles.clear();
    m_foundFiles.clear();
    // Freed only once the result is on its way: a large tree's name set takes a while.
    const QStringList foundNames = std::exchange(m_foundNames, QStringList());
    const QSet<QString> seenNames = std::exchange(m_seenNames, QSet<QString>());
    m_destFiles.clear();
    m_foundFileStates.clear();
    m_destPhotosPath.clear();
    m_destVideosPath.clear();
    m_state = state;
    emit finished(result, foundFiles, destFiles, states);
}
