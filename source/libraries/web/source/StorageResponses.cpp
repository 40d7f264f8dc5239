#include "StorageResponses.h"

#include "CLogger.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
void logError(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"), text);
}
} // namespace

BeginUploadProjectResponse::BeginUploadProjectResponse()
    : m(new Data)
{
}

void BeginUploadProjectResponse::fromXml(const QString& text)
{
    if (!ResponseReading::readXml(
            text, [this](const QStringRef&, const QString& value) { m->bucketName = value; }, {QStringLiteral("BucketName")}))
        setUnreadable();
}

BucketCreateResponse::BucketCreateResponse()
    : m(new Data)
{
}

void BucketCreateResponse::fromXml(const QString& text)
{
    if (!ResponseReading::readXml(
            text, [this](const QStringRef&, const QString& value) { m->name = value; }, {QStringLiteral("Name")}))
        setUnreadable();
}

BucketGetResponse::BucketGetResponse()
    : m(new Data)
{
}

void BucketGetResponse::fromXml(const QString& text)
{
    m->exists = false;
    const bool whole = ResponseReading::readXml(
        text,
        [this](const QStringRef&, const QString& value) {
            m->exists = true;
            m->name = value;
        },
        {QStringLiteral("Name")});
    if (!whole)
        setUnreadable();
}

ListOfFilesFromLocationResponse::ListOfFilesFromLocationResponse()
    : m(new Data)
{
}

void ListOfFilesFromLocationResponse::fromXml(const QString& text)
{
    BucketListingReader reader;
    reader.addText(text);
    reader.finishInto(*this);
}

BucketListingReader::BucketListingReader()
    : m_reader(
        {QStringLiteral("Key"), QStringLiteral("FileName"), QStringLiteral("ModifiedDate"), QStringLiteral("Size"),
         QStringLiteral("Type"), QStringLiteral("Count")},
        [this](const QStringRef& name, const QString& value) {
            if (name == QLatin1String("Key"))
                m_entry.key = value;
            else if (name == QLatin1String("FileName"))
                m_entry.fileName = value;
            else if (name == QLatin1String("ModifiedDate"))
                m_entry.modifiedDate = QDateTime::fromString(value, Qt::ISODate);
            else if (name == QLatin1String("Size"))
                m_entry.size = value.toLongLong();
            else if (name == QLatin1String("Type"))
                m_entry.type = value == QLatin1String("Directory") ? 0 : 1;
            else if (name == QLatin1String("Count"))
                m_count = value.toInt();
        },
        [this](const QStringRef& name) {
            if (name != QLatin1String("ObjectModel"))
                return;
            // An entry without its key names nothing that is stored: the listing cannot be told
            // from one that lost what the bucket holds.
            if (m_entry.key.isEmpty() || m_files.size() >= MaxEntries) {
                m_reader.refuse();
                return;
            }
            m_files.append(m_entry);
            m_entry = RemoteObjectEntry();
        })
{
}

void BucketListingReader::addData(const QByteArray& piece)
{
    m_reader.addData(piece);
}

void BucketListingReader::addText(const QString& text)
{
    m_reader.addText(text);
}

void BucketListingReader::finishInto(ListOfFilesFromLocationResponse& response)
{
    // What an unreadable listing held so far depends on where its pieces were cut: none of it
    // is handed over.
    const bool whole = m_reader.finish();
    if (whole) {
        response.m->files = std::move(m_files);
        response.m->count = m_count;
    }
    m_files.clear();
    if (!whole)
        response.setUnreadable();
}

void ListOfFilesFromLocationResponse::fromJson(const QString& text)
{
    QJsonArray array;
    if (!ResponseReading::readJsonArray(text, QStringLiteral("ListOfFilesFromLocationResponse"), array))
        return;
    for (const QJsonValue& value : array) {
        const QJsonObject object = value.toObject();
        RemoteObjectEntry entry;
        entry.key = object.value(QStringLiteral("key")).toString();
        entry.fileName = entry.key;
        entry.modifiedDate = QDateTime::fromString(object.value(QStringLiteral("modifiedDate")).toString(), Qt::ISODate);
        entry.size = ResponseReading::toInt64(object.value(QStringLiteral("size")), 0);
        entry.type = 1;
        m->files.append(entry);
    }
}

PreSignedBatchUploadResponse::PreSignedBatchUploadResponse()
    : m(new Data)
{
}

void PreSignedBatchUploadResponse::fromJson(const QString& text)
{
    QJsonObject object;
    if (!ResponseReading::readJsonObject(text, QStringLiteral("PreSignedBatchUploadResponse"), object))
        return;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        m->urls.append(it.value().toString());
}

UploadFileMultiPartInitResponse::UploadFileMultiPartInitResponse()
    : m(new Data)
{
}

void UploadFileMultiPartInitResponse::fromJson(const QString& text)
{
    if (text.isEmpty()) {
        logError(QStringLiteral("UploadFileMultiPartInitResponse has no content!"));
        return;
    }
    // The body is a JSON string: drop its quotes, but only when they are there.
    const QString trimmed = text.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) && trimmed.endsWith(QLatin1Char('"')))
        m->uploadId = trimmed.mid(1, trimmed.size() - 2);
    else
        m->uploadId = trimmed;
}

UploadFileMultiPartUrlsResponse::UploadFileMultiPartUrlsResponse()
    : m(new Data)
{
}

void UploadFileMultiPartUrlsResponse::fromJson(const QString& text)
{
    QJsonArray array;
    if (!ResponseReading::readJsonArray(text, QStringLiteral("UploadFileMultiPartUrlsResponse"), array))
        return;
    for (const QJsonValue& value : array)
        m->urls.append(value.toString());
}

} // namespace Web
} // namespace Tovrin
