#include "RemoteMediaTypes.h"

#include "CRemoteFileInfo.h"

namespace Ulx {

void RemoteMediaTypes::registerMetaTypes()
{
    qRegisterMetaType<Ulx::RemoteMediaTypes::CaptureState>("Ulx::RemoteMediaTypes::CaptureState");
    qRegisterMetaType<Ulx::RemoteMediaTypes::CaptureError>("Ulx::RemoteMediaTypes::CaptureError");
    qRegisterMetaType<Ulx::RemoteMediaTypes::CaptureMode>("Ulx::RemoteMediaTypes::CaptureMode");
    qRegisterMetaType<Ulx::RemoteMediaTypes::MediaStorageState>("Ulx::RemoteMediaTypes::MediaStorageState");
    qRegisterMetaType<Ulx::RemoteMediaTypes::FileListState>("Ulx::RemoteMediaTypes::FileListState");
    qRegisterMetaType<Ulx::RemoteMediaTypes::FileType>("Ulx::RemoteMediaTypes::FileType");
    qRegisterMetaType<Ulx::Multimedia::CRemoteFileInfo>("Ulx::Multimedia::CRemoteFileInfo");
    qRegisterMetaType<QVector<Ulx::Multimedia::CRemoteFileInfo>>("QVector<Ulx::Multimedia::CRemoteFileInfo>");
}

} // namespace Ulx
