#pragma once

#include "hx/CAbstractGetCommand.h"

#include <QImage>
#include <QString>

namespace Ulx {
namespace Communication {

// Fetches the camera's JPEG thumbnail of one file. A URL whose path is not a safe camera path
// ends the command with InternalError without a request.
class CGetThumbnailCommand : public CAbstractGetCommand
{
    Q_OBJECT

public:
    explicit CGetThumbnailCommand(const QString& fileUrl);
    ~CGetThumbnailCommand() override;

    QString fileUrl() const { return m_fileUrl; }
    QImage image() const { return m_image; }

    QString requestUrl() const override;
    void processNetworkReply(QNetworkReply* reply) override;
    void execute(QNetworkAccessManager* manager) override;

private:
    QString m_fileUrl;
    QImage m_image;
};

} // namespace Communication
} // namespace Ulx
