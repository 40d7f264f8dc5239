#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the starts or stops a recording or takes a photo.
class CSetCameraActionCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetCameraActionCommand(int value);
    ~CSetCameraActionCommand() override;

    int action() const { return m_action; }
    QString requestUrl() const override;

private:
    int m_action;
};

} // namespace Communication
} // namespace Ulx
