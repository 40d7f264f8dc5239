#pragma once

#include "communication/CAbstractConnectionController.h"

namespace Ulx {
namespace Communication {

// Pelkom systems offer video only: the controller is connected as soon as it is asked to be;
// there is nothing to exchange beyond the Wi-Fi link and the stream, which the session handles.
// Created and owned by the Pelkom session; GUI thread only.
class CPelkomConnectionController : public CAbstractConnectionController
{
    Q_OBJECT

public:
    CPelkomConnectionController();
    ~CPelkomConnectionController() override;

    bool controlOnline() const override { return m_controlOnline; }
    void connectToSystem(int accessMode) override;
    void disconnectFromSystem(Ulx::Communication::CAbstractConnectionController::DisconnectType type) override;

private:
    bool m_controlOnline = false;
};

} // namespace Communication
} // namespace Ulx
