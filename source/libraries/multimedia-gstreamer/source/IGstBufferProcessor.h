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
};

} // namespace GStreamer
} // namespace Ulx
