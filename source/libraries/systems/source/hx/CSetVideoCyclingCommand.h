#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the looping (cyclic) recording length.
class CSetVideoCyclingCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetVideoCyclingCommand(int value);
    ~CSetVideoCyclingCommand() override;

    QString requestUrl() const override;

private:
    int m_looping;
};

} // namespace Communication
} // namespace Ulx
