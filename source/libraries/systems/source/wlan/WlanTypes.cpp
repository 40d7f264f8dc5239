#include "wlan/WlanTypes.h"

namespace Ulx {
namespace Wlan {

QString errorText(ErrorCode code)
{
    switch (code) {
    case ErrorSuccess:
        return QStringLiteral("The operation completed successfully.");
    case ErrorAccessDenied:
        return QStringLiteral("Access is denied.");
    case ErrorInvalidHandle:
        return QStringLiteral("The handle is invalid.");
    case ErrorNotSupported:
        return QStringLiteral("The request is not supported.");
    case ErrorInvalidParameter:
        return QStringLiteral("The parameter is incorrect.");
    case ErrorServiceNotActive:
        return QStringLiteral("The service has not been started.");
    case ErrorNotFound:
        return QStringLiteral("Element not found.");
    case ErrorInvalidState:
        return QStringLiteral("The group or resource is not in the correct state to perform the requested operation.");
    default:
        return QString();
    }
}

} // namespace Wlan
} // namespace Ulx
