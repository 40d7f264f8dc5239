#include "mediaimport/MediaFileReplacement.h"

#include "CLogger.h"
#include "FileReplacement.h"

#include <QFileInfo>

using Tovrin::Logging::CLogger;

bool canReplaceFile(const QString& target)
{
    const QFileInfo info(target);
    if (target.isEmpty() || info.isDir())
        return false;
    const QFileInfo folder(info.absolutePath());
    return folder.isDir() && folder.isWritable();
}

int removeLeftoverReplacements(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    const int removed = FileReplacement::sweepStrayCopies(folder);
    if (removed > 0)
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("CulvertixApplication"),
                            QStringLiteral("Removed unfinished copies an earlier transfer left:"), {folder, removed});
    return removed;
}
