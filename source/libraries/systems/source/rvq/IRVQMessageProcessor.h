#pragma once

namespace Ulx {

class CRVQMessage;

// Receives every message decoded from the link.
class IRVQMessageProcessor
{
public:
    virtual ~IRVQMessageProcessor() = default;
    // The message is only lent for the call; the communicator deletes it afterwards. The
    // processor may send, reset or disconnect from inside the call.
    virtual void processMessage(Ulx::CRVQMessage* message) = 0;
};

} // namespace Ulx
