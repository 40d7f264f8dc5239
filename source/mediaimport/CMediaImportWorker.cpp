#include "mediaimport/CMediaImportWorker.h"

#include "mediaimport/MediaFileReplacement.h"

#include "helpers/MediaFileTypes.h"

#include "CLogger.h"
#include "CMP4VideoOrientationPatcher.h"
#include "FilePermissions.h"
#include "FileReplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

using Tovrin::Logging::CLogger;

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
    if ((!m_sourceFile || m_bytesWritten == m_fileSize) && !openNextFile())
        return false;
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
    if (!m_destFile->seek(offset)) {
        fail(CMediaImport::FileWriteFailure);
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
            fail(CMediaImport::FileWriteFailure);
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
            fail(CMediaImport::FileWriteFailure);
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
    // (and an overwritten file's old copy gone) with part of the content missing. This thread
    // is the import's own, never the GUI's.
    if (!FileReplacement::syncToDisk(*m_destFile)) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot write the file to the disk:"),
                            {destination, m_destFile->errorString()});
        fail(CMediaImport::FileWriteFailure);
        return false;
    }
    // Renamed while still open, so that it stays marked as being written until it has its
    // name. The old copy of a file to overwrite goes only now, as the new one takes its name;
    // any other file that holds the name meanwhile stays, and the import fails.
    bool renamed = false;
    if (m_replaceableFiles.contains(destination)) {
        renamed = replaceFileWith(m_destFile->fileName(), destination);
    } else {
        renamed = FileReplacement::renameWithoutReplacing(m_destFile->fileName(), destination);
        if (!renamed)
            CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot give the file its name:"),
                                {destination, QString::fromLocal8Bit(std::strerror(errno))});
    }
    if (!renamed) {
        fail(CMediaImport::FileWriteFailure);
        return false;
    }
    m_destFile->setAutoRemove(false);
    m_destFile->close();
    emit fileCompleted(m_sourceFiles.at(m_index));
    return true;
}

void CMediaImportWorker::fail(CMediaImport::Result result)
{
    closeFiles();
    m_index = -1;
    m_state = StateFailed;
    emit finished(result);
}

void CMediaImportWorker::endCancelled()
{
    closeFiles();
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
