#include "WebCommunicator.h"

#include "NetworkRequestBodyBuilder.h"
#include "RequestSigning.h"
#include "TransferWatchdog.h"
#include "WebConstants.h"

#include "CLogger.h"
#include "PeerNetworkAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimerEvent>
#include <QUrl>

#include <limits>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace Route = Constants::Route;
namespace Xml = Constants::Xml;
namespace LegacyXml = Constants::LegacyXml;

namespace {
const QString kLoginUserName = QStringLiteral("UserName");
const QString kLoginPassword = QStringLiteral("Password");
const QString kLoginClientId = QStringLiteral("ClientId");
const QString kNoLogout = QStringLiteral("NoLogout");
const QString kLoginClientIdValue = QStringLiteral("fieldpad");
const QString kSwitchCurrentUserId = QStringLiteral("currentUserId");
const QString kSwitchTargetUserId = QStringLiteral("targetApplicationUserId");
const QString kSwitchCurrentUserToken = QStringLiteral("currentUserToken");
const QString kFormGrantType = QStringLiteral("grant_type=password");
const QString kFormKeepInMind = QStringLiteral("keepInMind=true");
const QString kFormUserName = QStringLiteral("username=%1");
const QString kFormPassword = QStringLiteral("password=%1");
const QString kFormTwoFactorCode = QStringLiteral("twoFactorAuthenticationCode=%1");
const QByteArray kClientSecret = QByteArrayLiteral("Rk8vQm2Zt5LwPn4Hx7Cd9Yb3Fs6Jg1Ua");
const QByteArray kJsonContentType = QByteArrayLiteral("application/json");
const QByteArray kJsonUtf8ContentType = QByteArrayLiteral("application/json; charset=UTF-8");
const QByteArray kFormContentType = QByteArrayLiteral("application/x-www-form-urlencoded; charset=UTF-8");
const QByteArray kTrue = QByteArrayLiteral("true");
const QByteArray kFalse = QByteArrayLiteral("false");
const QString kPathZephira = QStringLiteral("Zephira");
const QString kPathSurveys = QStringLiteral("Surveys");
const QString kPathManholes = QStringLiteral("Manholes");
const QString kPathMedia = QStringLiteral("Media");
const QString kPathDownload = QStringLiteral("Download");
const qint64 kExpiryMarginSeconds = 600;

QString category()
{
    return QStringLiteral("TovrinWeb");
}

void logInfo(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelInfo, category(), text);
}

void logError(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelError, category(), text);
}

QByteArray toJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString joinPath(const QStringList& parts)
{
    return parts.join(QLatin1Char('/'));
}

// The request asking for the body as stored, without content encoding. The network stack
// hides the announced length of a body it decompresses, so a compressed body cut short would
// pass for a whole one; a body sent as stored is checked against its length, and the bound of
// an answer counts what the peer sent (a small compressed answer may unpack to gigabytes).
QNetworkRequest asStored(QNetworkRequest request)
{
    request.setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
    return request;
}

// A file body reports every chunk handed to the network, not one every 100 ms: on a slow link
// each of them is what tells the transfer watchdog that the upload still moves.
QNetworkRequest withEveryUploadStep(QNetworkRequest request)
{
    request.setAttribute(QNetworkRequest::EmitAllUploadProgressSignalsAttribute, true);
    return request;
}
} // namespace

WebCommunicator::WebCommunicator(QObject* parent)
    : QObject(parent)
    , m_builder(new NetworkRequestBuilder(QByteArrayLiteral("FieldPad"), QByteArray()))
    , m_manager(new Tovrin::Shared::PeerNetworkAccess())
{
}

WebCommunicator::~WebCommunicator()
{
    m_loginExpiryTimer.stop();
    delete m_builder;
    delete m_manager;
}

void WebCommunicator::setTimeouts(const Timeouts& timeouts)
{
    m_timeouts = timeouts;
}

template <class H>
H* WebCommunicator::attach(H* handle, QNetworkReply* reply)
{
    handle->setTransferLimits(m_timeouts.transfer);
    connect(handle, &RequestHandle::errorOccurred, this, &WebCommunicator::errorOccurred);
    handle->setReply(reply);
    return handle;
}

