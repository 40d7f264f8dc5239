#pragma once

#include "mediaimport/CMediaImport.h"
#include "mediaimport/CMediaWorkerLoop.h"

#include "NewCopyPublisher.h"

#include <QByteArray>
#include <QFileDevice>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QVector>
#include <QStringList>

class QFile;
class QTemporaryFile;

// Copies files on the media import thread, one block of at most BlockSize bytes per turn of
// its loop, so pause and cancel take effect within one block. The kernel copies the blocks
// where it can; otherwise they pass through one buffer of BlockSize bytes. Each file is written to a
// hidden new copy beside its destination (FileReplacement), MP4 files get their orientation
// fixed, and only a complete copy, synced to the disk, takes the destination name; a
// destination named as replaceable is replaced by that rename, any other existing one fails the
// import. The sync and the rename of a copy run on the disk threads (NewCopyPublisher) while
// the next file is copied, a few copies at once, and the import ends once every copy has its
// name. New copies that an import killed before their rename left in a destination folder go
// when the next import starts. Owns the open source file, the new copy and the publishers of
// the copies on their way; serves one import and is owned by its CMediaImport, which releases
// it (see CMediaWorkerLoop).
class CMediaImportWorker : public CMediaWorkerLoop
{
    Q_OBJECT

public:
    static constexpr qint64 BlockSize = 4194304;
    // Complete copies on their way to their names at once.
    static constexpr int MaxPublishing = 4;

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
    void onPublished(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target, const QString& detail);
    // Turns this thread's events until a copy on its way has its name (or the import is told
    // to pause or cancel).
    void waitForPublication();
    // The copies on their way were whole before the import ended: they still take their names.
    void finishPublications();
    void reportCompleted(int index, const QString& source);
    void fail(CMediaImport::Result result);
    // A write to the new copy failed: the drive full, or another failure.
    void failWriting();
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
    // Children, made as needed up to MaxPublishing and used again.
    QVector<Tovrin::Shared::NewCopyPublisher*> m_publishers;
    // Each copy on its way, by its publisher, to its file's index.
    QHash<Tovrin::Shared::NewCopyPublisher*, int> m_publishing;
    // Files that have their names (or failed: empty) before all earlier ones, by index; they
    // are reported in the order of the list.
    QMap<int, QString> m_completed;
    int m_reported = 0;
    qint64 m_bytesWritten = 0;
    qint64 m_fileSize = 0;
    int m_index = -1;
};
