#pragma once

#include "CAbstractPipeline.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QThreadPool>

#include <gst/rtsp/gstrtspmessage.h>

#include <atomic>

namespace Ulx {
namespace GStreamer {

class CGstVideoSurfaceSink;
class CGstBufferDistributionSink;

// The live-video pipeline: RTSP H.264 in, split by a tee into a decode branch for the video
// surface sink and a parse branch for the buffer distribution sink. Parameters are set before
// the first start; the elements are built then. The sink objects are not owned.
// State changes run in order on a worker thread of the object's own: the RTSP source joins its
// task on the way down, which waits for the peer. A change to NULL that has not ended within
// StopGraceMs cuts the source's connection to the peer, which ends any reading.
class CH264StreamingPipeline : public CAbstractPipeline
{
    Q_OBJECT

public:
    // A picture (access unit) larger than this is taken for a peer that never ends one: the
    // depayloader would keep every fragment of it.
    static constexpr qint64 DefaultUnitLimitBytes = 16 * 1024 * 1024;
    static constexpr int StopGraceMs = 2000;
    // What the camera may send on its RTSP connection beside the video it interleaves there
    // (over TCP): the messages of the session, for its whole life. The RTSP source and its
    // connection take a head or a body of any length, before the first picture and after it.
    // Each request the source sends (a keep-alive among them) may bring an answer of up to
    // AnswerAllowanceBytes more. Past this the connection is cut and the stream ends in an
    // error. Checked every AnswerWatchMs (on loopback the source reads some tens of megabytes
    // in that time).
    static constexpr qint64 DefaultAnswerLimitBytes = 8 * 1024 * 1024;
    static constexpr qint64 AnswerAllowanceBytes = 64 * 1024;
    static constexpr int AnswerWatchMs = 20;

    explicit CH264StreamingPipeline(QObject* parent = nullptr);
    ~CH264StreamingPipeline() override;

    void setLocation(const QString& location);
    QString location() const { return m_location; }
    void setStreamCaps(const QByteArray& caps) { m_streamCaps = caps; }
    void setLatency(uint milliseconds) { m_latency = milliseconds; }
    void setPreferSoftwareDecoding(bool prefer) { m_preferSoftwareDecoding = prefer; }
    void setRtspOverTcp(bool tcpOnly) { m_rtspOverTcp = tcpOnly; }
    void setStopStreamOnPause(bool stop) { m_stopStreamOnPause = stop; }
    void setVideoOutputSink(CGstVideoSurfaceSink* sink) { m_videoOutputSink = sink; }
    void setRecordingSink(CGstBufferDistributionSink* sink) { m_recordingSink = sink; }

    void setUnitLimitBytes(qint64 bytes) { m_unitLimitBytes = bytes; }
    void setAnswerLimitBytes(qint64 bytes) { m_answerLimitBytes = bytes; }
    bool isBuilt() const { return m_built; }
    // Whether a state change is still being carried out.
    bool isChangingState() const { return m_pendingChanges.load() > 0; }

    bool start();
    bool stop();
    bool pause();
    bool resume();

protected:
    void notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage) override;
    void notifyEndOfStream() override;
    bool prepareStateChange(GstState target) override;
    bool changeState(GstState target) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void build();
    void release();
    void forgetSinkElements();

    static GstPadProbeReturn onDepayloaderInput(GstPad* pad, GstPadProbeInfo* info, gpointer userData);
    static GstPadProbeReturn onDepayloaderOutput(GstPad* pad, GstPadProbeInfo* info, gpointer userData);
    static void onSourcePadAdded(GstElement* source, GstPad* pad, gpointer userData);
    static gboolean onBeforeSend(GstElement* source, GstRTSPMessage* message, gpointer userData);
    static void onNewManager(GstElement* source, GstElement* manager, gpointer userData);
    static void onManagerPadAdded(GstElement* manager, GstPad* pad, gpointer userData);
    static void onManagerPadLinked(GstPad* pad, GstPad* peer, gpointer userData);
    static GstPadProbeReturn onInterleavedData(GstPad* pad, GstPadProbeInfo* info, gpointer userData);
    static void onDecoderPadAdded(GstElement* decoder, GstPad* pad, gpointer userData);
    static GValueArray* onAutoplugSort(GstElement* bin, GstPad* pad, GstCaps* caps, GValueArray* factories,
                                       gpointer userData);

    QString m_location;
    // The camera's end of the RTSP connection, as the location names it: the source reads a
    // peer on a task of its own that neither its flush nor its time-outs stop, and only the end
    // of the connection, found below GStreamer, does.
    quint16 m_peerPort = 0;
    QList<QHostAddress> m_peerAddresses;
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

    qint64 m_unitLimitBytes = DefaultUnitLimitBytes;
    // Bytes the depayloader took since it last gave a unit out (streaming threads).
    std::atomic<qint64> m_depayloaderHeldBytes { 0 };
    std::atomic<bool> m_unitLimitReported { false };
    qint64 m_answerLimitBytes = DefaultAnswerLimitBytes;
    std::atomic<bool> m_sourcePadAdded { false };
    // What came on the RTSP connection as interleaved video and its reports, with their framing
    // (streaming threads), and the requests the source sent.
    std::atomic<qint64> m_interleavedBytes { 0 };
    std::atomic<int> m_requestsSent { 0 };
    QBasicTimer m_answerWatchTimer;
    bool m_answerLimitReported = false;
    std::atomic<int> m_pendingChanges { 0 };
    GstState m_requestedState = GST_STATE_NULL;
    QBasicTimer m_stopGraceTimer;
    // From a stop's cut until the next start: the source's read error that follows is the
    // cut's own, not the camera's.
    bool m_stopCutConnections = false;
    QThreadPool m_stateWorker;
};

} // namespace GStreamer
} // namespace Ulx
