#include "mediaimport/MediaFileReplacement.h"

#include "CLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
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
    // QFile::rename never replaces an existing file; rename(2) does, atomically.
    if (std::rename(QFile::encodeName(newCopy).constData(), QFile::encodeName(target).constData()) == 0)
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
    // The download writes such a copy through a temporary file named after it.
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.replacing(\\.[A-Za-z0-9]{6})?$"));
    return pattern.match(name).hasMatch();
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
