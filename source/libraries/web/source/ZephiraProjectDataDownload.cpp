#include "ZephiraProjectDataDownload.h"

#include "WebCommunicator.h"

namespace Tovrin {
namespace Web {

QNetworkReply* ZephiraProjectDataDownload::requestData(const QString& source)
{
    return m_communicator->downloadProjectData(source);
}

} // namespace Web
} // namespace Tovrin
