#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the mains frequency the camera suppresses flicker for.
class CSetLightFrequencyCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetLightFrequencyCommand(int value);
    ~CSetLightFrequencyCommand() override;

    QString requestUrl() const override;

private:
    int m_flicker;
};

} // namespace Communication
} // namespace Ulx
