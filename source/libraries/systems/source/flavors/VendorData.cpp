#include "flavors/VendorData.h"

namespace Ulx {
namespace Flavors {

VendorData::VendorData(QObject* parent)
    : QObject(parent)
{
}

QString VendorData::ZEPHIRA_DISPLAY_NAME()
{
    return QStringLiteral("Zephira skyRT");
}

QString VendorData::HOSELUX_DISPLAY_NAME()
{
    return QStringLiteral("Hoselux");
}

QString VendorData::GULLYROVER_DISPLAY_NAME()
{
    return QStringLiteral("Gullyrover");
}

QString VendorData::PELKOM_DISPLAY_NAME()
{
    return QStringLiteral("Pelkom");
}

} // namespace Flavors
} // namespace Ulx
