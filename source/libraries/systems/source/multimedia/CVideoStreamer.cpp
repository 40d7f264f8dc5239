#include "multimedia/CVideoStreamer.h"

#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "ILogicProvider.h"

namespace Ulx {
namespace Multimedia {

CVideoStreamer::CVideoStreamer(QObject* parent)
    : QObject(parent)
{
    CRTSPVideoStreamerLogic* streamerLogic = logic();
    if (!streamerLogic)
        return;
    connect(streamerLogic, &CRTSPVideoStreamerLogic::videoSurfaceSinkChanged, this,
            &CVideoStreamer::videoSurfaceSinkChanged);
    connect(streamerLogic, &CRTSPVideoStreamerLogic::stateChanged, this, &CVideoStreamer::stateChanged);
    connect(streamerLogic, &CRTSPVideoStreamerLogic::imageCaptured, this, &CVideoStreamer::imageCaptured);
    connect(streamerLogic, &CRTSPVideoStreamerLogic::errorOccurred, this, &CVideoStreamer::errorOccurred);
    connect(streamerLogic, &CRTSPVideoStreamerLogic::videoOutputEnabledChanged, this,
            &CVideoStreamer::videoOutputEnabledChanged);
    connect(streamerLogic, &CRTSPVideoStreamerLogic::imageCaptureInProgressChanged, this,
            &CVideoStreamer::imageCaptureInProgressChanged);
}

CVideoStreamer::~CVideoStreamer() = default;

CRTSPVideoStreamerLogic* CVideoStreamer::logic()
{
    ILogicProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->videoStreamerLogic() : nullptr;
}

Ulx::MultimediaTypes::StreamingState CVideoStreamer::state() const
{
    CRTSPVideoStreamerLogic* streamerLogic = logic();
    return streamerLogic ? streamerLogic->state() : Ulx::MultimediaTypes::StreamingStopped;
}

Ulx::GStreamer::CGstVideoSurfaceSink* CVideoStreamer::videoSurfaceSink() const
{
    CRTSPVideoStreamerLogic* streamerLogic = logic();
    return streamerLogic ? streamerLogic->videoSurfaceSink() : nullptr;
}

bool CVideoStreamer::videoOutputEnabled() const
{
    CRTSPVideoStreamerLogic* streamerLogic = logic();
    return streamerLogic && streamerLogic->videoOutputEnabled();
}

void CVideoStreamer::setVideoOutputEnabled(bool enabled)
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->setVideoOutputEnabled(enabled);
}

void CVideoStreamer::start()
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->start();
}

void CVideoStreamer::stop()
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->stop();
}

void CVideoStreamer::pause()
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->pause();
}

void CVideoStreamer::resume()
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->resume();
}

void CVideoStreamer::captureImage(const QString& fileName, const Ulx::Multimedia::CImageMetaData& metaData)
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->captureImage(fileName, metaData);
}

void CVideoStreamer::cancelImageCapture()
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->cancelImageCapture();
}

bool CVideoStreamer::imageCaptureInProgress() const
{
    CRTSPVideoStreamerLogic* streamerLogic = logic();
    return streamerLogic && streamerLogic->imageCaptureInProgress();
}

Ulx::MultimediaTypes::ImageOutputFormat CVideoStreamer::imageOutputFormat() const
{
    CRTSPVideoStreamerLogic* streamerLogic = logic();
    return streamerLogic ? streamerLogic->imageOutputFormat() : Ulx::MultimediaTypes::ImageOutputFormatInvalid;
}

void CVideoStreamer::setImageOutputFormat(Ulx::MultimediaTypes::ImageOutputFormat format)
{
    if (CRTSPVideoStreamerLogic* streamerLogic = logic())
        streamerLogic->setImageOutputFormat(format);
}

} // namespace Multimedia
} // namespace Ulx
