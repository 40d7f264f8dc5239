#include "communication/CAbstractSessionStreamer.h"

#include "CRTSPVideoStreamerLogic.h"

namespace Ulx {
namespace Communication {

CAbstractSessionStreamer::CAbstractSessionStreamer()
    : QObject(nullptr)
{
}

CAbstractSessionStreamer::~CAbstractSessionStreamer() = default;

CRTSPSessionStreamer::CRTSPSessionStreamer(Multimedia::CRTSPVideoStreamerLogic* streamerLogic)
    : m_streamerLogic(streamerLogic)
{
    if (m_streamerLogic)
        connect(m_streamerLogic, &Multimedia::CRTSPVideoStreamerLogic::stateChanged, this,
                &CAbstractSessionStreamer::stateChanged);
}

CRTSPSessionStreamer::~CRTSPSessionStreamer() = default;

MultimediaTypes::StreamingState CRTSPSessionStreamer::state() const
{
    return m_streamerLogic ? m_streamerLogic->state() : MultimediaTypes::StreamingStopped;
}

void CRTSPSessionStreamer::configure(const Source& source)
{
    if (!m_streamerLogic)
        return;
    m_streamerLogic->setStreamUrl(source.url);
    m_streamerLogic->setStreamCaps(source.caps);
    m_streamerLogic->setLatency(source.latency);
    m_streamerLogic->setPreferSoftwareDecoding(source.preferSoftwareDecoding);
    m_streamerLogic->setRtspOverTcp(source.rtspOverTcp);
    m_streamerLogic->setStopStreamOnPause(source.stopStreamOnPause);
}

void CRTSPSessionStreamer::start()
{
    if (m_streamerLogic)
        m_streamerLogic->start();
}

void CRTSPSessionStreamer::stop()
{
    if (m_streamerLogic)
        m_streamerLogic->stop();
}

} // namespace Communication
} // namespace Ulx
