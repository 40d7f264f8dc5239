#pragma once

#include <QString>

#include <functional>

// Lists a folder with one pass of readdir, taking each entry's type from the listing itself:
// a folder of 100,000 photos costs no stat per file. Only links (for the type of what they
// point to) and entries of file systems that leave the type open are looked at one by one.
namespace FolderEntries {

enum class Type
{
    File,
    Folder,
    // A fifo, socket or device, or a link to one.
    Other,
    // A link to nothing.
    Missing
};

struct Entry
{
    QString name;
    Type type;
    bool isLink;
};

// Calls visit for every entry but "." and ".."; false when the folder cannot be listed.
bool list(const QString& folder, const std::function<void(const Entry& entry)>& visit);

} // namespace FolderEntries
