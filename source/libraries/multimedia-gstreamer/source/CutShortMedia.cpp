#include "CutShortMedia.h"

#include "CMP4VideoOrientationPatcher.h"

#include <QFile>

namespace Ulx {
namespace Multimedia {

QString cutShortMedia(QFile& file)
{
    if (!file.seek(0))
        return QString();
    const QByteArray head = file.read(8);
    if (head.startsWith("\xFF\xD8")) {
        QByteArray tail(2, '\0');
        if (!file.seek(file.size() - 2) || !CMP4VideoOrientationPatcher::readFromFile(file, tail.data(), 2)
            || tail != "\xFF\xD9")
            return QStringLiteral("the JPEG has no end-of-image marker");
    } else if (head.mid(4) == "ftyp" && !CMP4VideoOrientationPatcher::atomsReachEnd(file)) {
        return QStringLiteral("the MP4's boxes do not reach its end");
    }
    return QString();
}

} // namespace Multimedia
} // namespace Ulx
