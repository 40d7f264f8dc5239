#include "mediaimport/CExistingFiles.h"

#include "mediaimport/FolderEntries.h"

#include <QFile>
#include <QFileInfo>

bool CExistingFiles::exists(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash == path.size() - 1)
        return QFile::exists(path);
    return exists(path.left(slash + 1), path.mid(slash + 1));
}

bool CExistingFiles::exists(const QString& folder, const QString& name)
{
    const Listing& names = listing(folder);
    if (!names.listed)
        return QFile::exists(folder + name);
    const auto entry = names.names.constFind(name);
    if (entry != names.names.constEnd())
        return entry.value();
    return names.ignoresCase && names.foldedNames.contains(name.toCaseFolded()) && QFile::exists(folder + name);
}

const CExistingFiles::Listing& CExistingFiles::listing(const QString& folder)
{
    auto found = m_folders.constFind(folder);
    if (found != m_folders.constEnd())
        return found.value();
    Listing listing;
    const QFileInfo info(folder);
    if (!info.exists()) {
        // Nothing exists in a folder that does not.
        listing.listed = true;
    } else if (info.isDir() && info.isReadable() && info.isExecutable()) {
        listing.listed = FolderEntries::list(folder, [&listing](const FolderEntries::Entry& entry) {
            listing.names.insert(entry.name, entry.type != FolderEntries::Type::Missing);
        });
        listing.ignoresCase = ignoresCase(folder, listing.names);
        if (listing.ignoresCase) {
            for (auto it = listing.names.cbegin(); it != listing.names.cend(); ++it)
                listing.foldedNames.insert(it.key().toCaseFolded());
        }
    }
    return m_folders.insert(folder, listing).value();
}

bool CExistingFiles::ignoresCase(const QString& folder, const QHash<QString, bool>& names)
{
    // Asks for one listed name with its ASCII letters in the other case (every file system
    // that ignores case ignores theirs): found under a name the folder does not list, it was
    // found by ignoring case. A folder without such a name has nothing another case could find.
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (!it.value())
            continue;
        QString other = it.key();
        bool changed = false;
        for (QChar& c : other) {
            const ushort u = c.unicode();
            if (u >= 'a' && u <= 'z')
                c = QChar(u - 'a' + 'A');
            else if (u >= 'A' && u <= 'Z')
                c = QChar(u - 'A' + 'a');
            else
                continue;
            changed = true;
        }
        if (!changed || names.contains(other))
            continue;
        return QFileInfo::exists(folder + other);
    }
    return false;
}
