#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the on/off id of the camera's time stamp in the video.
class CSetTimestampingStateCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetTimestampingStateCommand(int value);
    ~CSetTimestampingStateCommand() override;

    QString requestUrl() const override;

private:
    int m_state;
};

} // namespace Communication
} // namespace Ulx
