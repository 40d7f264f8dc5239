#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the photo resolution.
class CSetPhotoResolutionCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetPhotoResolutionCommand(int value);
    ~CSetPhotoResolutionCommand() override;

    int resolution() const { return m_resolution; }
    QString requestUrl() const override;

private:
    int m_resolution;
};

} // namespace Communication
} // namespace Ulx