QNetworkReply* WebCommunicator::send(const QByteArray& verb, const QNetworkRequest& plainRequest, const QByteArray& body)
{
    const QNetworkRequest request = asStored(plainRequest);
    QNetworkReply* reply = nullptr;
    if (verb == "GET")
        reply = m_manager->get(request);
    else if (verb == "POST")
        reply = m_manager->post(request, body);
    else if (verb == "PUT")
        reply = m_manager->put(request, body);
    else if (verb == "DELETE")
        reply = m_manager->deleteResource(request);
    else
        reply = m_manager->sendCustomRequest(request, verb, body);
    // Its read limit comes with TransferWatchdog::watch(), which every caller calls at once.
    return reply;
}

// ---- bodies ----

QPair<QByteArray, QByteArray> WebCommunicator::importTypeToXmlElement(ImportType importType)
{
    switch (importType) {
    case ImportTypeKQProject:
        return qMakePair(Xml::KQ_IMPORT_FLAG, kTrue);
    case ImportTypeZephiraProject:
        return qMakePair(Xml::IMPORT_TYPE_FLAG, Xml::IMPORT_TYPE_ZEPHIRA);
    default:
        return qMakePair(QByteArray(), QByteArray());
    }
}

QByteArray WebCommunicator::importTypeToStr(ImportType importType)
{
    switch (importType) {
    case ImportTypeKQProject:
        return LegacyXml::KQ_IMPORT_FLAG_O + kTrue + LegacyXml::KQ_IMPORT_FLAG_C;
    case ImportTypeZephiraProject:
        return LegacyXml::IMPORT_TYPE_FLAG_O + LegacyXml::IMPORT_TYPE_ZEPHIRA + LegacyXml::IMPORT_TYPE_FLAG_C;
    default:
        return QByteArray();
    }
}

QByteArray WebCommunicator::buildBeginUploadBody(const QString& companyId, const QString& creationDate,
                                                 const QString& email, const QString& projectId,
                                                 const QString& projectName)
{
    return NetworkRequestBodyBuilder()
        .startElement(Xml::INIT_UPLOAD_REQUEST, Xml::NAMESPACE_WEB)
        .addElement(Xml::COMPANY_ID, companyId.toUtf8())
        .addElement(Xml::CREATION_DATE, creationDate.toUtf8())
        .addElement(Xml::EMAIL, email.toUtf8())
        .addElement(Xml::HAS_PERMISSIONS_TO_OVERRIDE_ALL_PROJECTS, kTrue)
        .addElement(Xml::KQ_IMPORT_FLAG, kFalse)
        .addElement(Xml::PROJECT_ID, projectId.toUtf8())
        .addElement(Xml::PROJECT_NAME, projectName.toUtf8())
        .generate();
}

QByteArray WebCommunicator::buildFinishUploadBody(const QString& projectId, ImportType importType)
{
    const QPair<QByteArray, QByteArray> importElement = importTypeToXmlElement(importType);
    return NetworkRequestBodyBuilder()
        .startElement(Xml::FINISH_UPLOAD_REQUEST, Xml::NAMESPACE_WEB)
        .addElement(importElement.first, importElement.second)
        .addElement(Xml::PROJECT_ID, projectId.toUtf8())
        .generate();
}

QByteArray WebCommunicator::buildCancelUploadBody(const QString& projectId)
{
    return NetworkRequestBodyBuilder()
        .startElement(Xml::CANCEL_UPLOAD_REQUEST, Xml::NAMESPACE_WEB)
        .addElement(Xml::PROJECT_ID, projectId.toUtf8())
        .generate();
}

QByteArray WebCommunicator::buildBucketCreateBody(const QString& bucketName)
{
    return NetworkRequestBodyBuilder()
        .startElement(Xml::BUCKET_REQUEST, Xml::NAMESPACE_SERVICE)
        .addElement(Xml::BUCKET_NAME, bucketName.toUtf8())
        .generate();
}

QByteArray WebCommunicator::buildListFilesBody(const QString& bucketName, const QString& delimiter,
                                               const QStringList& prefixes)
{
    NetworkRequestBodyBuilder body;
    body.startElement(Xml::LIST_FILES_REQUEST, Xml::NAMESPACE_SERVICE)
        .addElement(Xml::BUCKET_NAME, bucketName.toUtf8())
        .addElement(Xml::DELIMITER, delimiter.toUtf8())
        .startElement(Xml::PREFIXES, Xml::PREFIX_API);
    for (const QString& prefix : prefixes)
        body.addElement(Xml::STRING_D2P1, prefix.toUtf8());
    return body.generate();
}

