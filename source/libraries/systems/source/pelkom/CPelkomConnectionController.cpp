#include "pelkom/CPelkomConnectionController.h"

namespace Ulx {
namespace Communication {

CPelkomConnectionController::CPelkomConnectionController() = default;

CPelkomConnectionController::~CPelkomConnectionController() = default;

void CPelkomConnectionController::connectToSystem(int accessMode)
{
    Q_UNUSED(accessMode)
    setSystemType(CommunicationTypes::SystemTypePelkom);
    m_controlOnline = true;
    setState(StateConnected);
}

void CPelkomConnectionController::disconnectFromSystem(DisconnectType type)
{
    Q_UNUSED(type)
    m_controlOnline = false;
    if (state() == StateConnecting || state() == StateConnected)
        setState(StateDisconnected);
}

} // namespace Communication
} // namespace Ulx
