#pragma once

#include "DynDataDownload.h"

namespace Tovrin {
namespace Web {

// Downloads one file from a self-contained address (a media link of a web project).
class ZephiraProjectSingleFileDownload : public DynDataDownload
{
    Q_OBJECT

public:
    ZephiraProjectSingleFileDownload(const QString& url, WebCommunicator* communicator, uint downloadId,
                                     QObject* parent = nullptr);

    QString url() const { return m_url; }

protected:
    QNetworkReply* requestData(const QString& source) override;

private:
    QString m_url;
};

} // namespace Web
} // namespace Tovrin
