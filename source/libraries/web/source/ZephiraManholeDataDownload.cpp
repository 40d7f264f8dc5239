#include "ZephiraManholeDataDownload.h"

#include "WebCommunicator.h"

namespace Tovrin {
namespace Web {

QNetworkReply* ZephiraManholeDataDownload::requestData(const QString& source)
{
    return m_communicator->downloadManholeData(source);
}

} // namespace Web
} // namespace Tovrin
