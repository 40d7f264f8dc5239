#pragma once

#include <QAbstractVideoBuffer>

#include <gst/gst.h>

namespace Ulx {
namespace GStreamer {

// One decoded GStreamer sample seen as a video buffer, so frames reach the surface without a
// copy. Owns its sample reference (dropped in the destructor).
class CGstSampleBuffer : public QAbstractVideoBuffer
{
public:
    CGstSampleBuffer(GstSample* sample, int bytesPerLine);
    ~CGstSampleBuffer() override;

    MapMode mapMode() const override;
    uchar* map(MapMode mode, int* numBytes, int* bytesPerLine) override;
    void unmap() override;

private:
    GstSample* m_sample = nullptr;
    GstBuffer* m_buffer = nullptr;
    GstMapInfo m_mapInfo;
    int m_bytesPerLine = 0;
    bool m_mapped = false;
};

} // namespace GStreamer
} // namespace Ulx
