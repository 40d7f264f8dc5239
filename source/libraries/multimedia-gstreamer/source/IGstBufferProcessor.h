#pragma once

#include <gst/gst.h>

namespace Ulx {
namespace GStreamer {

// Receives the encoded stream's buffers (the recording pipeline).
class IGstBufferProcessor
{
public:
    virtual ~IGstBufferProcessor() = default;
    // Takes ownership of the buffer.
    virtual void processBuffer(GstBuffer* buffer) = 0;
    // Buffers meant for this processor were let go because they piled up past their limit:
    // what follows would not continue what it has received.
    virtual void bufferQueueOverflowed() {}
};

} // namespace GStreamer
} // namespace Ulx
