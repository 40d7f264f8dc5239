#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Ends the camera session.
class CLogoutCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    CLogoutCommand();
    ~CLogoutCommand() override;

    QString requestUrl() const override;
};

} // namespace Communication
} // namespace Ulx
