#include "TovrinWebLibrary.h"

#include "SingleMediaFileLinkData.h"
#include "TovrinWebApi.h"
#include "TovrinWebTypes.h"
#include "UploadStatusInfo.h"

#include <QMap>
#include <QMetaType>

namespace Tovrin {
namespace Web {

void TovrinWebLibrary::initialize()
{
    qRegisterMetaType<Tovrin::Web::Error>("Tovrin::Web::Error");
    qRegisterMetaType<SingleMediaFileLinkData>("SingleMediaFileLinkData");
    qRegisterMetaType<SingleMediaFileLinkData>("Tovrin::Web::SingleMediaFileLinkData");
    qRegisterMetaType<TovrinWebApi::LoginResult>("TovrinWebApi::LoginResult");
    qRegisterMetaType<TovrinWebApi::LoginResult>("Tovrin::Web::TovrinWebApi::LoginResult");
    qRegisterMetaType<TovrinWebApi::LoginStatus>("TovrinWebApi::LoginStatus");
    qRegisterMetaType<TovrinWebApi::LoginStatus>("Tovrin::Web::TovrinWebApi::LoginStatus");
    qRegisterMetaType<QList<ProjectInfo>>("QList<ProjectInfo>");
    qRegisterMetaType<ProjectInfo>("Tovrin::Web::ProjectInfo");
    qRegisterMetaType<QList<SingleMediaFileLinkData>>("QList<SingleMediaFileLinkData>");
    qRegisterMetaType<QList<UploadStatusInfo>>("QList<UploadStatusInfo>");
    qRegisterMetaType<UploadStatusInfo>("Tovrin::Web::UploadStatusInfo");
    qRegisterMetaType<ImportType>("ImportType");
    qRegisterMetaType<ImportType>("Tovrin::Web::ImportType");
    qRegisterMetaType<TovrinWebApi::UploadError>("TovrinWebApi::UploadError");
    qRegisterMetaType<TovrinWebApi::UploadError>("Tovrin::Web::TovrinWebApi::UploadError");
    qRegisterMetaType<TovrinWebApi::DownloadError>("TovrinWebApi::DownloadError");
    qRegisterMetaType<TovrinWebApi::DownloadError>("Tovrin::Web::TovrinWebApi::DownloadError");
    qRegisterMetaType<TovrinWebApi::UserRole>("Tovrin::Web::TovrinWebApi::UserRole");
    qRegisterMetaType<QMap<QString, QString>>("QMap<QString,QString>");
}

void TovrinWebLibrary::finalize()
{
    // Meta-type registrations last for the process; nothing to release.
}

} // namespace Web
} // namespace Tovrin
