#include "UploadFileDescriptor.h"

namespace Tovrin {
namespace Web {

UploadFileDescriptor::UploadFileDescriptor(const QString& projectId, const QString& bucketName,
                                           const QString& localFilePath, const QString& reservedText,
                                           const QString& fileKey, bool isVideo)
    : m_projectId(projectId)
    , m_reservedText(reservedText)
    , m_localFilePath(localFilePath)
    , m_fileKey(fileKey)
    , m_bucketName(bucketName)
    , m_isVideo(isVideo)
{
}

bool UploadFileDescriptor::isDocumentationFile() const
{
    return m_fileKey.contains(QStringLiteral("Misc/Docu"), Qt::CaseInsensitive);
}

QString UploadFileDescriptor::outputKeyWithoutExtension() const
{
    QString key = m_fileKey.section(QLatin1Char('.'), 0, 0);
    key.replace(QStringLiteral("sec"), QStringLiteral("sec/web"), Qt::CaseInsensitive);
    return key;
}

} // namespace Web
} // namespace Tovrin