QByteArray WebCommunicator::buildTranscodingJobBody(const UploadFileDescriptor& file)
{
    return NetworkRequestBodyBuilder()
        .startElement(Xml::PUT_TRANSCODING_JOB, Xml::NAMESPACE_SERVICE)
        .addElement(Xml::BUCKET_NAME, file.bucketName().toUtf8())
        .addElement(Xml::PUT_TRANSCODING_FILEKEY, file.fileKey().toUtf8())
        .addElement(Xml::PUT_TRANSCODING_OUTPUTKEY, file.outputKeyWithoutExtension().toUtf8())
        .generate();
}

QByteArray WebCommunicator::buildResetPasswordBody(const QString& userName)
{
    return NetworkRequestBodyBuilder()
        .startElement(Xml::RESET_PASSWORD, Xml::NAMESPACE_ACCOUNT_API)
        .addElement(Xml::USER_NAME, userName.toUtf8())
        .generate();
}

QByteArray WebCommunicator::buildFormLoginBody(const QString& userName, const QString& password,
                                               const QString& twoFactorCode)
{
    // Every value is percent-encoded: a password with "&" or "=" must not split the form.
    const QStringList fields = {kFormGrantType, kFormKeepInMind,
                                kFormUserName.arg(QString::fromLatin1(QUrl::toPercentEncoding(userName))),
                                kFormPassword.arg(QString::fromLatin1(QUrl::toPercentEncoding(password))),
                                kFormTwoFactorCode.arg(QString::fromLatin1(QUrl::toPercentEncoding(twoFactorCode)))};
    return fields.join(QLatin1Char('&')).toUtf8();
}

// ---- login calls ----

LoginRequestHandle* WebCommunicator::login(const QString& userName, const QString& password)
{
    const QNetworkRequest request = m_builder->initializeRequest(true, Route::LOGIN)
                                        .usingMethod(POST)
                                        .withUserAgentHeader()
                                        .withContentTypeHeader(kJsonContentType)
                                        .withCommonLoginHeader(kClientSecret)
                                        .withTimeout(3000);
    QJsonObject body;
    body.insert(kLoginUserName, userName);
    body.insert(kLoginPassword, password);
    body.insert(kLoginClientId, kLoginClientIdValue);
    body.insert(kNoLogout, true);
    return attach(new LoginRequestHandle(), send("POST", request, toJson(body)));
}

LoginRequestHandle* WebCommunicator::loginWithForm(const QString& userName, const QString& password,
                                                   const QString& twoFactorCode)
{
    const QNetworkRequest request = m_builder->initializeRequest(true, Route::LOGIN)
                                        .usingMethod(PUT)
                                        .withUserAgentHeader()
                                        .withContentTypeHeader(kFormContentType);
    return attach(new LoginRequestHandle(), send("PUT", request, buildFormLoginBody(userName, password, twoFactorCode)));
}

LoginRequestHandle* WebCommunicator::loginChosenUser(const QString& targetUserId)
{
    m_chosenUserId = targetUserId;
    const QNetworkRequest request = m_builder->initializeRequest(true, Route::TOKEN)
                                        .usingMethod(POST)
                                        .withUserAgentHeader()
                                        .withContentTypeHeader(kJsonContentType)
                                        .withCommonLoginHeader(kClientSecret);
    QJsonObject body;
    body.insert(kSwitchCurrentUserId, m_loginData.userId());
    body.insert(kSwitchTargetUserId, targetUserId);
    body.insert(kSwitchCurrentUserToken, m_loginData.currentUserToken());
    body.insert(kNoLogout, true);
    return attach(new LoginRequestHandle(), send("POST", request, toJson(body)));
}

Check2StepAuthenticationRequestHandle* WebCommunicator::check2StepAuthentication(const QString& userName)
{
    const QNetworkRequest request =
        m_builder->initializeRequest(true, Route::USER_2STEP_AUTH).usingMethod(GET).withParam(QStringLiteral("username"), userName);
    return attach(new Check2StepAuthenticationRequestHandle(), send("GET", request));
}

