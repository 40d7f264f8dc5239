#pragma once

#include "systemcontrol/CControlCommand.h"

namespace Ulx {

class CRVQMessage;
class IRVQMessageSender;
class IStorageProvider;

namespace SystemControl {

class CSystemDataStorage;

// A control write of an RVQ-family system. It sends only while the connection controller can
// send with write access, only when the value differs from what the system data storage holds,
// and then writes the new value into the storage at once; the query logic corrects it from the
// replies. Sender and storage provider are not owned; made by an RVQ command factory and run
// once. GUI thread only.
class CRVQControlCommand : public CControlCommand
{
public:
    CRVQControlCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CRVQControlCommand() override;

protected:
    // The sender can send and the storage exists.
    bool isReadyToSend() const;
    CSystemDataStorage* systemDataStorage() const;
    // Gives the message its priority, marks it as the operator's request and hands it to the
    // sender.
    void send(Ulx::CRVQMessage* message, int priority);

    Ulx::IRVQMessageSender* sender() const { return m_sender; }
    Ulx::IStorageProvider* storageProvider() const { return m_storageProvider; }

private:
    Ulx::IRVQMessageSender* m_sender = nullptr;
    Ulx::IStorageProvider* m_storageProvider = nullptr;
};

} // namespace SystemControl
} // namespace Ulx
