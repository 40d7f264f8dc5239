#include "inspection/CQmlVideoStreamer.h"

#include "CGstVideoSurfaceSink.h"
#include "inspection/QmlFacadeWrapping.h"
#include "multimedia/CVideoStreamer.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::Multimedia::CVideoStreamer;

CQmlVideoStreamer::CQmlVideoStreamer(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlVideoStreamer::~CQmlVideoStreamer() = default;

Ulx::MultimediaTypes::StreamingState CQmlVideoStreamer::state() const
{
    return read(m_facade, &Facade::state);
}

bool CQmlVideoStreamer::videoOutputEnabled() const
{
    return read(m_facade, &Facade::videoOutputEnabled);
}

void CQmlVideoStreamer::setVideoOutputEnabled(bool value)
{
    write(m_facade, &Facade::setVideoOutputEnabled, value);
}

bool CQmlVideoStreamer::imageCaptureInProgress() const
{
    return read(m_facade, &Facade::imageCaptureInProgress);
}

void CQmlVideoStreamer::pause()
{
    if (m_facade)
        m_facade->pause();
}

void CQmlVideoStreamer::resume()
{
    if (m_facade)
        m_facade->resume();
}

void CQmlVideoStreamer::captureImage(const QString& fileName, const Ulx::Multimedia::CImageMetaData& metaData)
{
    if (m_facade)
        m_facade->captureImage(fileName, metaData);
}

void CQmlVideoStreamer::cancelImageCapture()
{
    if (m_facade)
        m_facade->cancelImageCapture();
}

QObject* CQmlVideoStreamer::videoSurfaceSink() const
{
    return m_facade ? m_facade->videoSurfaceSink() : nullptr;
}
