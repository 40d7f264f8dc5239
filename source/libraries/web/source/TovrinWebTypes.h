#pragma once

#include "ProjectInfo.h"
#include "UploadFileDescriptor.h"

#include <QMetaType>
#include <QSet>
#include <QString>

namespace Tovrin {
namespace Web {

// The library-wide error value: every error signal of the web client carries one.
enum Error : qint32
{
    ErrorNone = 0,
    ErrorTimeOut = 1,
    ErrorInternalServer = 2,
    ErrorFalseCredentials = 3,
    ErrorCancelled = 4,
    ErrorInvalidReply = 5,
    ErrorFileAccess = 6,
    ErrorInvalidProjectData = 7,
    ErrorCreatePath = 8,
    ErrorFileWrite = 10,
    ErrorInvalidParameter = 11,
    ErrorEmptyMediaDownloadLink = 13,
    ErrorNetwork = 14,
    // A download's file did not fit: the tablet's drive is full.
    ErrorDiskFull = 15
};

// Which kind of project an upload carries; it selects the import element of the upload messages.
enum ImportType : qint32
{
    ImportTypeProject = 0,
    ImportTypeKQProject = 1,
    ImportTypeZephiraProject = 2
};

// Media file names that belong to the manholes of an uploaded project.
using MediaNamesList = QSet<QString>;

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::Error)
Q_DECLARE_METATYPE(Tovrin::Web::ImportType)
