#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the video recording resolution.
class CSetVideoResolutionCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetVideoResolutionCommand(int value);
    ~CSetVideoResolutionCommand() override;

    int resolution() const { return m_resolution; }
    QString requestUrl() const override;

private:
    int m_resolution;
};

} // namespace Communication
} // namespace Ulx