ResetPasswordRequestHandle* WebCommunicator::resetPassword(const QString& userName)
{
    const QNetworkRequest request = m_builder->initializeWebRequest(Route::ACCOUNT_RESET_PASSWORD).usingMethod(POST);
    // Deletes itself once answered; one still open goes with the communicator.
    return attach(new ResetPasswordRequestHandle(this), send("POST", request, buildResetPasswordBody(userName)));
}

StatusResponse WebCommunicator::queryServerStatus()
{
    const QNetworkRequest request = m_builder->initializeServiceRequest(Route::STATUS).usingMethod(GET);
    RequestHandle* handle = attach(new RequestHandle(), send("GET", request));
    int networkError = 0;
    bool refused = false;
    const QString text = RequestHandle::waitForReply(handle, m_timeouts.serverStatusMs, &networkError, &refused);
    delete handle;
    StatusResponse response;
    response.setError(static_cast<QNetworkReply::NetworkError>(networkError));
    if (refused)
        response.setInvalidReply();
    response.fromXml(text);
    return response;
}

Error WebCommunicator::queryClientCredentials()
{
    const QNetworkRequest request =
        m_builder->initializeWebRequest(Route::PROJECT_COMPANY_TOVRIN_SERVICE).usingMethod(GET).withAuthHeader();
    ClientCredentialsRequestHandle* handle = attach(new ClientCredentialsRequestHandle(), send("GET", request));
    int networkError = 0;
    const ClientCredentialsResponse response =
        ClientCredentialsRequestHandle::waitForResponse(handle, m_timeouts.clientCredentialsMs, &networkError);
    delete handle;

    Error error = response.error();
    const QUrl serviceUrl(response.url(), QUrl::StrictMode);
    const bool usableUrl = serviceUrl.isValid()
                           && (serviceUrl.scheme() == QLatin1String("https") || serviceUrl.scheme() == QLatin1String("http"));
    if (error == ErrorNone && (response.clientId().isEmpty() || response.secretKey().isEmpty() || !usableUrl))
        error = ErrorInvalidReply;
    if (error != ErrorNone) {
        // Keep what was there: an empty client id or service root would break every later request.
        logError(QStringLiteral("Client credentials not received (error %1).").arg(int(error)));
        emit errorOccurred(error);
        return error;
    }
    QString serviceRoot = response.url();
    if (!serviceRoot.endsWith(QLatin1Char('/')))
        serviceRoot += QLatin1Char('/');
    m_builder->setClientData(response.clientId(), response.secretKey());
    m_builder->setTovrinServiceUrl(serviceRoot);
    return ErrorNone;
}

// ---- project and data calls ----

UserProjectsRequestHandle* WebCommunicator::queryUserProjects()
{
    const QString pageSize = QStringLiteral("1000000");
    logInfo(QStringLiteral("getUserProjects with pageSize=%1").arg(pageSize));
    const QNetworkRequest request = m_builder->initializeWebRequest(Route::PROJECT)
                                        .usingMethod(GET)
                                        .withParam(QStringLiteral("pageSize"), pageSize)
                                        .withContentTypeHeader(kJsonContentType)
                                        .withAcceptHeader(QString::fromLatin1(kJsonContentType))
                                        .withAuthHeader();
    return attach(new UserProjectsRequestHandle(), send("GET", request));
}

ProjectReadyToDownloadRequestHandle* WebCommunicator::queryProjectReadyToDownload(const QString& projectId)
{
    const QNetworkRequest request = m_builder->initializeWebRequest(Route::PROJECT + QLatin1Char('/') + projectId)
                                        .usingMethod(GET)
                                        .withParam(QStringLiteral("projectId"), projectId)
                                        .withContentTypeHeader(kJsonContentType)
                                        .withAcceptHeader(QString::fromLatin1(kJsonContentType))
                                        .withAuthHeader();
    return attach(new ProjectReadyToDownloadRequestHandle(), send("GET", request));
}

UploadProjectsStatusHandle* WebCommunicator::queryUploadStatuses(const QStringList& projectIds)
{
    const QNetworkRequest request = m_builder->initializeRequest(true, Route::UPLOAD_STATUS)
                                        .usingMethod(POST)
                                        .withUserAgentHeader()
                                        .withContentTypeHeader(kJsonUtf8ContentType)
                                        .withAuthHeader();
    QJsonObject body;
    body.insert(QStringLiteral("Projects"), QJsonArray::fromStringList(projectIds));
    return attach(new UploadProjectsStatusHandle(), send("POST", request, toJson(body)));
}

