#pragma once

#include "CImageMetaData.h"
#include "MultimediaTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace GStreamer {
class CGstVideoSurfaceSink;
}

namespace Multimedia {

class CRTSPVideoStreamerLogic;

// The application's entry to the live video. Holds no state: every call goes to the streamer
// logic that the library's logic provider returns, and the logic's signals are relayed one to
// one. Created and owned by the systems library, on the GUI thread.
class CVideoStreamer : public QObject
{
    Q_OBJECT

public:
    explicit CVideoStreamer(QObject* parent = nullptr);
    ~CVideoStreamer() override;

    Ulx::MultimediaTypes::StreamingState state() const;
    Ulx::GStreamer::CGstVideoSurfaceSink* videoSurfaceSink() const;
    bool videoOutputEnabled() const;
    void setVideoOutputEnabled(bool enabled);

    void start();
    void stop();
    void pause();
    void resume();

    void captureImage(const QString& fileName, const Ulx::Multimedia::CImageMetaData& metaData);
    void cancelImageCapture();
    bool imageCaptureInProgress() const;
    Ulx::MultimediaTypes::ImageOutputFormat imageOutputFormat() const;
    void setImageOutputFormat(Ulx::MultimediaTypes::ImageOutputFormat format);

signals:
    void videoSurfaceSinkChanged();
    void stateChanged();
    void imageCaptured(QString fileName);
    void errorOccurred(Ulx::MultimediaTypes::StreamingError errorCode);
    void videoOutputEnabledChanged();
    void imageCaptureInProgressChanged();

private:
    static CRTSPVideoStreamerLogic* logic();
};

} // namespace Multimedia
} // namespace Ulx
