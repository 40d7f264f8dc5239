#include "ZephiraProjectSingleFileDownload.h"

#include "WebCommunicator.h"

namespace Tovrin {
namespace Web {

ZephiraProjectSingleFileDownload::ZephiraProjectSingleFileDownload(const QString& url, WebCommunicator* communicator,
                                                                   uint downloadId, QObject* parent)
    : DynDataDownload(communicator, downloadId, parent)
    , m_url(url)
{
}

QNetworkReply* ZephiraProjectSingleFileDownload::requestData(const QString& source)
{
    Q_UNUSED(source)
    return m_communicator->getUrl(m_url);
}

} // namespace Web
} // namespace Tovrin
