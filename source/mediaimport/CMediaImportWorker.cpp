#include "mediaimport/CMediaImportWorker.h"


#include "helpers/MediaFileTypes.h"

#include "CLogger.h"
#include "CMP4VideoOrientationPatcher.h"
#include "FilePermissions.h"
#include "FileReplacement.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

using Tovrin::Logging::CLogger;
using Tovrin::Shared::NewCopyPublisher;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");

} // namespace

CMediaImportWorker::CMediaImportWorker()
{
    m_buffer.resize(static_cast<int>(BlockSize));
}

CMediaImportWorker::~CMediaImportWorker()
{
    closeFiles();
}

void CMediaImportWorker::start(QStringList sourceFiles, QStringList destFiles)
{
    start(sourceFiles, destFiles, QStringList());
}

void CMediaImportWorker::start(QStringList sourceFiles, QStringList destFiles, QStringList replaceableFiles)
{
    if (m_state != StateIdle)
        return;
    m_state = StateRunning;
    if (sourceFiles.size() != destFiles.size()) {
        // Unpaired lists would copy a file over the wrong destination: copy nothing.
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Media import refused: %1 sources for %2 destinations."),
                            {sourceFiles.size(), destFiles.size()});
        emit totalSizeChanged(0);
        fail(CMediaImport::FileWriteFailure);
        return;
    }
    m_sourceFiles = sourceFiles;
    m_destFiles = destFiles;
    m_replaceableFiles = QSet<QString>(replaceableFiles.cbegin(), replaceableFiles.cend());
    m_completed.clear();
    m_reported = 0;
    m_newFilePermissions = FilePermissions::newFileDefault();
    qint64 total = 0;
    for (const QString& source : qAsConst(m_sourceFiles))
        total += QFileInfo(source).size();
    // New copies an earlier import left there when it was killed before renaming them.
    QSet<QString> folders;
    for (const QString& destination : qAsConst(m_destFiles))
        folders.insert(QFileInfo(destination).absolutePath());
    for (const QString& folder : qAsConst(folders)) {
        if (const int removed = FileReplacement::sweepStrayCopies(folder))
            CLogger::logMessage(CLogger::LogLevelInfo, LogCategory,
                                QStringLiteral("Removed unfinished copies an earlier transfer left:"), {folder, removed});
    }
    emit totalSizeChanged(total);
    runLoop();
}

bool CMediaImportWorker::step()
{
    if (!m_sourceFile || m_bytesWritten == m_fileSize) {
        const bool lastCopied = m_index + 1 >= m_sourceFiles.size();
        if (m_publishing.size() >= MaxPublishing || (lastCopied && !m_publishing.isEmpty())) {
            waitForPublication();
            // A failed copy has ended the import; a pause or cancel is taken by the loop.
            return m_state != StateFailed;
        }
        if (!openNextFile())
            return false;
    }
    return copyBlock();
}

bool CMediaImportWorker::openNextFile()
{
    closeFiles();
    if (m_index + 1 >= m_sourceFiles.size()) {
        m_bytesWritten = 0;
        m_fileSize = 0;
        m_index = -1;
        m_state = StateIdle;
        emit finished(CMediaImport::Success);
        return false;
    }
    ++m_index;
    const QString source = m_sourceFiles.at(m_index);
    emit currentFileNameChanged(source);
    m_bytesWritten = 0;

    m_sourceFile = new QFile(source);
    if (!m_sourceFile->open(QIODevice::ReadOnly)) {
        fail(CMediaImport::FileReadFailure);
        return false;
    }
    m_fileSize = m_sourceFile->size();
    emit currentFileSizeChanged(m_fileSize);

    QString error;
    m_destFile = FileReplacement::createNewCopy(m_destFiles.at(m_index), &error).release();
    if (!m_destFile) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot create the new copy of"),
                            {m_destFiles.at(m_index), error});
        fail(CMediaImport::FileWriteFailure);
        return false;
    }
    m_kernelCopy = true;
    return true;
}

