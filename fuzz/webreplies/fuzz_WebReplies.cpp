// Feeds arbitrary text, as the web service's reply body, to the JSON and XML readers of every
// typed reply of the web client, and the raw bytes in two pieces to the bucket listing that is
// read as it arrives.
#include "LoginResponse.h"
#include "ProjectResponses.h"
#include "SessionResponses.h"
#include "StorageResponses.h"

#include <QString>

#include <cstddef>
#include <cstdint>

using namespace Tovrin::Web;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // As the request handles see a body: UTF-8 up to the first zero byte.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const int zero = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(zero >= 0 ? bytes.left(zero) : bytes);

    LoginResponse().fromJson(text);
    Check2StepAuthenticationResponse().fromJson(text);
    ClientCredentialsResponse().fromXml(text);
    StatusResponse().fromXml(text);
    UserProjectsResponse().fromJson(text);
    ProjectReadyToDownloadResponse().fromJson(text);
    UploadProjectsStatusResponse().fromJson(text);
    SingleProjectFileDownloadResponse().fromXml(text);
    BeginUploadProjectResponse().fromXml(text);
    BucketCreateResponse().fromXml(text);
    BucketGetResponse().fromXml(text);
    ListOfFilesFromLocationResponse().fromXml(text);
    ListOfFilesFromLocationResponse().fromJson(text);
    PreSignedBatchUploadResponse().fromJson(text);
    UploadFileMultiPartInitResponse().fromJson(text);
    UploadFileMultiPartUrlsResponse().fromJson(text);

    BucketListingReader listing;
    const int split = size > 0 ? data[0] % (bytes.size() + 1) : 0;
    listing.addData(bytes.left(split));
    listing.addData(bytes.mid(split));
    ListOfFilesFromLocationResponse pieces;
    listing.finishInto(pieces);
    return 0;
}
