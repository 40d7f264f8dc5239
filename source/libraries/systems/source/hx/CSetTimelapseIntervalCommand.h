#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the time-lapse interval.
class CSetTimelapseIntervalCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetTimelapseIntervalCommand(int value);
    ~CSetTimelapseIntervalCommand() override;

    QString requestUrl() const override;

private:
    int m_interval;
};

} // namespace Communication
} // namespace Ulx
