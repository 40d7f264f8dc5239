#include "AbstractDownload.h"

namespace Tovrin {
namespace Web {

AbstractDownload::AbstractDownload(WebCommunicator* communicator, uint downloadId, QObject* parent)
    : QObject(parent)
    , m_communicator(communicator)
    , m_downloadId(downloadId)
{
}

} // namespace Web
} // namespace Tovrin
