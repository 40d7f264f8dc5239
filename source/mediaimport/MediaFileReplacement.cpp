#include "mediaimport/MediaFileReplacement.h"

#include "helpers/MediaFileTypes.h"
#include "mediaimport/SafeMediaPaths.h"

#include "CLogger.h"
#include "FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

using Tovrin::Logging::CLogger;

namespace {

const QString ReplacementSuffix = QStringLiteral(".replacing");

} // namespace

bool canReplaceFile(const QString& target)
{
    const QFileInfo info(target);
    if (target.isEmpty() || info.isDir())
        return false;
    const QFileInfo folder(info.absolutePath());
    return folder.isDir() && folder.isWritable();
}

bool replaceFileWith(const QString& newCopy, const QString& target)
{
    if (FileReplacement::replaceFileWith(newCopy, target))
        return true;
    const int error = errno;
    CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("CulvertixApplication"),
                        QStringLiteral("Cannot replace a media file with its new copy."),
                        {target, newCopy, QString::fromLocal8Bit(std::strerror(error))});
    return false;
}

QString replacementPathFor(const QString& target, const QSet<QString>& taken)
{
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName();
    QString candidate = stem + ReplacementSuffix;
    for (int n = 1; taken.contains(candidate) || QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = stem + QStringLiteral(".%1").arg(n) + ReplacementSuffix;
    return candidate;
}

bool isReplacementName(const QString& name)
{
    // "." + a media file name + an optional counter + ".replacing" (replacementPathFor).
    static const QRegularExpression pattern(QStringLiteral("^\\.(.+?)(\\.[1-9][0-9]*)?\\.replacing$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return false;
    const QString mediaName = match.captured(1);
    return isSafeFileName(mediaName) && (isPhotoFile(mediaName) || isVideoFile(mediaName));
}

int removeLeftoverReplacements(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    // The copies on their way to those names, or to the media names themselves.
    int removed = FileReplacement::sweepStrayCopies(folder);
    QDir dir(folder);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setNameFilters({QStringLiteral(".*.replacing")});
    const QStringList names = dir.entryList();
    for (const QString& name : names) {
        if (!isReplacementName(name))
            continue;
        if (dir.remove(name))
            ++removed;
    }
    if (removed > 0)
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("CulvertixApplication"),
                            QStringLiteral("Removed unfinished copies an earlier transfer left:"), {folder, removed});
    return removed;
}