bool CMediaImportWorker::copyBlock()
{
    const qint64 wanted = qMin(m_fileSize - m_bytesWritten, BlockSize);
    const qint64 inKernel = m_kernelCopy ? copyInKernel(wanted) : 0;
    if (inKernel < wanted && !copyThroughBuffer(m_bytesWritten + inKernel, wanted - inKernel))
        return false;
    m_bytesWritten += wanted;
#ifdef Q_OS_LINUX
    // The disk starts writing the block now, beside the copy of the next ones, so the sync at
    // the end of the file waits for little more than its last block.
    ::sync_file_range(m_destFile->handle(), m_bytesWritten - wanted, wanted, SYNC_FILE_RANGE_WRITE);
#endif
    emit bytesWritten(wanted);
    if (m_bytesWritten == m_fileSize)
        return completeFile();
    return true;
}

qint64 CMediaImportWorker::copyInKernel(qint64 wanted)
{
#ifdef Q_OS_LINUX
    // The kernel copies between the two files without the bytes crossing into this process,
    // and shares or clones the blocks where the file system can. Explicit offsets leave both
    // files' own positions alone.
    loff_t sourceOffset = m_bytesWritten;
    loff_t destOffset = m_bytesWritten;
    qint64 done = 0;
    while (done < wanted) {
        const ssize_t copied = ::copy_file_range(m_sourceFile->handle(), &sourceOffset, m_destFile->handle(),
                                                 &destOffset, static_cast<size_t>(wanted - done), 0);
        if (copied > 0) {
            done += copied;
        } else if (copied == 0) {
            // The source ended early: the buffer's read reports it.
            return done;
        } else if (errno != EINTR) {
            // Not between these two files (another file system, an older kernel, a special
            // file), or a failure: the read and write loop copies the rest of the file and
            // tells a read failure from a write failure.
            m_kernelCopy = false;
            return done;
        }
    }
    return done;
#else
    Q_UNUSED(wanted)
    m_kernelCopy = false;
    return 0;
#endif
}

bool CMediaImportWorker::copyThroughBuffer(qint64 offset, qint64 wanted)
{
    if (!m_sourceFile->seek(offset)) {
        fail(CMediaImport::FileReadFailure);
        return false;
    }
    // A write that failed part way may show only here.
    if (!m_destFile->seek(offset)) {
        failWriting();
        return false;
    }
    const qint64 read = wanted > 0 ? m_sourceFile->read(m_buffer.data(), wanted) : 0;
    // Less than asked for means the source shrank: stop instead of trying for ever.
    if (read != wanted) {
        fail(CMediaImport::FileReadFailure);
        return false;
    }
    qint64 done = 0;
    while (done < read) {
        const qint64 written = m_destFile->write(m_buffer.constData() + done, read - done);
        if (written <= 0) {
            failWriting();
            return false;
        }
        done += written;
    }
    return true;
}

