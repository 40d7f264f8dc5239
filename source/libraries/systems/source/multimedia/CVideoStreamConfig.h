#pragma once

#include "MultimediaTypes.h"

#include <QObject>

namespace Ulx {
namespace Multimedia {

class CAbstractVideoStreamConfigLogic;

// The resolution a video configuration belongs to; VideoResolutionUnknown outside 1..13.
Ulx::MultimediaTypes::VideoResolution videoResolutionOf(Ulx::MultimediaTypes::VideoConfig config);

// The configuration changeActiveResolution asks for: the same frame rate at the other of 720p
// and 1080p, else the active configuration unchanged.
Ulx::MultimediaTypes::VideoConfig configForResolution(Ulx::MultimediaTypes::VideoConfig active,
                                                      Ulx::MultimediaTypes::VideoResolution resolution);

// The facade of the connected system's video stream configuration. It holds nothing but its
// connections: every read and request goes to the stream-config logic that the library
// provides now (the session's, else the default). Owned by the systems library; GUI thread
// only. Relays are queued, so they arrive one turn after the logic's own signals.
class CVideoStreamConfig : public QObject
{
    Q_OBJECT

public:
    CVideoStreamConfig();
    ~CVideoStreamConfig() override;

    bool configChangeInProgress() const;
    bool supportsConfigChange() const;
    Ulx::MultimediaTypes::VideoConfig activeConfig() const;
    Ulx::MultimediaTypes::VideoResolution activeResolution() const;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config);
    void changeActiveResolution(Ulx::MultimediaTypes::VideoResolution resolution);

    // Re-binds to the stream-config logic that the library provides now and tells readers to
    // fetch everything again.
    void updateLogic();

signals:
    void errorOccurred(Ulx::MultimediaTypes::StreamConfigError errorCode);
    void configChangeInProgressChanged();
    void activeConfigChanged();
    void supportsConfigChangeChanged();

private:
    static CAbstractVideoStreamConfigLogic* logic();
    void connectCurrentLogic();
};

} // namespace Multimedia
} // namespace Ulx