QNetworkReply* WebCommunicator::sendXmlGet(const QString& path)
{
    const QNetworkRequest request = m_builder->initializeRequest(true, path)
                                        .usingMethod(GET)
                                        .withUserAgentHeader()
                                        .withAcceptHeader(QStringLiteral("application/xml"))
                                        .withAuthHeader();
    return send("GET", request);
}

QNetworkReply* WebCommunicator::getXml(const QString& path)
{
    QNetworkReply* reply = sendXmlGet(path);
    TransferWatchdog::watch(reply, m_timeouts.transfer);
    return reply;
}

QNetworkReply* WebCommunicator::downloadProjectData(const QString& projectId)
{
    return getXml(joinPath({Route::PROJECT, projectId, kPathZephira}));
}

QNetworkReply* WebCommunicator::downloadSurveyData(const QString& projectId)
{
    return getXml(joinPath({Route::PROJECT, projectId, kPathZephira, kPathSurveys}));
}

QNetworkReply* WebCommunicator::downloadManholeData(const QString& projectId)
{
    return getXml(joinPath({Route::PROJECT, projectId, kPathZephira, kPathManholes}));
}

SingleProjectFileDownloadRequestHandle* WebCommunicator::requestSingleFileLink(const QString& projectId, const QString& file)
{
    return attach(new SingleProjectFileDownloadRequestHandle(),
                  sendXmlGet(joinPath({Route::PROJECT, projectId, kPathZephira, kPathMedia, file, kPathDownload})));
}

SingleProjectFileDownloadRequestHandle* WebCommunicator::requestAllMediaLinks(const QString& projectId)
{
    return attach(new SingleProjectFileDownloadRequestHandle(true),
                  sendXmlGet(joinPath({Route::PROJECT, projectId, kPathZephira, kPathMedia, kPathDownload})));
}

QNetworkReply* WebCommunicator::getUrl(const QString& url)
{
    QNetworkReply* reply = send("GET", QNetworkRequest(QUrl(url)));
    TransferWatchdog::watch(reply, m_timeouts.transfer);
    return reply;
}

// ---- upload calls ----

BeginUploadProjectRequestHandle* WebCommunicator::beginProjectUpload(const QString& projectId, const QString& projectName,
                                                                     const QDateTime& creationDate)
{
    QDateTime sentDate = creationDate;
    sentDate.setTimeSpec(Qt::UTC);
    const QString sentDateText = sentDate.toString(Qt::ISODate);
    logInfo(QStringLiteral("Begin project upload (endpoint: %1)").arg(Route::PROJECT_UPLOAD_INIT));
    logInfo(QStringLiteral("Project creation date: %1").arg(creationDate.toString()));
    logInfo(QStringLiteral("Project sent date: %1").arg(sentDateText));
    const QNetworkRequest request =
        m_builder->initializeWebRequest(Route::PROJECT_UPLOAD_INIT).usingMethod(POST).withAuthHeader();
    const QByteArray body =
        buildBeginUploadBody(m_loginData.companyId(), sentDateText, m_loginData.userName(), projectId, projectName);
    return attach(new BeginUploadProjectRequestHandle(), send("POST", request, body));
}

BucketGetRequestHandle* WebCommunicator::bucketGet(const QString& bucketName)
{
    const QNetworkRequest request =
        m_builder->initializeServiceRequest(Route::BUCKET + QLatin1Char('/') + bucketName.toLower()).usingMethod(GET).withAuthHeader();
    return attach(new BucketGetRequestHandle(), send("GET", request));
}

BucketCreateRequestHandle* WebCommunicator::bucketCreate(const QString& bucketName)
{
    const QNetworkRequest request =
        m_builder->initializeServiceRequest(Route::BUCKET + QLatin1Char('/') + bucketName.toLower()).usingMethod(PUT).withAuthHeader();
    qDebug() << "Create bucket:" << request.url().toString();
    return attach(new BucketCreateRequestHandle(), send("PUT", request, buildBucketCreateBody(bucketName)));
}

