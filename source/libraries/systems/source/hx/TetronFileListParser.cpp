#include "hx/TetronFileListParser.h"

#include "hx/TetronCameraUrls.h"

#include "CLogger.h"

#include <QBuffer>
#include <QXmlStreamReader>

#include <algorithm>
#include <limits>

namespace Ulx {
namespace Communication {

namespace {

void logParser(const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
                                         text, {});
}

// Digits only (a number too large for any size, as opposed to text that is none).
bool isDecimalNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && std::all_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

struct Entry
{
    QString path;
    QString fileName;
    QDateTime time;
    // 0 while unknown: a size the list does not give, or that is not a number. Such a file is
    // downloaded all the same; the room check counts the sizes it knows.
    qint64 size = 0;
    bool sizeGiven = false;
    RemoteMediaTypes::FileType type = RemoteMediaTypes::FileTypeUnknown;
};

// The camera's list is three elements deep. The stream reader keeps every element that is still
// open, so one nested without end would take memory with every byte of the answer: an element
// skipped here may hold only this many levels.
constexpr int MaximumSkippedDepth = 32;

void skipElement(QXmlStreamReader& reader)
{
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaximumSkippedDepth)
            reader.raiseError(QStringLiteral("Elements nested too deep."));
        else if (token == QXmlStreamReader::EndElement)
            --depth;
    }
}

void readFile(QXmlStreamReader& reader, QVector<Multimedia::CRemoteFileInfo>* files)
{
    Entry entry;
    while (reader.readNextStartElement()) {
        const QStringRef name = reader.name();
        if (name == QLatin1String("name")) {
            entry.path = reader.readElementText();
            const int slash = entry.path.lastIndexOf(QLatin1Char('/'));
            if (slash < 0) {
                logParser(QStringLiteral("File list parser - invalid file name detected."));
                entry.fileName.clear();
            } else {
                entry.fileName = entry.path.mid(slash + 1);
            }
        } else if (name == QLatin1String("format")) {
            const QString format = reader.readElementText();
            if (format.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0) {
                entry.type = RemoteMediaTypes::FileTypePhoto;
            } else if (format.compare(QLatin1String("MP4"), Qt::CaseInsensitive) == 0) {
                entry.type = RemoteMediaTypes::FileTypeVideo;
            } else {
                entry.type = RemoteMediaTypes::FileTypeUnknown;
                logParser(QStringLiteral("File list parser - invalid file type detected."));
            }
        } else if (name == QLatin1String("size")) {
            bool ok = false;
            const QString text = reader.readElementText();
            entry.sizeGiven = true;
            entry.size = text.toLongLong(&ok, 10);
            if (!ok && isDecimalNumber(text)) {
                // A number no volume can hold: the room check refuses it.
                entry.size = std::numeric_limits<qint64>::max();
            } else if (!ok || entry.size < 0) {
                entry.size = 0;
                logParser(QStringLiteral("File list parser - invalid file size detected."));
            }
        } else if (name == QLatin1String("time")) {
            const QString text = reader.readElementText();
            entry.time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            if (!entry.time.isValid()) {
                logParser(QStringLiteral("File list parser - invalid date detected - %1 %2.").arg(entry.fileName, text));
                entry.time = QDateTime::currentDateTime();
            }
        } else {
            skipElement(reader);
        }
    }
    if (entry.fileName.isEmpty() || !entry.time.isValid() || entry.type == RemoteMediaTypes::FileTypeUnknown)
        return;
    if (!entry.sizeGiven)
        logParser(QStringLiteral("File list parser - no file size given."));
    // The name becomes part of a URL on the camera and of a local file name: a path that could
    // reach another host or climb out of a folder is refused.
    if (!isSafeCameraPath(entry.path) || entry.fileName.contains(QLatin1Char(':'))) {
        logParser(QStringLiteral("File list parser - unsafe file path refused."));
        return;
    }
    files->append(Multimedia::CRemoteFileInfo(entry.fileName, cameraFileUrl(entry.path), entry.time, entry.size,
                                              entry.type));
}

} // namespace

bool parseTetronFileList(const QByteArray& xml, QVector<Multimedia::CRemoteFileInfo>* files)
{
    files->clear();
    // Read through a device, the text is decoded a block at a time, not all at once beside the
    // bytes it comes from (a list may be tens of MiB).
    QBuffer device;
    device.setData(xml);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("DCIM")) {
            while (reader.readNextStartElement()) {
                if (reader.name() == QLatin1String("file"))
                    readFile(reader, files);
                else
                    skipElement(reader);
            }
        } else {
            skipElement(reader);
        }
    }
    // Read to the end, so that a broken document (an error page, a cut-off answer) is noticed.
    while (!reader.atEnd() && !reader.hasError())
        reader.readNext();
    if (reader.hasError()) {
        logParser(QStringLiteral("File list parser - invalid XML detected."));
        files->clear();
        return false;
    }
    return true;
}

} // namespace Communication
} // namespace Ulx
