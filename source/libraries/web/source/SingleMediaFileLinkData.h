#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace Tovrin {
namespace Web {

// A download address of one media file of a web project, with its kind (the folder inside
// the project) and its file name.
struct SingleMediaFileLinkData
{
    QString url;
    QString type;
    QString name;

    bool operator==(const SingleMediaFileLinkData& other) const
    {
        return url == other.url && type == other.type && name == other.name;
    }
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::SingleMediaFileLinkData)
Q_DECLARE_METATYPE(QList<Tovrin::Web::SingleMediaFileLinkData>)
