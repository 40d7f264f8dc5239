// Feeds arbitrary bytes, as the web service's reply body, to every reader of the web client's
// replies as the program feeds it: whole text to the readers of replies held whole, and pieces to
// the readers that take an answer as it arrives (the project list, the media links, the bucket
// listing), the way a request handle hands them over. A reader fed in pieces must read what it
// reads from the same body in one piece.
//
// Input: the first byte's low three bits say how many piece sizes follow (none: pieces of one
// byte), each a byte n for a piece of n + 1 bytes, used in turn; the rest is the body.
#include "LoginResponse.h"
#include "PlainRequestHandles.h"
#include "ProjectResponses.h"
#include "SessionResponses.h"
#include "StorageResponses.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Tovrin::Web;

namespace {

QString describe(const UserProjectsResponse& response)
{
    QStringList parts{QString::number(response.error())};
    for (const UserProjectEntry& entry : response.projects())
        parts << entry.projectName << entry.projectId << entry.webProjectId << entry.projectFolderName
              << entry.projectImportDate.toString(Qt::ISODateWithMs) << QString::number(entry.diskUsage);
    return parts.join(QLatin1Char('|'));
}

QString describe(const SingleProjectFileDownloadResponse& response)
{
    QStringList parts{QString::number(response.error())};
    for (const SingleMediaFileLinkData& link : response.links())
        parts << link.url << link.type << link.name;
    return parts.join(QLatin1Char('|'));
}

QString describe(const ListOfFilesFromLocationResponse& response)
{
    QStringList parts{QString::number(response.error()), QString::number(response.count())};
    for (const RemoteObjectEntry& entry : response.files())
        parts << entry.key << entry.fileName << entry.modifiedDate.toString(Qt::ISODateWithMs)
              << QString::number(entry.size) << QString::number(entry.type);
    return parts.join(QLatin1Char('|'));
}

// As a request handle reads an answer as it arrives: a new reader for the body, each piece
// handed over until the reader refuses or the body passes the handle's bound, then the reply.
template <typename Reader, typename Reply>
QString readInPieces(const QByteArray& body, const std::vector<int>& sizes)
{
    Reader reader;
    qint64 received = 0;
    bool refused = false;
    for (int at = 0, turn = 0; at < body.size() && !refused; ++turn) {
        const int size = sizes.empty() ? 1 : sizes[size_t(turn) % sizes.size()];
        const QByteArray piece = QByteArray::fromRawData(body.constData() + at, qMin(size, body.size() - at));
        at += piece.size();
        received += piece.size();
        if (received > BucketListFilesFromLocationsRequestHandle::MaxListingBytes) {
            refused = true;
            break;
        }
        reader.addData(piece);
        refused = reader.refused();
    }
    Reply reply;
    reply.setError(QNetworkReply::NoError);
    if (refused)
        reply.setInvalidReply();
    reader.finishInto(reply);
    return describe(reply);
}

template <typename Reader, typename Reply>
void compareCuts(const QByteArray& body, const std::vector<int>& sizes, const char* name)
{
    const QString whole = readInPieces<Reader, Reply>(body, {body.size() + 1});
    const QString pieces = readInPieces<Reader, Reply>(body, sizes);
    if (whole != pieces) {
        fprintf(stderr, "%s reads differently in pieces:\n  whole:  %s\n  pieces: %s\n", name, qPrintable(whole),
                qPrintable(pieces));
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<int> sizes;
    size_t at = 1;
    for (int count = data[0] & 7; count > 0 && at < size; --count)
        sizes.push_back(data[at++] + 1);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + at), int(size - at));

    // As the request handles see a body held whole: UTF-8 up to the first zero byte.
    const int zero = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(zero >= 0 ? bytes.left(zero) : bytes);
    LoginResponse().fromJson(text);
    Check2StepAuthenticationResponse().fromJson(text);
    ClientCredentialsResponse().fromXml(text);
    StatusResponse().fromXml(text);
    ProjectReadyToDownloadResponse().fromJson(text);
    UploadProjectsStatusResponse().fromJson(text);
    BeginUploadProjectResponse().fromXml(text);
    BucketCreateResponse().fromXml(text);
    BucketGetResponse().fromXml(text);
    ListOfFilesFromLocationResponse().fromJson(text);
    PreSignedBatchUploadResponse().fromJson(text);
    UploadFileMultiPartInitResponse().fromJson(text);
    UploadFileMultiPartUrlsResponse().fromJson(text);

    compareCuts<UserProjectListReader, UserProjectsResponse>(bytes, sizes, "project list");
    compareCuts<MediaLinkListReader, SingleProjectFileDownloadResponse>(bytes, sizes, "media links");
    compareCuts<BucketListingReader, ListOfFilesFromLocationResponse>(bytes, sizes, "bucket listing");
    return 0;
}
