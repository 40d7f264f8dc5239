#include "mediaimport/SafeMediaPaths.h"

#include <QDir>
#include <QFileInfo>

namespace {

// With the separator: "/p/P2" is not inside "/p/P".
bool isInside(const QString& path, const QString& root)
{
    return path == root || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

// The canonical form of the deepest part of path that exists, with the rest appended: a
// link inside the root that points elsewhere is seen for what it is.
QString resolvedPath(const QString& path)
{
    QString existing = path;
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const int slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return path;
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical + rest;
}

} // namespace

bool isSafeFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

QString safeFilePathInside(const QString& root, const QString& folderPart, const QString& fileName)
{
    if (root.isEmpty() || !isSafeFileName(fileName) || folderPart.contains(QChar(0)) || folderPart.contains(QLatin1Char('\\'))
        || QDir::isAbsolutePath(folderPart))
        return QString();
    const QString cleanRoot = QDir::cleanPath(root);
    const QString folder = QDir::cleanPath(cleanRoot + QLatin1Char('/') + folderPart);
    if (!isInside(folder, cleanRoot) || !isInside(resolvedPath(folder), resolvedPath(cleanRoot)))
        return QString();
    return folder + QLatin1Char('/') + fileName;
}

QString safeRelativeFilePathInside(const QString& root, const QString& relativePath)
{
    const int slash = relativePath.lastIndexOf(QLatin1Char('/'));
    return safeFilePathInside(root, slash < 0 ? QString() : relativePath.left(slash), relativePath.mid(slash + 1));
}
