#include "multimedia/EncoderBoardUrls.h"

namespace Ulx {
namespace Multimedia {

QUrl encoderBoardUrl(Ulx::Flavors::SystemHost board, const QString& urlTemplate)
{
    const Ulx::Flavors::SystemEndpoint endpoint = Ulx::Flavors::systemEndpoint(board);
    QUrl url(urlTemplate.arg(endpoint.address));
    if (endpoint.httpPort != 0)
        url.setPort(endpoint.httpPort);
    return url;
}

} // namespace Multimedia
} // namespace Ulx
