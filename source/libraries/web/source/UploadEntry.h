#pragma once

#include <QDateTime>
#include <QString>

namespace Tovrin {
namespace Web {

// One local file that a project upload still has to send: where it lies, where it lies inside
// the project, and what kind of media it is. A plain value.
class UploadEntry
{
public:
    UploadEntry() = default;
    // relativePath is filePath without the project folder in front (no leading "/").
    UploadEntry(const QString& filePath, const QString& relativePath, const QDateTime& lastModified, qint64 size);

    QString filePath;
    QString relativePath;
    QDateTime lastModified;
    qint64 size = 0;
    bool isVideo = false;
    bool isPicture = false;

    // The last "/"-separated part of relativePath.
    QString fileName() const;
};

} // namespace Web
} // namespace Tovrin
