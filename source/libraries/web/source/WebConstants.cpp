#include "WebConstants.h"

namespace Tovrin {
namespace Web {
namespace Constants {

namespace Route {
const QString LOGIN = QStringLiteral("login/api/users/login");
const QString TOKEN = QStringLiteral("login/api/users/token");
const QString USER_2STEP_AUTH = QStringLiteral("api/Users/CheckTwoStepAuthentication");
const QString STATUS = QStringLiteral("api/Status/Get");
const QString PROJECT_COMPANY_TOVRIN_SERVICE = QStringLiteral("api/Projects/companytovrinservice");
const QString ACCOUNT_RESET_PASSWORD = QStringLiteral("api/Account/ResetPassword");
const QString PROJECT = QStringLiteral("api/Projects");
const QString FILES_FROM_LOCATION = QStringLiteral("/api/Storage/Project/%1/Files/%2");
const QString UPLOAD_STATUS = QStringLiteral("api/UploadProject/Statuses");
const QString PROJECT_UPLOAD_INIT = QStringLiteral("api/UploadProject/Init");
const QString PROJECT_UPLOAD_GET_PRESIGNED_URL = QStringLiteral("/api/Storage/Project/%1/PreSignedBatchUpload");
const QString MULTIPART_UPLOAD_INIT = QStringLiteral("/api/Storage/Project/%1/MultipartInit");
const QString MULTIPART_UPLOAD_GET_PRESIGNED_URLS = QStringLiteral("/api/Storage/Project/%1/MultipartUploadAllPartsPreSignedUrls");
const QString MULTIPART_UPLOAD_COMPLETE = QStringLiteral("/api/Storage/Project/%1/MultipartComplete");
const QString MULTIPART_UPLOAD_ABORT = QStringLiteral("/api/Storage/Project/%1/MultipartAbort");
const QString PROJECT_UPLOAD_UPLOADED = QStringLiteral("api/UploadProject/Uploaded");
const QString PROJECT_UPLOAD_CANCEL = QStringLiteral("api/UploadProject/Cancel");
const QString BUCKET = QStringLiteral("api/bucket");
const QString BUCKET_DELETE = QStringLiteral("api/bucket/delete");
const QString BUCKET_SPACE = QStringLiteral("api/bucket/space");
const QString BUCKET_EXISTS = QStringLiteral("api/bucket/exists");
const QString BUCKET_CLEANUP = QStringLiteral("api/bucket/cleanup");
const QString BUCKET_FILES_FROM_LOCATIONS = QStringLiteral("api/bucket/listoffilesfromlocations");
const QString START_TRANSCODING = QStringLiteral("api/job/putforeachpresets");
const QString FILE_DOWNLOAD_INIT = QStringLiteral("api/DownloadFile/Init");
const QString MULTIPART_UPLOAD_UPLOAD = QStringLiteral("api/multipartupload/upload");
} // namespace Route

namespace Xml {
const QByteArray NAMESPACE_ACCOUNT_API = QByteArrayLiteral("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://schemas.datacontract.org/2004/07/MERIX.Tovrin.Web.Client.Controllers.Api\"");
const QByteArray NAMESPACE_SERVICE = QByteArrayLiteral("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://schemas.datacontract.org/2004/07/MERIX.Tovrin.Service.SDK.Models.Request\"");
const QByteArray NAMESPACE_WEB = QByteArrayLiteral("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://schemas.datacontract.org/2004/07/MERIX.Tovrin.Web.Business.Models\"");
const QByteArray PREFIX_API = QByteArrayLiteral("xmlns:d2p1=\"http://schemas.microsoft.com/2003/10/Serialization/Arrays\"");
const QByteArray RESET_PASSWORD = QByteArrayLiteral("AccountApiController.ResetPasswordBindingModel");
const QByteArray INIT_UPLOAD_REQUEST = QByteArrayLiteral("InitUploadProcesModel");
const QByteArray FINISH_UPLOAD_REQUEST = QByteArrayLiteral("UploadProcesMessageModel");
const QByteArray CANCEL_UPLOAD_REQUEST = QByteArrayLiteral("UploadProcesMessageModel");
const QByteArray BUCKET_REQUEST = QByteArrayLiteral("BucketRequest");
const QByteArray OBJECT_DELETE_REQUEST = QByteArrayLiteral("DeleteObjectRequest");
const QByteArray USED_SPACE_REQUEST = QByteArrayLiteral("GetUsedSpaceRequest");
const QByteArray OBJECT_EXISTS_REQUEST = QByteArrayLiteral("ObjectExistsRequest");
const QByteArray CLEANUP_VERSION_FILES_REQUEST = QByteArrayLiteral("CleanupVersionFilesRequest");
const QByteArray LIST_FILES_REQUEST = QByteArrayLiteral("FileListFromLocationsRequest");
const QByteArray PUT_TRANSCODING_JOB = QByteArrayLiteral("PutJobForEachPresetRequest");
const QByteArray UPLOAD_FILE_REQUEST = QByteArrayLiteral("PutFileRequest");
const QByteArray UPLOAD_MULIT_INIT_REQUEST = QByteArrayLiteral("InitMultipartUploadRequest");
const QByteArray UPLOAD_MULIT_PART_REQUEST = QByteArrayLiteral("PutMultipartUploadRequest");
const QByteArray UPLOAD_MULIT_ABORT_REQUEST = QByteArrayLiteral("AbortMultipartUploadRequest");
const QByteArray UPLOAD_MULIT_COMPLETE_REQUEST = QByteArrayLiteral("CompleteMultipartUploadRequest");
const QByteArray USER_NAME = QByteArrayLiteral("UserName");
const QByteArray COMPANY_ID = QByteArrayLiteral("CompanyId");
const QByteArray CREATION_DATE = QByteArrayLiteral("CreationDate");
const QByteArray EMAIL = QByteArrayLiteral("Email");
const QByteArray HAS_PERMISSIONS_TO_OVERRIDE_ALL_PROJECTS = QByteArrayLiteral("HasPermissionsToOverrideAllProject");
const QByteArray KQ_IMPORT_FLAG = QByteArrayLiteral("TarnwickImport");
const QByteArray IMPORT_TYPE_FLAG = QByteArrayLiteral("ImportType");
const QByteArray IMPORT_TYPE_ZEPHIRA = QByteArrayLiteral("Zephira");
const QByteArray PROJECT_ID = QByteArrayLiteral("ProjectId");
const QByteArray PROJECT_NAME = QByteArrayLiteral("ProjectName");
const QByteArray BUCKET_NAME = QByteArrayLiteral("BucketName");
const QByteArray RELATIVE_PATH = QByteArrayLiteral("RelativePath");
const QByteArray KEEP_NEWEST_VERSION = QByteArrayLiteral("KeepNewestVersion");
const QByteArray DELIMITER = QByteArrayLiteral("Delimiter");
const QByteArray PREFIXES = QByteArrayLiteral("Prefixes");
const QByteArray STRING_D2P1 = QByteArrayLiteral("d2p1:string");
const QByteArray PUT_TRANSCODING_FILEKEY = QByteArrayLiteral("FileKey");
const QByteArray PUT_TRANSCODING_OUTPUTKEY = QByteArrayLiteral("OutputKeyWithoutExtension");
const QByteArray PART_NUMBER = QByteArrayLiteral("PartNumber");
const QByteArray INPUT_FILE_ARRAY = QByteArrayLiteral("InputFileArray");
const QByteArray INPUT_FILE_PART_ARRAY = QByteArrayLiteral("InputFilePartArray");
const QByteArray MULTIPART_UPLOAD_ID = QByteArrayLiteral("MultipartUploadId");
const QByteArray PROJECT_FOLDER_NAME = QByteArrayLiteral("ProjectFolderName");
const QByteArray OUTPUT_FILE_PATH = QByteArrayLiteral("OutputFilePath");
} // namespace Xml

namespace LegacyXml {
const QByteArray BUCKET_REQUEST_0 = QByteArrayLiteral("<BucketRequest ");
const QByteArray BUCKET_REQUEST_C = QByteArrayLiteral("</BucketRequest>");
const QByteArray OBJECT_DELETE_REQUEST_0 = QByteArrayLiteral("<DeleteObjectRequest ");
const QByteArray OBJECT_DELETE_REQUEST_C = QByteArrayLiteral("</DeleteObjectRequest>");
const QByteArray USED_SPACE_REQUEST_0 = QByteArrayLiteral("<GetUsedSpaceRequest ");
const QByteArray USED_SPACE_REQUEST_C = QByteArrayLiteral("</GetUsedSpaceRequest>");
const QByteArray OBJECT_EXISTS_REQUEST_0 = QByteArrayLiteral("<ObjectExistsRequest ");
const QByteArray OBJECT_EXISTS_REQUEST_C = QByteArrayLiteral("</ObjectExistsRequest>");
const QByteArray CLEANUP_VERSION_FILES_REQUEST_0 = QByteArrayLiteral("<CleanupVersionFilesRequest ");
const QByteArray CLEANUP_VERSION_FILES_REQUEST_C = QByteArrayLiteral("</CleanupVersionFilesRequest>");
const QByteArray LIST_FILES_REQUEST_0 = QByteArrayLiteral("<FileListFromLocationsRequest ");
const QByteArray LIST_FILES_REQUEST_C = QByteArrayLiteral("</FileListFromLocationsRequest>");
const QByteArray UPLOAD_FILE_REQUEST_0 = QByteArrayLiteral("<PutFileRequest ");
const QByteArray UPLOAD_FILE_REQUEST_C = QByteArrayLiteral("</PutFileRequest>");
const QByteArray UPLOAD_MULIT_INIT_REQUEST_0 = QByteArrayLiteral("<InitMultipartUploadRequest ");
const QByteArray UPLOAD_MULIT_INIT_REQUEST_C = QByteArrayLiteral("</InitMultipartUploadRequest>");
const QByteArray UPLOAD_MULIT_PART_REQUEST_0 = QByteArrayLiteral("<PutMultipartUploadRequest ");
const QByteArray UPLOAD_MULIT_PART_REQUEST_C = QByteArrayLiteral("</PutMultipartUploadRequest>");
const QByteArray UPLOAD_MULIT_ABORT_REQUEST_0 = QByteArrayLiteral("<AbortMultipartUploadRequest ");
const QByteArray UPLOAD_MULIT_ABORT_REQUEST_C = QByteArrayLiteral("</AbortMultipartUploadRequest>");
const QByteArray UPLOAD_MULIT_COMPLETE_REQUEST_0 = QByteArrayLiteral("<CompleteMultipartUploadRequest ");
const QByteArray UPLOAD_MULIT_COMPLETE_REQUEST_C = QByteArrayLiteral("</CompleteMultipartUploadRequest>");
const QByteArray INIT_UPLOAD_REQUEST_0 = QByteArrayLiteral("<InitUploadProcesModel ");
const QByteArray INIT_UPLOAD_REQUEST_C = QByteArrayLiteral("</InitUploadProcesModel>");
const QByteArray FINISH_UPLOAD_REQUEST_0 = QByteArrayLiteral("<UploadProcesMessageModel ");
const QByteArray FINISH_UPLOAD_REQUEST_C = QByteArrayLiteral("</UploadProcesMessageModel>");
const QByteArray CANCEL_UPLOAD_REQUEST_0 = QByteArrayLiteral("<UploadProcesMessageModel ");
const QByteArray CANCEL_UPLOAD_REQUEST_C = QByteArrayLiteral("</UploadProcesMessageModel>");
const QByteArray RESET_PASSWORD_REQUEST_O = QByteArrayLiteral("<AccountApiController.ResetPasswordBindingModel ");
const QByteArray RESET_PASSWORD_REQUEST_C = QByteArrayLiteral("</AccountApiController.ResetPasswordBindingModel>");
const QByteArray PUT_TRANSCODING_JOB_O = QByteArrayLiteral("<PutJobForEachPresetRequest ");
const QByteArray PUT_TRANSCODING_JOB_C = QByteArrayLiteral("</PutJobForEachPresetRequest>");
const QByteArray COMPANY_ID_O = QByteArrayLiteral("<CompanyId>");
const QByteArray COMPANY_ID_C = QByteArrayLiteral("</CompanyId>");
const QByteArray CREATION_DATE_O = QByteArrayLiteral("<CreationDate>");
const QByteArray CREATION_DATE_C = QByteArrayLiteral("</CreationDate>");
const QByteArray DB_NAME_O = QByteArrayLiteral("<DBName>");
const QByteArray DB_NAME_C = QByteArrayLiteral("</DBName>");
const QByteArray PROJECT_DB_NEW_O = QByteArrayLiteral("<ProjectNewDatabase>");
const QByteArray PROJECT_DB_NEW_C = QByteArrayLiteral("</ProjectNewDatabase>");
const QByteArray EMAIL_O = QByteArrayLiteral("<Email>");
const QByteArray EMAIL_C = QByteArrayLiteral("</Email>");
const QByteArray USER_ID_O = QByteArrayLiteral("<UserId>");
const QByteArray USER_ID_C = QByteArrayLiteral("</UserId>");
const QByteArray HAS_PERMISSIONS_TO_OVERRIDE_ALL_PROJECTS_O = QByteArrayLiteral("<HasPermissionsToOverrideAllProject>");
const QByteArray HAS_PERMISSIONS_TO_OVERRIDE_ALL_PROJECTS_C = QByteArrayLiteral("</HasPermissionsToOverrideAllProject>");
const QByteArray PROJECT_ID_O = QByteArrayLiteral("<ProjectId>");
const QByteArray PROJECT_ID_C = QByteArrayLiteral("</ProjectId>");
const QByteArray PROJECT_NAME_O = QByteArrayLiteral("<ProjectName>");
const QByteArray PROJECT_NAME_C = QByteArrayLiteral("</ProjectName>");
const QByteArray USER_NAME_O = QByteArrayLiteral("<UserName>");
const QByteArray USER_NAME_C = QByteArrayLiteral("</UserName>");
const QByteArray KQ_IMPORT_FLAG_O = QByteArrayLiteral("<TarnwickImport>");
const QByteArray KQ_IMPORT_FLAG_C = QByteArrayLiteral("</TarnwickImport>");
const QByteArray IMPORT_TYPE_FLAG_O = QByteArrayLiteral("<ImportType>");
const QByteArray IMPORT_TYPE_FLAG_C = QByteArrayLiteral("</ImportType>");
const QByteArray PUT_TRANSCODING_FILEKEY_O = QByteArrayLiteral("<FileKey>");
const QByteArray PUT_TRANSCODING_FILEKEY_C = QByteArrayLiteral("</FileKey>");
const QByteArray PUT_TRANSCODING_OUTPUTKEY_O = QByteArrayLiteral("<OutputKeyWithoutExtension>");
const QByteArray PUT_TRANSCODING_OUTPUTKEY_C = QByteArrayLiteral("</OutputKeyWithoutExtension>");
const QByteArray BUCKET_NAME_O = QByteArrayLiteral("<BucketName>");
const QByteArray BUCKET_NAME_C = QByteArrayLiteral("</BucketName>");
const QByteArray RELATIVE_PATH_O = QByteArrayLiteral("<RelativePath>");
const QByteArray RELATIVE_PATH_C = QByteArrayLiteral("</RelativePath>");
const QByteArray KEEP_NEWEST_VERSION_O = QByteArrayLiteral("<KeepNewestVersion>");
const QByteArray KEEP_NEWEST_VERSION_C = QByteArrayLiteral("</KeepNewestVersion>");
const QByteArray PART_NUMBER_O = QByteArrayLiteral("<PartNumber>");
const QByteArray PART_NUMBER_C = QByteArrayLiteral("</PartNumber>");
const QByteArray INPUT_FILE_ARRAY_O = QByteArrayLiteral("<InputFileArray>");
const QByteArray INPUT_FILE_ARRAY_C = QByteArrayLiteral("</InputFileArray>");
const QByteArray INPUT_FILE_PART_ARRAY_O = QByteArrayLiteral("<InputFilePartArray>");
const QByteArray INPUT_FILE_PART_ARRAY_C = QByteArrayLiteral("</InputFilePartArray>");
const QByteArray MULTIPART_UPLOAD_ID_O = QByteArrayLiteral("<MultipartUploadId>");
const QByteArray MULTIPART_UPLOAD_ID_C = QByteArrayLiteral("</MultipartUploadId>");
const QByteArray PROJECT_FOLDER_NAME_O = QByteArrayLiteral("<ProjectFolderName>");
const QByteArray PROJECT_FOLDER_NAME_C = QByteArrayLiteral("</ProjectFolderName>");
const QByteArray OUTPUT_FILE_PATH_O = QByteArrayLiteral("<OutputFilePath>");
const QByteArray OUTPUT_FILE_PATH_C = QByteArrayLiteral("</OutputFilePath>");
const QByteArray DELIMITER_O = QByteArrayLiteral("<Delimiter>");
const QByteArray DELIMITER_C = QByteArrayLiteral("</Delimiter>");
const QByteArray PREFIXES_O = QByteArrayLiteral("<Prefixes xmlns:d2p1=\"http://schemas.microsoft.com/2003/10/Serialization/Arrays\">");
const QByteArray PREFIXES_C = QByteArrayLiteral("</Prefixes>");
const QByteArray STRING_D2P1_O = QByteArrayLiteral("<d2p1:string>");
const QByteArray STRING_D2P1_C = QByteArrayLiteral("</d2p1:string>");
const QByteArray REQUEST_O_END = QByteArrayLiteral(">");
const QByteArray NAMESPACE_SERVICE = QByteArrayLiteral("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://schemas.datacontract.org/2004/07/MERIX.Tovrin.Service.SDK.Models.Request\"");
const QByteArray NAMESPACE_WEB = QByteArrayLiteral("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://schemas.datacontract.org/2004/07/MERIX.Tovrin.Web.Business.Models\"");
const QByteArray NAMESPACE_ACCOUNT_API = QByteArrayLiteral("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://schemas.datacontract.org/2004/07/MERIX.Tovrin.Web.Client.Controllers.Api\"");
const QByteArray IMPORT_TYPE_ZEPHIRA = QByteArrayLiteral("Zephira");
} // namespace LegacyXml

} // namespace Constants
} // namespace Web
} // namespace Tovrin
