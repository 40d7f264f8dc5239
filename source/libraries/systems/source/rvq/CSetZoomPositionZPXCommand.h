#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Moves the zoom of a ZPX camera to a position in percent. Zoom control stays taken until the
// camera reports the raw position it was sent.
class CSetZoomPositionZPXCommand : public CRVQControlCommand
{
public:
    CSetZoomPositionZPXCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, quint8 position);
    ~CSetZoomPositionZPXCommand() override;

    void execute() override;

private:
    quint8 m_position;
};

} // namespace SystemControl
} // namespace Ulx
