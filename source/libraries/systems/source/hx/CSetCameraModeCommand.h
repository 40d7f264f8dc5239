#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the switches the camera's mode (video, photo, ...).
class CSetCameraModeCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetCameraModeCommand(int value);
    ~CSetCameraModeCommand() override;

    int mode() const { return m_mode; }
    QString requestUrl() const override;

private:
    int m_mode;
};

} // namespace Communication
} // namespace Ulx
