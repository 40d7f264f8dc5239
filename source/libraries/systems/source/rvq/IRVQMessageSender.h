#pragma once

namespace Ulx {

class CRVQMessage;

// Whatever puts link messages on the wire: the communicator, and the connection controller
// in front of it.
class IRVQMessageSender
{
public:
    virtual ~IRVQMessageSender() = default;
    virtual bool isReadyToSend() const = 0;
    // Takes ownership of the message, also when it is dropped.
    virtual void sendMessage(Ulx::CRVQMessage* message) = 0;
};

} // namespace Ulx
