#include "CStillWriter.h"

#include <FilePermissions.h>
#include <FileReplacement.h>
#include <NewCopyPublisher.h>

#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryFile>

namespace Ulx {
namespace Multimedia {

using Tovrin::Shared::NewCopyPublisher;

CStillWriter::CStillWriter(QObject* parent)
    : QObject(parent)
    , m_publisher(new NewCopyPublisher(this))
{
    connect(m_publisher, &NewCopyPublisher::finished, this,
            [this](NewCopyPublisher::Outcome outcome, const QString& target, const QString& detail) {
                emit finished(outcome == NewCopyPublisher::Outcome::Published, target, detail);
            });
}

bool CStillWriter::write(const QImage& image, const QString& target, int quality, const QString& description,
                         QString* errorText)
{
    std::unique_ptr<QTemporaryFile> copy = FileReplacement::createNewCopy(target, errorText);
    if (!copy)
        return false;
    QImageWriter writer(copy.get(), QFileInfo(target).suffix().toLower().toLatin1());
    writer.setQuality(quality);
    if (!description.isEmpty())
        writer.setText(QStringLiteral("Description"), description);
    if (!writer.write(image)) {
        if (errorText)
            *errorText = writer.errorString();
        return false;
    }
    // Stills are most of what the folder receives: they also take away the copies that a kill
    // left there, on the disk thread.
    const QString folder = QFileInfo(target).absolutePath();
    if (!m_publisher->publish(std::move(copy), target, NewCopyPublisher::Rename::KeepExisting,
                              FilePermissions::newFileDefault(),
                              [folder](QFile&) {
                                  FileReplacement::sweepStrayCopies(folder);
                                  return QString();
                              })) {
        if (errorText)
            *errorText = QStringLiteral("another still is on its way");
        return false;
    }
    return true;
}

} // namespace Multimedia
} // namespace Ulx
