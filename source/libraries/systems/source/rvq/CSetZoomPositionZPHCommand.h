#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Moves the zoom of a ZPH camera to a position in percent. Zoom control stays taken until the
// camera reports the raw position it was sent.
class CSetZoomPositionZPHCommand : public CRVQControlCommand
{
public:
    CSetZoomPositionZPHCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, quint8 position);
    ~CSetZoomPositionZPHCommand() override;

    void execute() override;

private:
    quint8 m_position;
};

} // namespace SystemControl
} // namespace Ulx