BucketListFilesFromLocationsRequestHandle* WebCommunicator::listFilesFromLocations(const QString& bucketName,
                                                                                   const QString& delimiter,
                                                                                   const QStringList& prefixes)
{
    // Each attempt is dated and signed afresh with a new one-time message token.
    const QPointer<WebCommunicator> self(this);
    auto signedRequest = [self]() -> QNetworkRequest {
        if (!self)
            return QNetworkRequest();
        return asStored(self->m_builder->initializeServiceRequest(Route::BUCKET_FILES_FROM_LOCATIONS)
                            .usingMethod(POST)
                            .withAuthHeader());
    };
    const QNetworkRequest request = signedRequest();
    const QByteArray body = buildListFilesBody(bucketName, delimiter, prefixes);
    auto* handle = new BucketListFilesFromLocationsRequestHandle();
    handle->enableRetry(m_manager, body);
    handle->setRequestFactory(signedRequest);
    return attach(handle, send("POST", request, body));
}

PreSignedBatchUploadRequestHandle* WebCommunicator::createPreSignedBatchUpload(const QString& projectId,
                                                                               const QString& fileKey)
{
    const QString route = Route::PROJECT_UPLOAD_GET_PRESIGNED_URL.arg(projectId);
    logInfo(QStringLiteral("Create signed URL with endpoint: %1").arg(route));
    const QNetworkRequest request = m_builder->initializeWebRequest(route)
                                        .usingMethod(POST)
                                        .withContentTypeHeader(kJsonContentType)
                                        .withAcceptHeader(QString::fromLatin1(kJsonContentType))
                                        .withAuthHeader();
    QJsonObject body;
    body.insert(QStringLiteral("paths"), QJsonArray{fileKey});
    return attach(new PreSignedBatchUploadRequestHandle(), send("POST", request, toJson(body)));
}

AWSPutRequestHandle* WebCommunicator::uploadFromUrl(const QString& url, const QString& localFilePath,
                                                    const UploadFileDescriptor& file)
{
    // The address carries its signature in the query: only the part before it goes to the log.
    logInfo(QStringLiteral("Upload from URL: %1").arg(redactAddresses(url)));
    const QNetworkRequest request = m_builder->initializeRawRequest(url).usingMethod(PUT);
    if (!QFileInfo::exists(localFilePath)) {
        logError(QStringLiteral("File does NOT exist: %1").arg(localFilePath));
        emit errorOccurred(ErrorFileAccess);
        return nullptr;
    }
    auto* bodyFile = new QFile(localFilePath);
    if (!bodyFile->open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("Could not open file: %1").arg(localFilePath));
        delete bodyFile;
        emit errorOccurred(ErrorFileAccess);
        return nullptr;
    }
    auto* handle = new AWSPutRequestHandle(file);
    handle->setUploadBodyFile(bodyFile);
    handle->setTransferLimits(m_timeouts.transfer);
    connect(handle, &RequestHandle::errorOccurred, this, &WebCommunicator::errorOccurred);
    // Streamed from the file by the manager (proxies, interim and chunked answers and TLS
    // included); the handle owns the file and keeps it open until the reply is done, and sends
    // the file again when the connection breaks before an answer.
    handle->enableRetry(m_manager, QByteArray());
    handle->setReply(m_manager->put(asStored(withEveryUploadStep(request)), bodyFile));
    return handle;
}

UploadFileMultiPartRequestHandle* WebCommunicator::initMultipartUpload(const UploadFileDescriptor& file)
{
    auto* handle = new UploadFileMultiPartRequestHandle(file);
    if (!handle->isFileOpen()) {
        delete handle;
        emit errorOccurred(ErrorFileAccess);
        return nullptr;
    }
    // Queued, so that each step starts after the handle has finished handling the previous reply;
    // the guard drops steps of a handle that was deleted in between, and a step queued before a
    // cancel is not sent after it.
    QPointer<UploadFileMultiPartRequestHandle> guard(handle);
    auto goesOn = [guard] { return guard && guard->state() != UploadFileMultiPartRequestHandle::StateAborted; };
    connect(
        handle, &UploadFileMultiPartRequestHandle::obtainUploadUrls, this,
        [this, guard, goesOn](const QString& uploadId, int parts) {
            if (goesOn())
                obtainUrlsFor(guard, uploadId, parts);
        },
        Qt::QueuedConnection);
    connect(
        handle, &UploadFileMultiPartRequestHandle::uploadNextPart, this,
        [this, guard, goesOn](const QString& address, const QByteArray& data) {
            if (goesOn())
                nextPartFor(guard, address, data);
        },
        Qt::QueuedConnection);
    connect(
        handle, &UploadFileMultiPartRequestHandle::finishUpload, this,
        [this, guard, goesOn](const QString& uploadId, const QList<QString>& eTags) {
            if (goesOn())
                finishFor(guard, uploadId, eTags);
        },
        Qt::QueuedConnection);
    connect(
        handle, &UploadFileMultiPartRequestHandle::abortUpload, this,
        [this, guard](const QString& uploadId) {
            if (guard)
                abortFor(guard, uploadId);
        },
        Qt::QueuedConnection);

    const QNetworkRequest request = m_builder->initializeWebRequest(Route::MULTIPART_UPLOAD_INIT.arg(file.projectId()))
                                        .usingMethod(POST)
                                        .withContentTypeHeader(kJsonContentType)
                                        .withAcceptHeader(QString::fromLatin1(kJsonContentType))
                                        .withAuthHeader();
    QJsonObject body;
    body.insert(QStringLiteral("projectId"), file.projectId());
    body.insert(QStringLiteral("key"), file.fileKey());
    return attach(handle, send("POST", request, toJson(body)));
}

