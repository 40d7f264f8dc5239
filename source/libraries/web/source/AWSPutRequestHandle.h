#pragma once

#include "AbstractUploadFileRequestHandle.h"
#include "StorageResponses.h"

#include <QFile>

#include <memory>
#include <vector>

namespace Tovrin {
namespace Web {

// A single PUT of a whole file to a pre-signed storage address. Owns the open files that its
// replies read their bodies from. A PUT whose connection broke before any answer came is sent
// again from the file: the signed address takes the same object as often as it is sent.
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
    bool shouldRetry(QNetworkReply::NetworkError error) const override;
    QNetworkReply* sendAgain(QNetworkAccessManager* manager, const QNetworkRequest& request,
                             QNetworkAccessManager::Operation operation) override;

private:
    std::unique_ptr<QFile> m_file;
    // The files of earlier attempts: a reply given up may still read from its own.
    std::vector<std::unique_ptr<QFile>> m_earlierFiles;
};

} // namespace Web
} // namespace Tovrin
