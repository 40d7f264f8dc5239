#include "ZephiraSurveyDataDownload.h"

#include "WebCommunicator.h"

namespace Tovrin {
namespace Web {

QNetworkReply* ZephiraSurveyDataDownload::requestData(const QString& source)
{
    return m_communicator->downloadSurveyData(source);
}

} // namespace Web
} // namespace Tovrin
