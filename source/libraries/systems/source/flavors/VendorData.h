#pragma once

#include <QObject>
#include <QString>

namespace Ulx {
namespace Flavors {

// The display names of the system families. One instance is held by the systems library so
// that QML can reach the names; the names themselves are static.
class VendorData : public QObject
{
    Q_OBJECT

public:
    explicit VendorData(QObject* parent = nullptr);

    static QString ZEPHIRA_DISPLAY_NAME();
    static QString HOSELUX_DISPLAY_NAME();
    static QString GULLYROVER_DISPLAY_NAME();
    static QString PELKOM_DISPLAY_NAME();
};

} // namespace Flavors
} // namespace Ulx
