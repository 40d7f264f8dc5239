#pragma once

#include <QString>

namespace Tovrin {
namespace Web {

// One file of a project upload: where it lies on the tablet and where it goes in the
// project's storage. Built once, then only read.
class UploadFileDescriptor
{
public:
    UploadFileDescriptor() = default;
    UploadFileDescriptor(const QString& projectId, const QString& bucketName, const QString& localFilePath,
                         const QString& reservedText, const QString& fileKey, bool isVideo);

    QString projectId() const { return m_projectId; }
    QString localFilePath() const { return m_localFilePath; }
    QString fileKey() const { return m_fileKey; }
    QString bucketName() const { return m_bucketName; }
    bool isVideo() const { return m_isVideo; }

    bool isDocumentationFile() const;
    // The key under which the service's preset job writes the web version of the file.
    QString outputKeyWithoutExtension() const;

private:
    QString m_projectId;
    QString m_reservedText;
    QString m_localFilePath;
    QString m_fileKey;
    QString m_bucketName;
    bool m_isVideo = false;
};

} // namespace Web
} // namespace Tovrin
