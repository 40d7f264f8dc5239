#pragma once

#include "MultimediaTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace Ulx {
namespace Multimedia {
class CRTSPVideoStreamerLogic;
}

namespace Communication {

// What a system session needs of the live-video streamer: where the stream comes from, start,
// stop, and the streaming state with its change signal. The session reaches the RTSP streamer
// logic only through this face, so that the state machine can run against other streamers.
// GUI thread only.
class CAbstractSessionStreamer : public QObject
{
    Q_OBJECT

public:
    // The stream parameters of one system type.
    struct Source
    {
        QString url;
        QByteArray caps;
        quint32 latency = 0;
        bool preferSoftwareDecoding = false;
        bool rtspOverTcp = false;
        bool stopStreamOnPause = false;
    };

    CAbstractSessionStreamer();
    ~CAbstractSessionStreamer() override;

    virtual Ulx::MultimediaTypes::StreamingState state() const = 0;
    virtual void configure(const Source& source) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;

signals:
    void stateChanged();
};

// The session streamer over the library's RTSP streamer logic (not owned; may be null, which
// reads as a stopped streamer that ignores every request).
class CRTSPSessionStreamer : public CAbstractSessionStreamer
{
    Q_OBJECT

public:
    explicit CRTSPSessionStreamer(Multimedia::CRTSPVideoStreamerLogic* streamerLogic);
    ~CRTSPSessionStreamer() override;

    Ulx::MultimediaTypes::StreamingState state() const override;
    void configure(const Source& source) override;
    void start() override;
    void stop() override;

private:
    Multimedia::CRTSPVideoStreamerLogic* m_streamerLogic = nullptr; // not owned
};

} // namespace Communication
} // namespace Ulx
