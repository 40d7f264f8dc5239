#pragma once

#include <QObject>

namespace Ulx {
namespace Multimedia {

class CRTSPVideoStreamerLogic;

// Records the streamer logic's live stream into a local MP4 file.
// Placeholder until the video issues land.
class CRTSPVideoRecorderLogic : public QObject
{
    Q_OBJECT

public:
    CRTSPVideoRecorderLogic(CRTSPVideoStreamerLogic* streamerLogic);
    ~CRTSPVideoRecorderLogic() override;

signals:

};

} // namespace Multimedia
} // namespace Ulx
