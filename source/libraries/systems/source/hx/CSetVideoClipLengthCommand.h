#pragma once

#include "hx/CAbstractSetCommand.h"

namespace Ulx {
namespace Communication {

// Sets the length of the camera's video clips.
class CSetVideoClipLengthCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetVideoClipLengthCommand(int value);
    ~CSetVideoClipLengthCommand() override;

    QString requestUrl() const override;

private:
    int m_clipTime;
};

} // namespace Communication
} // namespace Ulx
