#include "multimedia/CVideoStreamConfig.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"

#include <QMetaType>

namespace Ulx {
namespace Multimedia {

using VideoConfig = Ulx::MultimediaTypes::VideoConfig;
using VideoResolution = Ulx::MultimediaTypes::VideoResolution;

VideoResolution videoResolutionOf(VideoConfig config)
{
    switch (config) {
    case MultimediaTypes::VideoConfigPAL25FPS:
        return MultimediaTypes::VideoResolutionPAL;
    case MultimediaTypes::VideoConfigNTSC30FPS:
        return MultimediaTypes::VideoResolutionNTSC;
    case MultimediaTypes::VideoConfig720P15FPS:
    case MultimediaTypes::VideoConfig720P25FPS:
    case MultimediaTypes::VideoConfig720P29_97FPS:
    case MultimediaTypes::VideoConfig720P30FPS:
    case MultimediaTypes::VideoConfig720P60FPS:
        return MultimediaTypes::VideoResolution720P;
    case MultimediaTypes::VideoConfig1080P15FPS:
    case MultimediaTypes::VideoConfig1080P25FPS:
    case MultimediaTypes::VideoConfig1080P29_97FPS:
    case MultimediaTypes::VideoConfig1080P30FPS:
    case MultimediaTypes::VideoConfig1080P60FPS:
        return MultimediaTypes::VideoResolution1080P;
    case MultimediaTypes::VideoConfig1440P30FPS:
        return MultimediaTypes::VideoResolution1440P;
    default:
        return MultimediaTypes::VideoResolutionUnknown;
    }
}

VideoConfig configForResolution(VideoConfig active, VideoResolution resolution)
{
    // The 720p and 1080p rows of the same frame rate lie five apart; 60 fps has no partner the
    // encoders accept, so it stays.
    const int value = static_cast<int>(active);
    if (resolution == MultimediaTypes::VideoResolution720P && value >= MultimediaTypes::VideoConfig1080P15FPS
        && value <= MultimediaTypes::VideoConfig1080P30FPS)
        return static_cast<VideoConfig>(value - 5);
    if (resolution == MultimediaTypes::VideoResolution1080P && value >= MultimediaTypes::VideoConfig720P15FPS
        && value <= MultimediaTypes::VideoConfig720P30FPS)
        return static_cast<VideoConfig>(value + 5);
    return active;
}

CVideoStreamConfig::CVideoStreamConfig()
    : QObject(nullptr)
{
    connectCurrentLogic();
}

CVideoStreamConfig::~CVideoStreamConfig() = default;

CAbstractVideoStreamConfigLogic* CVideoStreamConfig::logic()
{
    ILogicProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->videoStreamConfigLogic() : nullptr;
}

void CVideoStreamConfig::connectCurrentLogic()
{
    // Queued arguments of a type Qt does not know are dropped, so the error type is known first.
    qRegisterMetaType<MultimediaTypes::StreamConfigError>("Ulx::MultimediaTypes::StreamConfigError");
    CAbstractVideoStreamConfigLogic* current = logic();
    if (!current)
        return;
    const auto type = static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection);
    connect(current, &CAbstractVideoStreamConfigLogic::activeConfigChanged, this,
            &CVideoStreamConfig::activeConfigChanged, type);
    connect(current, &CAbstractVideoStreamConfigLogic::configChangeInProgressChanged, this,
            &CVideoStreamConfig::configChangeInProgressChanged, type);
    connect(current, &CAbstractVideoStreamConfigLogic::errorOccurred, this, &CVideoStreamConfig::errorOccurred, type);
}

bool CVideoStreamConfig::configChangeInProgress() const
{
    const CAbstractVideoStreamConfigLogic* current = logic();
    return current && current->configChangeInProgress();
}

bool CVideoStreamConfig::supportsConfigChange() const
{
    const CAbstractVideoStreamConfigLogic* current = logic();
    return current && current->supportsConfigChange();
}

VideoConfig CVideoStreamConfig::activeConfig() const
{
    const CAbstractVideoStreamConfigLogic* current = logic();
    return current ? current->activeConfig() : MultimediaTypes::VideoConfigInvalid;
}

VideoResolution CVideoStreamConfig::activeResolution() const
{
    return videoResolutionOf(activeConfig());
}

void CVideoStreamConfig::changeActiveConfig(VideoConfig config)
{
    if (CAbstractVideoStreamConfigLogic* current = logic())
        current->changeActiveConfig(config);
}

void CVideoStreamConfig::changeActiveResolution(VideoResolution resolution)
{
    CAbstractVideoStreamConfigLogic* current = logic();
    if (!current)
        return;
    // Asked in every case: a logic ignores the configuration that is already active.
    current->changeActiveConfig(configForResolution(current->activeConfig(), resolution));
}

void CVideoStreamConfig::updateLogic()
{
    connectCurrentLogic();
    emit supportsConfigChangeChanged();
    emit configChangeInProgressChanged();
    emit activeConfigChanged();
}

} // namespace Multimedia
} // namespace Ulx
