#include "mediaimport/CMediaScanWorker.h"

#include "application/PathHelpers.h"
#include "helpers/MediaFileTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

CMediaScanWorker::CMediaScanWorker()
    : m_nameFilters(mediaFileNameFilters(true, true))
{
}

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

    const QString absolute = dir.absolutePath();
    const QStringList subFolders =
        dir.entryList(QDir::Dirs | QDir::NoDot | QDir::NoDotDot | QDir::NoSymLinks, QDir::Unsorted);
    for (const QString& name : subFolders)
        m_queue.append(buildFilePath(absolute, name));

    const QStringList files = dir.entryList(m_nameFilters, QDir::Files, QDir::Unsorted);
    for (const QString& name : files) {
        if (m_seenNames.contains(name))
            return false;
        m_seenNames.insert(name);
        m_foundFiles.append(buildFilePath(absolute, name));
    }
    return true;
}

void CMediaScanWorker::buildResults()
{
    std::stable_sort(m_foundFiles.begin(), m_foundFiles.end(), [](const QString& left, const QString& right) {
        return fileNameFromPath(left) < fileNameFromPath(right);
    });

    QStringList kept;
    if (m_matchMode) {
        QHash<QString, QString> matchByName;
        for (const QString& matchFile : qAsConst(m_matchFiles)) {
            const QString name = fileNameFromPath(matchFile);
            if (!matchByName.contains(name))
                matchByName.insert(name, matchFile);
        }
        for (const QString& found : qAsConst(m_foundFiles)) {
            const auto match = matchByName.constFind(fileNameFromPath(found));
            if (match == matchByName.constEnd())
                continue;
            kept.append(found);
            m_destFiles.append(match.value());
            m_foundFileStates.append(QFile::exists(match.value()));
        }
    } else {
        for (const QString& found : qAsConst(m_foundFiles)) {
            const QString name = fileNameFromPath(found);
            QString destination;
            if (isPhotoFile(found))
                destination = buildFilePath(m_destPhotosPath, name);
            else if (isVideoFile(found))
                destination = buildFilePath(m_destVideosPath, name);
            if (destination.isEmpty())
                continue;
            kept.append(found);
            m_destFiles.append(destination);
            m_foundFileStates.append(QFile::exists(destination));
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
    m_seenNames.clear();
    m_destFiles.clear();
    m_foundFileStates.clear();
    m_destPhotosPath.clear();
    m_destVideosPath.clear();
    m_state = state;
    emit finished(result, foundFiles, destFiles, states);
}
