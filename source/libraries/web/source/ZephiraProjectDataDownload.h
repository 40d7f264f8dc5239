#pragma once

#include "DynDataDownload.h"

namespace Tovrin {
namespace Web {

// Downloads the project data of a web project into a file; the source is the project id.
class ZephiraProjectDataDownload : public DynDataDownload
{
    Q_OBJECT

public:
    using DynDataDownload::DynDataDownload;

protected:
    QNetworkReply* requestData(const QString& source) override;
};

} // namespace Web
} // namespace Tovrin