void WebCommunicator::obtainUrlsFor(UploadFileMultiPartRequestHandle* handle, const QString& uploadId, int parts)
{
    const UploadFileDescriptor file = handle->uploadFile();
    const QNetworkRequest request =
        m_builder->initializeWebRequest(Route::MULTIPART_UPLOAD_GET_PRESIGNED_URLS.arg(file.projectId()))
            .usingMethod(GET)
            .withParam(QStringLiteral("projectId"), file.projectId())
            .withParam(QStringLiteral("path"), file.fileKey())
            .withParam(QStringLiteral("uploadId"), uploadId)
            .withParam(QStringLiteral("parts"), QString::number(parts))
            .withAuthHeader();
    handle->disableRetry();
    handle->setReply(send("GET", request));
}

void WebCommunicator::nextPartFor(UploadFileMultiPartRequestHandle* handle, const QString& address, const QByteArray& data)
{
    const QNetworkRequest request = withEveryUploadStep(m_builder->initializeRawRequest(address).usingMethod(PUT));
    handle->enableRetry(m_manager, data);
    handle->setReply(send("PUT", request, data));
}

void WebCommunicator::finishFor(UploadFileMultiPartRequestHandle* handle, const QString& uploadId, const QList<QString>& eTags)
{
    logInfo(QStringLiteral("Complete upload..."));
    const UploadFileDescriptor file = handle->uploadFile();
    const QNetworkRequest request = m_builder->initializeWebRequest(Route::MULTIPART_UPLOAD_COMPLETE.arg(file.projectId()))
                                        .usingMethod(POST)
                                        .withContentTypeHeader(kJsonContentType)
                                        .withAuthHeader();
    QJsonArray parts;
    for (int i = 0; i < eTags.size(); ++i) {
        QJsonObject part;
        part.insert(QStringLiteral("partNumber"), i + 1);
        part.insert(QStringLiteral("eTag"), eTags.at(i));
        parts.append(part);
    }
    QJsonObject body;
    body.insert(QStringLiteral("eTags"), parts);
    body.insert(QStringLiteral("projectId"), file.projectId());
    body.insert(QStringLiteral("uploadId"), uploadId);
    body.insert(QStringLiteral("key"), file.fileKey());
    handle->disableRetry();
    handle->setReply(send("POST", request, toJson(body)));
}

void WebCommunicator::abortFor(UploadFileMultiPartRequestHandle* handle, const QString& uploadId)
{
    const UploadFileDescriptor file = handle->uploadFile();
    logInfo(QStringLiteral("Aborting multipart upload for file: %1").arg(file.fileKey()));
    const QNetworkRequest request = m_builder->initializeWebRequest(Route::MULTIPART_UPLOAD_ABORT.arg(file.projectId()))
                                        .withParam(QStringLiteral("ProjectId"), file.projectId())
                                        .withParam(QStringLiteral("UploadId"), uploadId)
                                        .withParam(QStringLiteral("Path"), file.fileKey())
                                        .withAuthHeader();
    handle->disableRetry();
    handle->setReply(send("DELETE", request));
}

void WebCommunicator::multipartUploadObtainUrls(QString uploadId, int parts)
{
    if (UploadFileMultiPartRequestHandle* handle = multipartSender())
        obtainUrlsFor(handle, uploadId, parts);
}