bool CMediaImportWorker::completeFile()
{
    const QString destination = m_destFiles.at(m_index);
    if (isVideoFile(destination)) {
        // Write errors would otherwise surface only at close.
        if (!m_destFile->flush()) {
            failWriting();
            return false;
        }
        Ulx::Multimedia::CMP4VideoOrientationPatcher patcher(*m_destFile);
        if (!patcher.run())
            CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("Failed to patch video orientation."),
                                {m_destFile->fileName()});
    }
    // The temporary file starts private to its owner; the imported file is a normal save. A
    // destination that keeps no modes (a FAT card) refuses any: the copy is whole all the same.
    QString modeError;
    const FilePermissions::ModeResult mode =
        FilePermissions::setFileMode(*m_destFile, m_newFilePermissions, &modeError);
    if (mode == FilePermissions::ModeResult::NotKept)
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory,
                            QStringLiteral("The destination keeps no file modes; the file has the one it gives:"),
                            {destination, modeError});
    else if (mode == FilePermissions::ModeResult::Failed)
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot set the file's mode:"),
                            {m_destFile->fileName(), modeError});
    if (mode == FilePermissions::ModeResult::Failed) {
        fail(CMediaImport::FileWriteFailure);
        return false;
    }
    // Durable before it takes the name: a power cut after the rename must not leave the name
    // (and an overwritten file's old copy gone) with part of the content missing. The old copy
    // of a file to overwrite goes only as the new one takes its name; any other file that holds
    // the name meanwhile stays, and the import fails.
    NewCopyPublisher* publisher = nullptr;
    for (NewCopyPublisher* idle : qAsConst(m_publishers)) {
        if (!m_publishing.contains(idle))
            publisher = idle;
    }
    if (!publisher) {
        publisher = new NewCopyPublisher(this);
        connect(publisher, &NewCopyPublisher::finished, this, &CMediaImportWorker::onPublished);
        m_publishers.append(publisher);
    }
    m_publishing.insert(publisher, m_index);
    publisher->publish(std::unique_ptr<QTemporaryFile>(std::exchange(m_destFile, nullptr)), destination,
                       m_replaceableFiles.contains(destination) ? NewCopyPublisher::Rename::Replace
                                                                : NewCopyPublisher::Rename::KeepExisting,
                       std::nullopt);
    return true;
}

void CMediaImportWorker::onPublished(NewCopyPublisher::Outcome outcome, const QString& target, const QString& detail)
{
    const int index = m_publishing.take(qobject_cast<NewCopyPublisher*>(sender()));
    const QString source = m_sourceFiles.value(index);
    reportCompleted(index, outcome == NewCopyPublisher::Outcome::Published ? source : QString());
    if (outcome == NewCopyPublisher::Outcome::Published)
        return;
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot put the imported file in place:"),
                        {target, detail});
    if (m_state == StateRunning || m_state == StatePaused) {
        // The message names the file that failed, not the one being copied.
        emit currentFileNameChanged(source);
        fail(outcome == NewCopyPublisher::Outcome::DiskFull ? CMediaImport::DiskFull : CMediaImport::FileWriteFailure);
    }
}

void CMediaImportWorker::reportCompleted(int index, const QString& source)
{
    m_completed.insert(index, source);
    // A file that failed (empty) leaves a gap that no later one waits for.
    while (m_completed.contains(m_reported)) {
        const QString completed = m_completed.take(m_reported++);
        if (!completed.isEmpty())
            emit fileCompleted(completed);
    }
}

void CMediaImportWorker::waitForPublication()
{
    // Bounded by the disk: a sync ends. A queued pause or cancel, and the thread's end, end it too.
    const int waiting = m_publishing.size();
    turnEventsUntil([this, waiting] {
        return m_publishing.size() != waiting || m_state != StateRunning
            || QThread::currentThread()->isInterruptionRequested();
    });
}

void CMediaImportWorker::finishPublications()
{
    turnEventsUntil([this] { return m_publishing.isEmpty(); });
}

void CMediaImportWorker::fail(CMediaImport::Result result)
{
    closeFiles();
    m_state = StateFailed;
    finishPublications();
    m_index = -1;
    emit finished(result);
}

void CMediaImportWorker::failWriting()
{
    // The operator can do something about a full drive: it is told apart.
    const FileReplacement::WriteFailure failure = FileReplacement::writeFailure(*m_destFile);
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot write the imported file:"),
                        {m_destFile->fileName(), failure.reason});
    fail(failure.diskFull ? CMediaImport::DiskFull : CMediaImport::FileWriteFailure);
}

void CMediaImportWorker::endCancelled()
{
    closeFiles();
    m_state = StateCancelled;
    finishPublications();
    m_index = -1;
    m_bytesWritten = 0;
    m_fileSize = 0;
    m_state = StateCancelled;
    emit finished(CMediaImport::Cancelled);
}

void CMediaImportWorker::closeFiles()
{
    delete m_sourceFile;
    m_sourceFile = nullptr;
    // An unrenamed temporary file removes itself here.
    delete m_destFile;
    m_destFile = nullptr;
}
