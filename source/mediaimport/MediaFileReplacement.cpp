#include "mediaimport/MediaFileReplacement.h"

#include "CLogger.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

using Tovrin::Logging::CLogger;

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

QString replacementPathFor(const QString& target)
{
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName();
    QString candidate = stem + QStringLiteral(".replacing");
    for (int n = 1; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = stem + QStringLiteral(".%1.replacing").arg(n);
    return candidate;
}
