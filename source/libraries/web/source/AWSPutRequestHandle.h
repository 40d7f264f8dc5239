#pragma once

#include "AbstractUploadFileRequestHandle.h"
#include "StorageResponses.h"

#include <QFile>

#include <memory>

namespace Tovrin {
namespace Web {

// A single PUT of a whole file to a pre-signed storage address. Owns the open file that the
// reply reads its body from.
class AWSPutRequestHandle : public AbstractUploadFileRequestHandle
{
    Q_OBJECT

public:
    explicit AWSPutRequestHandle(const UploadFileDescriptor& file, QObject* parent = nullptr);
    ~AWSPutRequestHandle() override;

    // Takes the open body file; a previous one is deleted.
    void setUploadBodyFile(QFile* file);
    QFile* uploadBodyFile() const { return m_file.get(); }

    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    void cancel() override;

signals:
    void requestFinished(Tovrin::Web::UploadFileResponse response);

protected:
    qint64 progressReferenceSize() const override { return m_totalFileBytes; }

private:
    std::unique_ptr<QFile> m_file;
};

} // namespace Web
} // namespace Tovrin
