#pragma once

#include "CAbstractPipeline.h"
#include "IGstBufferProcessor.h"

#include <QByteArray>
#include <QString>
#include <QThreadPool>
#include <QVector>

#include <atomic>
#include <memory>

namespace Ulx {
namespace GStreamer {

class CTimestampRebaser;

// Writes the live H.264 stream into an MP4 file without decoding it:
// appsrc -> h264parse -> mp4mux -> filesink. The buffer distribution sink of the streaming
// pipeline hands it copies of the access units from the first key frame on (processBuffer, GUI
// thread); their time stamps are rebased to start at zero with paused stretches cut out.
// A resumed recording goes on at the next complete key frame, as it starts at one: the
// pictures before it refer to pictures that are not in the file, so they count as paused.
// One object per recording, owned by the recorder logic; it owns its pipeline and rebaser.
// Its state changes run on a worker thread of the object's own, never on the caller's.
// What waits in the appsrc for a slow disk is bounded: past the limit the file is finished
// with what it has and an error is reported, rather than memory growing without end.
class CH264VideoRecordingPipeline : public CAbstractPipeline, public IGstBufferProcessor
{
    Q_OBJECT

public:
    explicit CH264VideoRecordingPipeline(QObject* parent = nullptr);
    ~CH264VideoRecordingPipeline() override;

    void setStreamCaps(const QByteArray& caps) { m_streamCaps = caps; }
    QString fileName() const { return m_fileName; }
    bool isBuilt() const { return m_built; }
    // Access units pushed into the file so far, and handed in while recording (paused
    // stretches included).
    quint64 pushedBufferCount() const { return m_pushedBuffers; }
    quint64 receivedBufferCount() const { return m_receivedBuffers; }
    // Buffers that only carried further slices of the picture before them.
    quint64 joinedBufferCount() const;
    // Whether any picture is in the file or on its way there.
    bool hasPictures() const;
    bool isActive() const { return m_active; }
    bool isEnding() const { return m_ending; }
    // Whether a state change is still being carried out.
    bool isChangingState() const { return m_pendingChanges.load() > 0; }

    bool start(const QString& fileName);
    // Ends the file by end of stream; the pipeline goes to NULL once the muxer has finished.
    void stop();
    // Tears the pipeline down at once; the file is left unfinished.
    void abort();
    // Tears the pipeline down and removes the file.
    void discard();
    void pause();
    void resume();

    // Ends the stream and waits at most timeoutMs for the muxer to finish the file, then takes
    // the pipeline to NULL. For program exit, where no event loop turns any more.
    bool finishBlocking(int timeoutMs);

    void processBuffer(GstBuffer* buffer) override;
    void bufferQueueOverflowed() override;

    // Length of the file's fragments: what a recording cut short loses at most.
    static constexpr int FragmentMs = 500;
    static constexpr qint64 DefaultBacklogLimit = 64 * 1024 * 1024;
    // Bytes allowed to wait in the appsrc for the muxer and the disk; 64 MiB in the program.
    void setBacklogLimit(qint64 bytes) { m_backlogLimit = bytes; }
    // Bytes waiting in the appsrc now; 0 when not built.
    qint64 backlogBytes() const;

protected:
    void notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage) override;
    void notifyEndOfStream() override;
    void notifyStateChanged(int newState) override;
    bool prepareStateChange(GstState target) override;
    bool changeState(GstState target) override;

private:
    void build();
    void release();
    void pushBuffers(const QVector<GstBuffer*>& buffers);
    void endStream();
    void endWithError(const QString& reason);
    static bool isKeyFrame(GstBuffer* buffer);

    QString m_fileName;
    QByteArray m_streamCaps;
    std::unique_ptr<CTimestampRebaser> m_rebaser;
    GstElement* m_appSource = nullptr;
    GstElement* m_videoParser = nullptr;
    GstElement* m_muxer = nullptr;
    GstElement* m_fileSink = nullptr;
    qint64 m_backlogLimit = DefaultBacklogLimit;
    quint64 m_pushedBuffers = 0;
    quint64 m_receivedBuffers = 0;
    bool m_built = false;
    // Between a successful start and the way back to NULL (end of stream, error, abort).
    bool m_active = false;
    bool m_ending = false;
    // Resumed, but no key frame has come since: the rebaser stays paused until one does.
    bool m_awaitingKeyFrame = false;
    bool m_discarding = false;
    std::atomic<int> m_pendingChanges { 0 };
    QThreadPool m_stateWorker;
};

} // namespace GStreamer
} // namespace Ulx
