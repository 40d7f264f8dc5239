// Feeds arbitrary bytes to the reader of the camera's XML file list. Whatever it accepts must
// be a plain file name with an address, a time and a known type.
#include "hx/TetronCameraUrls.h"
#include "hx/TetronFileListParser.h"

#include <QByteArray>
#include <QVector>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray xml = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QVector<Ulx::Multimedia::CRemoteFileInfo> files;
    if (!Ulx::Communication::parseTetronFileList(xml, &files))
        return 0;
    for (const Ulx::Multimedia::CRemoteFileInfo& file : qAsConst(files)) {
        const QString name = file.fileName();
        // The name becomes a local file name: it must be one plain segment.
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
            || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')))
            std::abort();
        if (file.fileUrl().isEmpty() || !file.creationTime().isValid()
            || file.fileType() == Ulx::RemoteMediaTypes::FileTypeUnknown)
            std::abort();
        // The address holds the camera's path encoded once: it gives back that very path.
        if (!Ulx::Communication::cameraFilePath(file.fileUrl()).endsWith(QLatin1Char('/') + name))
            std::abort();
    }
    return 0;
}
