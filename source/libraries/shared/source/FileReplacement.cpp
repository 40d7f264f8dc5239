#include "FileReplacement.h"

#include <QFile>
#include <QFileDevice>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace FileReplacement {

bool syncToDisk(QFileDevice& copy)
{
    if (!copy.flush())
        return false;
    const int descriptor = copy.handle();
    if (descriptor < 0)
        return false;
#ifdef Q_OS_WIN
    return ::_commit(descriptor) == 0;
#else
    return ::fsync(descriptor) == 0;
#endif
}

bool replaceFileWith(const QString& newCopy, const QString& target)
{
    // QFile::rename never replaces an existing name, and where it cannot rename it copies into
    // the target, through a link standing there; rename(2) replaces the name itself, atomically.
    return std::rename(QFile::encodeName(newCopy).constData(), QFile::encodeName(target).constData()) == 0;
}

} // namespace FileReplacement
