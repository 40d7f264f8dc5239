#pragma once

#include "CAbstractPipeline.h"

#include <QByteArray>
#include <QString>

namespace Ulx {
namespace GStreamer {

class CGstVideoSurfaceSink;
class CGstBufferDistributionSink;

// The live-video pipeline: RTSP H.264 in, split by a tee into a decode branch for the video
// surface sink and a parse branch for the buffer distribution sink. Parameters are set before
// the first start; the elements are built then. The sink objects are not owned.
class CH264StreamingPipeline : public CAbstractPipeline
{
    Q_OBJECT

public:
    explicit CH264StreamingPipeline(QObject* parent = nullptr);
    ~CH264StreamingPipeline() override;

    void setLocation(const QString& location) { m_location = location; }
    QString location() const { return m_location; }
    void setStreamCaps(const QByteArray& caps) { m_streamCaps = caps; }
    void setLatency(uint milliseconds) { m_latency = milliseconds; }
    void setPreferSoftwareDecoding(bool prefer) { m_preferSoftwareDecoding = prefer; }
    void setRtspOverTcp(bool tcpOnly) { m_rtspOverTcp = tcpOnly; }
    void setStopStreamOnPause(bool stop) { m_stopStreamOnPause = stop; }
    void setVideoOutputSink(CGstVideoSurfaceSink* sink) { m_videoOutputSink = sink; }
    void setRecordingSink(CGstBufferDistributionSink* sink) { m_recordingSink = sink; }

    bool isBuilt() const { return m_built; }

    bool start();
    bool stop();
    bool pause();
    bool resume();

protected:
    void notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage) override;
    void notifyEndOfStream() override;
    bool prepareStateChange(GstState target) override;

private:
    void build();
    void release();
    void forgetSinkElements();

    static void onSourcePadAdded(GstElement* source, GstPad* pad, gpointer userData);
    static void onDecoderPadAdded(GstElement* decoder, GstPad* pad, gpointer userData);
    static GValueArray* onAutoplugSort(GstElement* bin, GstPad* pad, GstCaps* caps, GValueArray* factories,
                                       gpointer userData);

    QString m_location;
    QByteArray m_streamCaps;
    uint m_latency = 0;
    bool m_preferSoftwareDecoding = false;
    bool m_rtspOverTcp = false;
    bool m_stopStreamOnPause = false;
    CGstVideoSurfaceSink* m_videoOutputSink = nullptr;
    CGstBufferDistributionSink* m_recordingSink = nullptr;

    GstElement* m_rtspSource = nullptr;
    GstElement* m_depayloader = nullptr;
    GstElement* m_tee = nullptr;
    GstElement* m_decodeQueue = nullptr;
    GstElement* m_decoder = nullptr;
    GstElement* m_videoConvert = nullptr;
    GstElement* m_videoOutputAppSink = nullptr;
    GstElement* m_recordingQueue = nullptr;
    GstElement* m_recordingParser = nullptr;
    GstElement* m_recordingAppSink = nullptr;
    bool m_built = false;
};

} // namespace GStreamer
} // namespace Ulx
