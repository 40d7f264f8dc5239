#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the buzzer volume.
class CSetBuzzerVolumeCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetBuzzerVolumeCommand(int value);
    ~CSetBuzzerVolumeCommand() override;

    QString requestUrl() const override;

private:
    int m_volume;
};

} // namespace Communication
} // namespace Ulx
