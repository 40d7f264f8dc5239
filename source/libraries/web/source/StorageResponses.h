#pragma once

#include "Response.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QVector>

// Replies of the project upload: the upload's bucket, bucket queries and listings, pre-signed
// addresses and the steps of single and multi-part transfers.
namespace Tovrin {
namespace Web {

class BeginUploadProjectResponse : public Response
{
public:
    BeginUploadProjectResponse();
    void fromXml(const QString& text);
    QString bucketName() const { return m->bucketName; }

private:
    struct Data : QSharedData
    {
        QString bucketName;
    };
    QSharedDataPointer<Data> m;
};

class BucketCreateResponse : public Response
{
public:
    BucketCreateResponse();
    void fromXml(const QString& text);
    QString name() const { return m->name; }

private:
    struct Data : QSharedData
    {
        QString name;
    };
    QSharedDataPointer<Data> m;
};

class BucketGetResponse : public Response
{
public:
    BucketGetResponse();
    void fromXml(const QString& text);
    QString name() const { return m->name; }
    bool exists() const { return m->exists; }

private:
    struct Data : QSharedData
    {
        QString name;
        bool exists = false;
    };
    QSharedDataPointer<Data> m;
};

// One object of a bucket or storage listing; type 0 directory, 1 file, 2 not given.
struct RemoteObjectEntry
{
    QString key;
    QString fileName;
    QDateTime modifiedDate;
    qint64 size = 0;
    qint32 type = 2;
};

class ListOfFilesFromLocationResponse : public Response
{
public:
    ListOfFilesFromLocationResponse();
    void fromXml(const QString& text);
    void fromJson(const QString& text);
    QList<RemoteObjectEntry> files() const { return m->files; }
    qint32 count() const { return m->count; }

private:
    friend class BucketListingReader;
    struct Data : QSharedData
    {
        QList<RemoteObjectEntry> files;
        qint32 count = 0;
    };
    QSharedDataPointer<Data> m;
};

// Reads a bucket listing (XML) as its pieces arrive, so that a large bucket is held as its list
// of objects only, never also as the text that describes them.
class BucketListingReader
{
public:
    BucketListingReader();
    void addData(const QByteArray& piece);
    void addText(const QString& text);
    // Hands what was read to the reply, which is unreadable unless the listing read to its end.
    void finishInto(ListOfFilesFromLocationResponse& response);
    // Nothing more of the answer is worth reading: it is no listing.
    bool refused() const { return m_reader.refused(); }

    // The bucket of the largest project the listing's byte bound admits holds about this many
    // objects; more entries than that are made up.
    static constexpr int MaxEntries = 300000;

private:
    ResponseReading::XmlReader m_reader;
    RemoteObjectEntry m_entry;
    QList<RemoteObjectEntry> m_files;
    qint32 m_count = 0;
};

class PreSignedBatchUploadResponse : public Response
{
public:
    PreSignedBatchUploadResponse();
    void fromJson(const QString& text);
    QVector<QString> urls() const { return m->urls; }

private:
    struct Data : QSharedData
    {
        QVector<QString> urls;
    };
    QSharedDataPointer<Data> m;
};

// result(): the multi-part upload was completed.
class UploadFileMultiPartFinishedResponse : public Response
{
public:
    void setResultFromNetworkError(QNetworkReply::NetworkError networkError) { setResult(networkError == QNetworkReply::NoError); }
    void setFailed() { setResult(false); }
    // Marks a failure found by the client itself (unreadable file, unusable reply).
    void setFailure(Error error)
    {
        setErrorValue(error);
        setRequestSucceeded(false);
        setResult(false);
    }
};

class UploadFileMultiPartInitResponse : public Response
{
public:
    UploadFileMultiPartInitResponse();
    void fromJson(const QString& text);
    QString uploadId() const { return m->uploadId; }

private:
    struct Data : QSharedData
    {
        QString uploadId;
    };
    QSharedDataPointer<Data> m;
};

class UploadFileMultiPartUrlsResponse : public Response
{
public:
    UploadFileMultiPartUrlsResponse();
    void fromJson(const QString& text);
    QStringList urls() const { return m->urls; }

private:
    struct Data : QSharedData
    {
        QStringList urls;
    };
    QSharedDataPointer<Data> m;
};

class UploadFileResponse : public Response
{
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::BeginUploadProjectResponse)
Q_DECLARE_METATYPE(Tovrin::Web::BucketCreateResponse)
Q_DECLARE_METATYPE(Tovrin::Web::BucketGetResponse)
Q_DECLARE_METATYPE(Tovrin::Web::ListOfFilesFromLocationResponse)
Q_DECLARE_METATYPE(Tovrin::Web::PreSignedBatchUploadResponse)
Q_DECLARE_METATYPE(Tovrin::Web::UploadFileMultiPartFinishedResponse)
Q_DECLARE_METATYPE(Tovrin::Web::UploadFileResponse)
