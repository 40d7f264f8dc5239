#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// Answers QFile::exists for many paths in few folders with one listing per folder instead of
// one check per path. A name the listing lacks does not exist, unless the folder ignores
// letter case (a FAT card, a case-folding folder) and holds the name in another case: then a
// check of its own decides. Folders that cannot be listed are checked path by path. One use,
// on one thread.
class CExistingFiles
{
public:
    bool exists(const QString& path);
    // The same for folder + name; folder ends with "/".
    bool exists(const QString& folder, const QString& name);

private:
    struct Listing
    {
        bool listed = false;
        // Each listed name, and whether it leads anywhere (a link to nothing does not).
        QHash<QString, bool> names;
        // Filled only for a folder that ignores letter case.
        QSet<QString> foldedNames;
        bool ignoresCase = false;
    };

    const Listing& listing(const QString& folder);
    static bool ignoresCase(const QString& folder, const QHash<QString, bool>& names);

    QHash<QString, Listing> m_folders;
};
