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
    // "." + a media file name + an optional counter + ".replacing" (replacementPathFor), and
    // the temporary file through which the download writes it, which adds six characters.
    static const QRegularExpression pattern(
        QStringLiteral("^\\.(.+?)(\\.[1-9][0-9]*)?\\.replacing(\\.[A-Za-z0-9]{6})?$"));
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
    QDir dir(folder);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setNameFilters({QStringLiteral(".*.replacing"), QStringLiteral(".*.replacing.*")});
    int removed = 0;
    const QStringList names = dir.entryList();
    for (const QString& name : names) {
        if (!isReplacementName(name))
            continue;
        if (dir.remove(name)) {
            ++removed;
            CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("CulvertixApplication"),
                                QStringLiteral("Removed an unfinished replacement of a media file."),
                                {dir.filePath(name)});
        }
    }
    return removed;
}