void WebCommunicator::multipartUploadNextPart(QString uploadId, QByteArray data)
{
    if (UploadFileMultiPartRequestHandle* handle = multipartSender())
        nextPartFor(handle, uploadId, data);
}

void WebCommunicator::multipartUploadFinish(QString uploadId, QList<QString> eTags)
{
    if (UploadFileMultiPartRequestHandle* handle = multipartSender())
        finishFor(handle, uploadId, eTags);
}

void WebCommunicator::multipartUploadAbort(QString multipartUploadId)
{
    if (UploadFileMultiPartRequestHandle* handle = multipartSender())
        abortFor(handle, multipartUploadId);
}

UploadFileMultiPartRequestHandle* WebCommunicator::multipartSender() const
{
    return qobject_cast<UploadFileMultiPartRequestHandle*>(sender());
}

void WebCommunicator::putJobForEachPreset(const UploadFileDescriptor& file)
{
    const QNetworkRequest request =
        m_builder->initializeServiceRequest(Route::START_TRANSCODING).usingMethod(PUT).withAuthHeader();
    QNetworkReply* reply = send("PUT", request, buildTranscodingJobBody(file));
    TransferWatchdog::watch(reply, m_timeouts.transfer);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

Error WebCommunicator::finishProjectUpload(const QString& projectId, ImportType importType)
{
    logInfo(QStringLiteral("Finish project upload (endpoint: %1)").arg(Route::PROJECT_UPLOAD_UPLOADED));
    const QNetworkRequest request =
        m_builder->initializeWebRequest(Route::PROJECT_UPLOAD_UPLOADED).usingMethod(POST).withAuthHeader();
    RequestHandle* handle = attach(new RequestHandle(), send("POST", request, buildFinishUploadBody(projectId, importType)));
    int networkError = 0;
    RequestHandle::waitForReply(handle, m_timeouts.finishUploadMs, &networkError);
    handle->deleteLater();
    return Response::mapNetworkError(static_cast<QNetworkReply::NetworkError>(networkError));
}

void WebCommunicator::cancelProjectUpload(const QString& projectId)
{
    logInfo(QStringLiteral("Aborting project upload..."));
    const QNetworkRequest request =
        m_builder->initializeWebRequest(Route::PROJECT_UPLOAD_CANCEL).usingMethod(POST).withAuthHeader();
    RequestHandle* handle = attach(new RequestHandle(), send("POST", request, buildCancelUploadBody(projectId)));
    RequestHandle::waitForReply(handle, m_timeouts.cancelUploadMs, nullptr);
    handle->deleteLater();
}

// ---- login state ----

void WebCommunicator::setLoginData(const LoginResponse& reply)
{
    m_loginData = reply;
    m_loggedIn = true;
    m_builder->setBearerToken(reply.accessToken());
    m_loginExpiryTimer.stop();
    // Fire the margin before the token runs out; a token that expires sooner expires at once.
    qint64 interval = QDateTime::currentDateTime().addSecs(kExpiryMarginSeconds).msecsTo(reply.expirationDate());
    interval = qBound<qint64>(0, interval, std::numeric_limits<int>::max());
    m_loginExpiryIntervalMs = interval;
    m_loginExpiryTimer.start(int(interval), this);
}

void WebCommunicator::clearLoginData()
{
    m_loggedIn = false;
    m_loginData = LoginResponse();
    m_builder->clearLoginData();
    m_loginExpiryTimer.stop();
    m_loginExpiryIntervalMs = -1;
}

bool WebCommunicator::isLoggedIn() const
{
    if (!m_loggedIn)
        return false;
    const QDateTime now = QDateTime::currentDateTime().addSecs(kExpiryMarginSeconds);
    const QDateTime expiry = m_loginData.expirationDate();
    return now < expiry;
}

void WebCommunicator::synchronizeServerTime()
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const StatusResponse status = queryServerStatus();
    m_serverTimeOffset = status.isRequestSuccessful() && status.currentDate().isValid() ? before.secsTo(status.currentDate()) : 0;
    m_builder->setServerTimeOffset(m_serverTimeOffset);
}

void WebCommunicator::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_loginExpiryTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_loginExpiryTimer.stop();
    m_loginExpiryIntervalMs = -1;
    emit loginExpired();
}

} // namespace Web
} // namespace Tovrin
