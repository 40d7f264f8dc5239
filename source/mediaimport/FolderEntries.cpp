#include "mediaimport/FolderEntries.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace FolderEntries {

namespace {

Type typeOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return Type::File;
    if (S_ISDIR(mode))
        return Type::Folder;
    return Type::Other;
}

// The type of what the name leads to, following a link.
Type targetType(int folder, const char* name)
{
    struct stat target;
    return ::fstatat(folder, name, &target, 0) == 0 ? typeOfMode(target.st_mode) : Type::Missing;
}

} // namespace

bool list(const QString& folder, const std::function<void(const Entry& entry)>& visit)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    Entry entry;
    while (const dirent* found = ::readdir(dir)) {
        const char* name = found->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entry.isLink = false;
        switch (found->d_type) {
        case DT_REG:
            entry.type = Type::File;
            break;
        case DT_DIR:
            entry.type = Type::Folder;
            break;
        case DT_LNK:
            entry.isLink = true;
            entry.type = targetType(fd, name);
            break;
        case DT_UNKNOWN: {
            struct stat own;
            if (::fstatat(fd, name, &own, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            entry.isLink = S_ISLNK(own.st_mode);
            entry.type = entry.isLink ? targetType(fd, name) : typeOfMode(own.st_mode);
            break;
        }
        default:
            entry.type = Type::Other;
            break;
        }
        entry.name = QFile::decodeName(name);
        visit(entry);
    }
    ::closedir(dir);
    return true;
}

} // namespace FolderEntries
