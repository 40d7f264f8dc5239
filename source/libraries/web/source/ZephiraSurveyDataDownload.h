#pragma once

#include "DynDataDownload.h"

namespace Tovrin {
namespace Web {

// Downloads the survey data of a web project into a file; the source is the project id.
class ZephiraSurveyDataDownload : public DynDataDownload
{
    Q_OBJECT

public:
    using DynDataDownload::DynDataDownload;

protected:
    QNetworkReply* requestData(const QString& source) override;
};

} // namespace Web
} // namespace Tovrin
