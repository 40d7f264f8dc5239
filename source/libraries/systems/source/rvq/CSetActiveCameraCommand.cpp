#include "rvq/CSetActiveCameraCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetActiveCameraCommand::CSetActiveCameraCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, Ulx::SystemTypes::Camera camera)
    : CRVQControlCommand(sender, storageProvider)
    , m_camera(camera)
{
}

CSetActiveCameraCommand::~CSetActiveCameraCommand() = default;

void CSetActiveCameraCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->activeCamera() == m_camera)
        return;
    send(createRVQCameraPowerMessage(m_camera == SystemTypes::Camera2 ? 2 : 1), 1);
    data->setCameraPowerOnline(true);
    data->setActiveCamera(m_camera);
}

} // namespace SystemControl
} // namespace Ulx
