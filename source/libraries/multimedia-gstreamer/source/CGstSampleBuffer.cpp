#include "CGstSampleBuffer.h"

namespace Ulx {
namespace GStreamer {

CGstSampleBuffer::CGstSampleBuffer(GstSample* sample, int bytesPerLine)
    : QAbstractVideoBuffer(NoHandle)
    , m_sample(sample)
    , m_mapInfo(GST_MAP_INFO_INIT)
    , m_bytesPerLine(bytesPerLine)
{
}

CGstSampleBuffer::~CGstSampleBuffer()
{
    unmap();
    if (m_sample)
        gst_sample_unref(m_sample);
}

QAbstractVideoBuffer::MapMode CGstSampleBuffer::mapMode() const
{
    return m_mapped ? ReadOnly : NotMapped;
}

uchar* CGstSampleBuffer::map(MapMode mode, int* numBytes, int* bytesPerLine)
{
    if (m_mapped || mode != ReadOnly || !m_sample)
        return nullptr;
    if (!m_buffer)
        m_buffer = gst_sample_get_buffer(m_sample);
    if (!m_buffer || !gst_buffer_map(m_buffer, &m_mapInfo, GST_MAP_READ))
        return nullptr;
    m_mapped = true;
    if (numBytes)
        *numBytes = static_cast<int>(m_mapInfo.size);
    if (bytesPerLine)
        *bytesPerLine = m_bytesPerLine;
    return m_mapInfo.data;
}

void CGstSampleBuffer::unmap()
{
    if (!m_mapped)
        return;
    gst_buffer_unmap(m_buffer, &m_mapInfo);
    m_mapped = false;
}

} // namespace GStreamer
} // namespace Ulx
