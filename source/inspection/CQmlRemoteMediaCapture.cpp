#include "inspection/CQmlRemoteMediaCapture.h"

#include "inspection/QmlFacadeWrapping.h"
#include "multimedia/CRemoteMediaCapture.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::Multimedia::CRemoteMediaCapture;

CQmlRemoteMediaCapture::CQmlRemoteMediaCapture(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlRemoteMediaCapture::~CQmlRemoteMediaCapture() = default;

Ulx::RemoteMediaTypes::CaptureState CQmlRemoteMediaCapture::captureState() const
{
    return read(m_facade, &Facade::captureState);
}

Ulx::RemoteMediaTypes::CaptureMode CQmlRemoteMediaCapture::captureMode() const
{
    return read(m_facade, &Facade::captureMode);
}

quint32 CQmlRemoteMediaCapture::videoRecordingTime() const
{
    return read(m_facade, &Facade::videoRecordingTime);
}

Ulx::MultimediaTypes::VideoConfig CQmlRemoteMediaCapture::videoCaptureConfig() const
{
    return read(m_facade, &Facade::videoCaptureConfig);
}

bool CQmlRemoteMediaCapture::configChangeInProgress() const
{
    return read(m_facade, &Facade::configChangeInProgress);
}

void CQmlRemoteMediaCapture::setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig value)
{
    write(m_facade, &Facade::setVideoCaptureConfig, value);
}
