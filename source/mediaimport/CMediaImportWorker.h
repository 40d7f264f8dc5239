#pragma once

#include "mediaimport/CMediaImport.h"
#include "mediaimport/CMediaWorkerLoop.h"

#include <QByteArray>
#include <QFileDevice>
#include <QSet>
#include <QStringList>

class QFile;
class QTemporaryFile;

// Copies files on the media import thread, one block of at most BlockSize bytes per turn of
// its loop, so pause and cancel take effect within one block. The kernel copies the blocks
// where it can; otherwise they pass through one buffer of BlockSize bytes. Each file is written to a
// hidden new copy beside its destination (FileReplacement), MP4 files get their orientation
// fixed, and only a complete copy, synced to the disk, takes the destination name; a
// destination named as replaceable is replaced by that rename, any other existing one fails the
// import. New copies that an import killed before their rename left in a destination folder go
// when the next import starts. Owns the open source file and the new copy; serves one import
// and is owned by its CMediaImport, which releases it (see CMediaWorkerLoop).
class CMediaImportWorker : public CMediaWorkerLoop
{
    Q_OBJECT

public:
    static constexpr qint64 BlockSize = 4194304;

    CMediaImportWorker();
    ~CMediaImportWorker() override;

    Q_INVOKABLE void start(QStringList sourceFiles, QStringList destFiles);
    Q_INVOKABLE void start(QStringList sourceFiles, QStringList destFiles, QStringList replaceableFiles);
signals:
    void finished(CMediaImport::Result result);
    void currentFileNameChanged(QString fileName);
    void currentFileSizeChanged(qlonglong size);
    void totalSizeChanged(qlonglong size);
    void bytesWritten(qlonglong size);
    void fileCompleted(QString fileName);

private:
    // Copies the next block, opening the next file first where the last one is complete.
    bool step() override;
    void endCancelled() override;
    // False when the import ended (all done or failed).
    bool openNextFile();
    bool copyBlock();
    // Copies up to wanted bytes at the current offset inside the kernel; how many it copied.
    // Less where the kernel cannot copy between the two files (the rest of the file then goes
    // through the buffer) or the source ended.
    qint64 copyInKernel(qint64 wanted);
    // Copies wanted bytes from offset through the buffer; false once the import has failed.
    bool copyThroughBuffer(qint64 offset, qint64 wanted);
    bool completeFile();
    void fail(CMediaImport::Result result);
    void closeFiles();

    QStringList m_sourceFiles;
    QStringList m_destFiles;
    QSet<QString> m_replaceableFiles;
    QByteArray m_buffer;
    bool m_kernelCopy = true;
    // Looked up once per import: the umask comes from a file under /proc.
    QFileDevice::Permissions m_newFilePermissions;
    QFile* m_sourceFile = nullptr;
    QTemporaryFile* m_destFile = nullptr;
    qint64 m_bytesWritten = 0;
    qint64 m_fileSize = 0;
    int m_index = -1;
};
