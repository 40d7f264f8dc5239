#include "CMP4VideoOrientationPatcher.h"

#include <CLogger.h>

#include <QFile>
#include <QtEndian>

#include <limits>

using Tovrin::Logging::CLogger;

namespace Ulx {
namespace Multimedia {

namespace {

const char IdentityMatrix[36] = { 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00 };
constexpr qint64 MatrixSize = sizeof(IdentityMatrix);
// Offsets of the matrix behind the 8-byte atom header: version 0 has 32-bit times, version 1
// 64-bit times.
constexpr qint64 MatrixOffsetVersion0 = 40;
constexpr qint64 MatrixOffsetVersion1 = 52;

const char LogCategory[] = "MP4VideoOrientationPatcher";

} // namespace

CMP4VideoOrientationPatcher::CMP4VideoOrientationPatcher(QFile& file)
    : m_file(file)
{
}

bool CMP4VideoOrientationPatcher::readFromFile(QFile& file, char* buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 count = file.read(buffer + done, size - done);
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

bool CMP4VideoOrientationPatcher::writeToFile(QFile& file, const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 count = file.write(data + done, size - done);
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

bool CMP4VideoOrientationPatcher::findAtoms(QFile& file, qint64 start, qint64 end, QVector<AtomInfo>& atoms,
                                            bool cutTail)
{
    atoms.clear();
    if (start < 0 || start >= end)
        return false;
    qint64 position = start;
    while (position < end) {
        if (end - position < 8 || !file.seek(position))
            return false;
        uchar header[16];
        if (!readFromFile(file, reinterpret_cast<char*>(header), 8))
            return false;
        AtomInfo atom;
        atom.name = QByteArray(reinterpret_cast<const char*>(header + 4), 4);
        atom.offset = position;
        const quint32 shortSize = qFromBigEndian<quint32>(header);
        if (shortSize == 1) {
            if (end - position < 16 || !readFromFile(file, reinterpret_cast<char*>(header + 8), 8))
                return false;
            const quint64 longSize = qFromBigEndian<quint64>(header + 8);
            if (longSize > quint64(std::numeric_limits<qint64>::max()))
                return false;
            atom.size = qint64(longSize);
            atom.headerSize = 16;
        } else if (shortSize == 0) {
            atom.size = end - position;
        } else {
            atom.size = shortSize;
        }
        if (cutTail && atom.size >= atom.headerSize && atom.size > end - position)
            break;
        // Sizes that do not cover their own header, or that reach past the enclosing range,
        // come from a damaged or hostile file: walking on would loop or read foreign bytes.
        if (atom.size < atom.headerSize || atom.size > end - position) {
            CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Invalid atom size",
                                { QString::fromLatin1(atom.name.toHex()), QString::number(position),
                                  QString::number(atom.size) });
            return false;
        }
        atoms.append(atom);
        if (shortSize == 0)
            break;
        position += atom.size;
    }
    return !atoms.isEmpty();
}

int CMP4VideoOrientationPatcher::findAtomByName(const QByteArray& name, const QVector<AtomInfo>& atoms, int from)
{
    for (int i = qMax(0, from); i < atoms.size(); ++i) {
        if (atoms.at(i).name == name)
            return i;
    }
    return -1;
}

bool CMP4VideoOrientationPatcher::atomsReachEnd(QFile& file)
{
    QVector<AtomInfo> topLevel;
    return findAtoms(file, 0, file.size(), topLevel) && topLevel.first().name == "ftyp"
        && findAtomByName("moov", topLevel, 0) >= 0 && findAtomByName("mdat", topLevel, 0) >= 0;
}

bool CMP4VideoOrientationPatcher::matrixToPatch(QFile& file, const AtomInfo& trackHeader, qint64& matrixOffset,
                                                QByteArray& currentMatrix)
{
    matrixOffset = -1;
    const qint64 body = trackHeader.offset + trackHeader.headerSize;
    char version = 0;
    if (!file.seek(body) || !readFromFile(file, &version, 1))
        return false;
    qint64 offset = 0;
    if (version == 0)
        offset = MatrixOffsetVersion0;
    else if (version == 1)
        offset = MatrixOffsetVersion1;
    else {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Unknown track header version",
                            { QString::number(int(version)) });
        return false;
    }
    if (trackHeader.headerSize + offset + MatrixSize > trackHeader.size) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Track header too short",
                            { QString::number(trackHeader.offset), QString::number(trackHeader.size) });
        return false;
    }
    currentMatrix.resize(int(MatrixSize));
    if (!file.seek(body + offset) || !readFromFile(file, currentMatrix.data(), MatrixSize))
        return false;
    if (currentMatrix != QByteArray::fromRawData(IdentityMatrix, int(MatrixSize)))
        matrixOffset = body + offset;
    return true;
}

bool CMP4VideoOrientationPatcher::processTrackHeader(QFile& file, const AtomInfo& trackHeader)
{
    qint64 matrixOffset = -1;
    QByteArray currentMatrix;
    if (!matrixToPatch(file, trackHeader, matrixOffset, currentMatrix))
        return false;
    if (matrixOffset < 0)
        return true;
    return file.seek(matrixOffset) && writeToFile(file, IdentityMatrix, MatrixSize);
}

bool CMP4VideoOrientationPatcher::run()
{
    if (!m_file.isOpen() || !m_file.seek(0))
        return false;
    QVector<AtomInfo> topLevel;
    // Only the movie atom is written to: what is cut short behind it is left as it is.
    if (!findAtoms(m_file, 0, m_file.size(), topLevel, true) || topLevel.first().name != "ftyp")
        return false;
    const int movieIndex = findAtomByName("moov", topLevel, 0);
    if (movieIndex < 0)
        return false;
    const AtomInfo movie = topLevel.at(movieIndex);
    QVector<AtomInfo> movieChildren;
    if (!findAtoms(m_file, movie.offset + movie.headerSize, movie.offset + movie.size, movieChildren))
        return false;

    // Everything is checked before the first byte is written, so a failure leaves the file
    // as it was.
    struct Patch
    {
        qint64 offset;
        QByteArray original;
    };
    QVector<Patch> patches;
    for (const AtomInfo& track : qAsConst(movieChildren)) {
        if (track.name != "trak")
            continue;
        QVector<AtomInfo> trackChildren;
        if (!findAtoms(m_file, track.offset + track.headerSize, track.offset + track.size, trackChildren))
            return false;
        for (const AtomInfo& child : qAsConst(trackChildren)) {
            if (child.name != "tkhd")
                continue;
            Patch patch;
            if (!matrixToPatch(m_file, child, patch.offset, patch.original))
                return false;
            if (patch.offset >= 0)
                patches.append(patch);
        }
    }

    for (int i = 0; i < patches.size(); ++i) {
        if (!m_file.seek(patches.at(i).offset) || !writeToFile(m_file, IdentityMatrix, MatrixSize)) {
            CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Writing the track matrix failed",
                                { m_file.fileName(), m_file.errorString() });
            // Put back what was already written.
            for (int j = 0; j < i; ++j) {
                if (m_file.seek(patches.at(j).offset))
                    writeToFile(m_file, patches.at(j).original.constData(), MatrixSize);
            }
            m_file.flush();
            return false;
        }
    }
    return m_file.flush();
}

} // namespace Multimedia
} // namespace Ulx
