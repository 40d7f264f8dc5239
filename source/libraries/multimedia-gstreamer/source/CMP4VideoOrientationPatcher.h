#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

class QFile;

namespace Ulx {
namespace Multimedia {

// Removes any rotation or transformation from the tracks of an MP4 file, in place: walks the
// atom tree (ftyp, moov, trak, tkhd) and writes the identity matrix into every track header
// whose matrix differs. Atom sizes are checked against their parents before anything is
// written, so a damaged or hostile file is rejected unchanged. The caller owns the file,
// opens it for reading and writing, and closes it afterwards.
class CMP4VideoOrientationPatcher
{
public:
    struct AtomInfo
    {
        QByteArray name;
        qint64 offset = 0;
        qint64 size = 0;
        // 8, or 16 when the size is given in 64 bits.
        qint64 headerSize = 8;
    };

    // The file must be open for reading and writing; it is not owned.
    explicit CMP4VideoOrientationPatcher(QFile& file);

    // True when every track header has the identity matrix afterwards; false on failure, the
    // file then unchanged.
    bool run();

    static bool readFromFile(QFile& file, char* buffer, qint64 size);
    static bool writeToFile(QFile& file, const char* data, qint64 size);
    // Lists the atoms between start and end; false when the range holds none, or when an atom
    // is shorter than its header or reaches past end.
    // With cutTail, an atom that reaches past end ends the list instead (a recording cut short
    // ends in a fragment cut short).
    static bool findAtoms(QFile& file, qint64 start, qint64 end, QVector<AtomInfo>& atoms, bool cutTail = false);
    static int findAtomByName(const QByteArray& name, const QVector<AtomInfo>& atoms, int from);
    // Whether the file's top-level atoms start with ftyp, hold a moov and an mdat, and reach
    // exactly its end: a file cut short fails it (unless cut between atoms after both).
    static bool atomsReachEnd(QFile& file);
    // Writes the identity matrix into one track header unless it already has it.
    static bool processTrackHeader(QFile& file, const AtomInfo& trackHeader);

private:
    // The file position of the matrix of a track header that needs it, -1 when it already
    // holds the identity; false when the header cannot be read or has an unknown layout.
    static bool matrixToPatch(QFile& file, const AtomInfo& trackHeader, qint64& matrixOffset,
                              QByteArray& currentMatrix);

    QFile& m_file;
};

} // namespace Multimedia
} // namespace Ulx
