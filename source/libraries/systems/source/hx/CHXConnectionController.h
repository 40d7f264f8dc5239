#pragma once

#include "communication/CAbstractConnectionController.h"
#include "hx/CHXQueryLogic.h"

namespace Ulx {

class IStorageProvider;

namespace Communication {

class CTetronCommandRunner;
class ITetronCommandRunner;

// The control link to a Hoselux camera: owns the camera's command runner and the query logic,
// and turns the query logic's signals into the controller states the session watches. Created
// and owned by the HX session; the provider is not owned. GUI thread only.
class CHXConnectionController : public CAbstractConnectionController
{
    Q_OBJECT

public:
    explicit CHXConnectionController(IStorageProvider* storageProvider);
    ~CHXConnectionController() override;

    bool controlOnline() const override { return m_controlOnline; }
    void connectToSystem(int accessMode) override;
    void disconnectFromSystem(Ulx::Communication::CAbstractConnectionController::DisconnectType type) override;
    void abortConnection() override;

    ITetronCommandRunner* commandRunner() const;
    CTetronCommandRunner* runner() const { return m_commandRunner; }
    CHXQueryLogic* queryLogic() const { return m_queryLogic; }

private slots:
    void onLogicReady();
    void onLogicShutdown();
    void onLogicErrorOccurred(Ulx::Communication::CHXQueryLogic::Error error);

private:
    IStorageProvider* m_storageProvider = nullptr;
    CTetronCommandRunner* m_commandRunner = nullptr;
    CHXQueryLogic* m_queryLogic = nullptr;
    bool m_controlOnline = false;
};

} // namespace Communication
} // namespace Ulx
