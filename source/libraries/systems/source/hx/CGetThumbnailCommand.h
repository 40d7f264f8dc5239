#pragma once

#include "hx/CAbstractGetCommand.h"

#include <QImage>
#include <QString>

namespace Ulx {
namespace Communication {

// Fetches the camera's JPEG thumbnail of one file. A URL whose path is not a safe camera path
// ends the command with InternalError without a request; so does an image larger than
// MaximumPixels, without being decoded.
class CGetThumbnailCommand : public CAbstractGetCommand
{
    Q_OBJECT

public:
    explicit CGetThumbnailCommand(const QString& fileUrl);
    ~CGetThumbnailCommand() override;

    QString fileUrl() const { return m_fileUrl; }
    QImage image() const { return m_image; }

    // A camera's thumbnail is a small JPEG. Its size in pixels is read first: a header that
    // claims more would have the decoder fill memory far beyond the bytes it came in.
    static constexpr qint64 MaximumAnswerBytes = 512 * 1024;
    static constexpr qint64 MaximumPixels = 4096 * 4096;
    qint64 answerLimit() const override { return MaximumAnswerBytes; }

    QString requestUrl() const override;
    void processNetworkReply(QNetworkReply* reply) override;
    void execute(QNetworkAccessManager* manager) override;

private:
    QString m_fileUrl;
    QImage m_image;
};

} // namespace Communication
} // namespace Ulx
