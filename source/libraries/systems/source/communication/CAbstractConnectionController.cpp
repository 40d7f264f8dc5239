#include "communication/CAbstractConnectionController.h"

namespace Ulx {
namespace Communication {

CAbstractConnectionController::CAbstractConnectionController()
    : QObject(nullptr)
{
}

CAbstractConnectionController::~CAbstractConnectionController() = default;

void CAbstractConnectionController::registerMetaTypes()
{
    static const int id = qRegisterMetaType<CAbstractConnectionController::Error>(
        "Ulx::Communication::CAbstractConnectionController::Error");
    Q_UNUSED(id)
}

void CAbstractConnectionController::abortConnection()
{
}

void CAbstractConnectionController::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

void CAbstractConnectionController::setSystemType(CommunicationTypes::SystemType systemType)
{
    m_systemType = systemType;
}

} // namespace Communication
} // namespace Ulx
