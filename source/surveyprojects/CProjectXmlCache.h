#pragma once

#include <QByteArray>
#include <QHash>

#include <vector>

// The last document written of one project file, with where each photo and video record's
// element lies in it, keyed by record revision (RecordRevision): the next write encodes only
// the records that are new or changed and copies the others' bytes, runs of them at once.
// Held by the project worker per open project; worker thread only.
class CProjectXmlCache
{
public:
    // Starts a write: the elements kept by the write before become the ones to find.
    void beginWrite();
    // Where the element of the record of this revision lies in previousDocument(); false when
    // it is not there. Asked in document order, it finds each unchanged record at once, also
    // after records were added, changed or removed.
    bool find(quint64 revision, int* offset, int* length);
    const QByteArray& previousDocument() const { return m_previousDocument; }
    // Where a record's element lies in the document of this write.
    void keep(quint64 revision, int offset, int length);
    // Ends the write with its document, which the next write copies from.
    void endWrite(const QByteArray& document);

private:
    struct Entry
    {
        quint64 revision;
        int offset;
        int length;
    };

    bool foundAt(size_t index, int* offset, int* length);

    QByteArray m_previousDocument;
    QByteArray m_document;
    std::vector<Entry> m_found;
    std::vector<Entry> m_kept;
    quint64 m_newestFound = 0;
    quint64 m_newestKept = 0;
    // Where the next record in document order is expected among the found ones.
    size_t m_next = 0;
    // Revision to position, built only when records moved.
    QHash<quint64, size_t> m_positions;
    bool m_positionsBuilt = false;
};
