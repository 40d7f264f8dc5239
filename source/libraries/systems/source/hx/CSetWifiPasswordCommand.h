#pragma once

#include "hx/CAbstractSetCommand.h"

#include <QString>

namespace Ulx {
namespace Communication {

// Sets the key of the camera's Wi-Fi network.
class CSetWifiPasswordCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetWifiPasswordCommand(const QString& value);
    ~CSetWifiPasswordCommand() override;

    QString requestUrl() const override;

private:
    QString m_key;
};

} // namespace Communication
} // namespace Ulx
