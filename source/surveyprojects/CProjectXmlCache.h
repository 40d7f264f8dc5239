#pragma once

#include <QByteArray>
#include <QHash>

#include <vector>

// The encoded elements of one project file's photo and video records as its last write made
// them, keyed by record revision (RecordRevision), so that the next write encodes only the
// records that are new or changed and copies the others. Held by the project worker per open
// project; worker thread only.
class CProjectXmlCache
{
public:
    // Starts a write: the elements kept by the write before become the ones to find.
    void beginWrite();
    // The element of the record of this revision, or null. Asked in document order, it finds
    // each unchanged record at once, also after a record was added, changed or removed.
    const QByteArray* find(quint64 revision);
    // Keeps an element of this write for the next one; what is not kept is forgotten then.
    void keep(quint64 revision, const QByteArray& element);
    // The size of the last document, to reserve the buffer of the next.
    int documentSize() const { return m_documentSize; }
    void setDocumentSize(int size) { m_documentSize = size; }

private:
    struct Entry
    {
        quint64 revision;
        QByteArray element;
    };

    const QByteArray* foundAt(size_t index);

    std::vector<Entry> m_found;
    std::vector<Entry> m_kept;
    quint64 m_newestFound = 0;
    quint64 m_newestKept = 0;
    // Where the next record in document order is expected among the found ones.
    size_t m_next = 0;
    // Revision to position, built only when records moved.
    QHash<quint64, size_t> m_positions;
    bool m_positionsBuilt = false;
    int m_documentSize = 0;
};
