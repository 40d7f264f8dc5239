#pragma once

#include <QImage>
#include <QObject>
#include <QString>

namespace Tovrin {
namespace Shared {
class NewCopyPublisher;
}
} // namespace Tovrin

namespace Ulx {
namespace Multimedia {

// Stores a captured still as a new photo: encoded by its name's suffix into a hidden new copy
// beside it, which a disk thread syncs and then names. The photo takes its name only whole and
// on the disk, and never one that holds a file already, while the video goes on. One still at
// a time; GUI thread.
class CStillWriter : public QObject
{
    Q_OBJECT

public:
    explicit CStillWriter(QObject* parent = nullptr);

    // False, with the reason, when the copy cannot be made or encoded (nothing is left behind);
    // otherwise finished() follows. description goes into the file where its format has room.
    bool write(const QImage& image, const QString& target, int quality, const QString& description,
               QString* errorText);

signals:
    // detail: for a failure its reason; for a stored still a note worth a log line, or empty.
    void finished(bool stored, const QString& target, const QString& detail);

private:
    Tovrin::Shared::NewCopyPublisher* m_publisher = nullptr;
};

} // namespace Multimedia
} // namespace Ulx
