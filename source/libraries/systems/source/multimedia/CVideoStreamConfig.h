#pragma once

#include <QObject>

namespace Ulx {
namespace Multimedia {

// The facade of the connected system's video stream configuration.
// Placeholder until the video issues land.
class CVideoStreamConfig : public QObject
{
    Q_OBJECT

public:
    CVideoStreamConfig();
    ~CVideoStreamConfig() override;

    // Re-binds to the stream-config logic that the library provides now.
    void updateLogic();

signals:
    void supportsConfigChangeChanged();
    void configChangeInProgressChanged();
    void activeConfigChanged();
};

} // namespace Multimedia
} // namespace Ulx
