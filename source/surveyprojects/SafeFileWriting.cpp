#include "surveyprojects/SafeFileWriting.h"

#include "CLogger.h"
#include "FileReplacement.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using Tovrin::Logging::CLogger;

namespace SafeFileWriting {

namespace {

const QString LogCategory = QStringLiteral("Projects");

// Whether link is a second name of the plain file at path (not a symbolic link to it).
bool isSameFile(const QString& path, const QString& link)
{
    struct stat file {};
    struct stat other {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0
        && ::lstat(QFile::encodeName(link).constData(), &other) == 0 && S_ISREG(other.st_mode)
        && file.st_dev == other.st_dev && file.st_ino == other.st_ino;
}

} // namespace

bool writeFile(const QString& filePath, const std::function<bool(QIODevice*)>& writeContent)
{
    QString error;
    if (!FileReplacement::writeWholeFile(filePath, [&writeContent](QFileDevice& copy) { return writeContent(&copy); }, &error)) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Cannot write file.", {filePath, error});
        return false;
    }
    return true;
}

bool refreshBackup(const QString& filePath, const QString& backupPath)
{
    QFile source(filePath);
    if (!source.exists())
        return false;
    // A hard link shares the current file's data without copying it; the next save
    // replaces the file by a new one, so the link keeps the old content. Its name is hidden,
    // so that no upload sends it where a kill left it; such a leftover is this very file and
    // serves as the link, anything else of that name stays as it is.
    const QFileInfo backup(backupPath);
    const QString linkPath = backup.absolutePath() + QStringLiteral("/.") + backup.fileName() + QStringLiteral(".new");
    if (::link(QFile::encodeName(filePath).constData(), QFile::encodeName(linkPath).constData()) == 0
        || (errno == EEXIST && isSameFile(filePath, linkPath))) {
        if (::rename(QFile::encodeName(linkPath).constData(), QFile::encodeName(backupPath).constData()) == 0) {
            // Where the backup is this file already (its save did not come), rename(2) leaves
            // both names.
            ::unlink(QFile::encodeName(linkPath).constData());
            return true;
        }
        QFile::remove(linkPath);
    }
    // File systems without hard links get a copy.
    if (!source.open(QIODevice::ReadOnly))
        return false;
    return writeFile(backupPath, [&source](QIODevice* device) {
        char buffer[65536];
        for (;;) {
            const qint64 n = source.read(buffer, sizeof(buffer));
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            if (device->write(buffer, n) != n)
                return false;
        }
    });
}

QString xmlSafeText(const QString& text)
{
    QString result;
    bool changed = false;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        bool allowed;
        if (c.isHighSurrogate()) {
            allowed = i + 1 < n && text.at(i + 1).isLowSurrogate();
            if (allowed) {
                if (changed) {
                    result.append(c);
                    result.append(text.at(i + 1));
                }
                ++i;
                continue;
            }
        } else if (c.isLowSurrogate()) {
            allowed = false;
        } else {
            allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF);
        }
        if (!allowed && !changed) {
            result = text.left(i);
            changed = true;
        }
        if (allowed && changed)
            result.append(c);
    }
    return changed ? result : text;
}

} // namespace SafeFileWriting
