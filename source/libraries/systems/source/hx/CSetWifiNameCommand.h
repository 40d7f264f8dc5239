#pragma once

#include "hx/CAbstractSetCommand.h"

#include <QString>

namespace Ulx {
namespace Communication {

// Sets the name of the camera's Wi-Fi network.
class CSetWifiNameCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetWifiNameCommand(const QString& value);
    ~CSetWifiNameCommand() override;

    QString requestUrl() const override;

private:
    QString m_name;
};

} // namespace Communication
} // namespace Ulx
