#pragma once

#include "communication/CAbstractSessionStreamer.h"

#include <QMetaObject>

// A video streamer whose stream the test scripts: a start runs (one turn after Starting), fails
// back to Stopped, or stays Starting; the stream can break on request.
class CStubSessionStreamer : public Ulx::Communication::CAbstractSessionStreamer
{
    Q_OBJECT

public:
    enum StartOutcome
    {
        StartRuns,
        StartFails,
        StartHangs
    };

    StartOutcome startOutcome = StartRuns;
    int startCount = 0;
    int stopCount = 0;
    int configureCount = 0;
    Source lastSource;

    Ulx::MultimediaTypes::StreamingState state() const override { return m_state; }

    void configure(const Source& source) override
    {
        ++configureCount;
        lastSource = source;
    }

    void start() override
    {
        ++startCount;
        if (m_state != Ulx::MultimediaTypes::StreamingStopped)
            return;
        setStreamingState(Ulx::MultimediaTypes::StreamingStarting);
        if (startOutcome == StartHangs)
            return;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                if (m_state != Ulx::MultimediaTypes::StreamingStarting)
                    return;
                setStreamingState(startOutcome == StartRuns ? Ulx::MultimediaTypes::StreamingRunning
                                                            : Ulx::MultimediaTypes::StreamingStopped);
            },
            Qt::QueuedConnection);
    }

    void stop() override
    {
        ++stopCount;
        setStreamingState(Ulx::MultimediaTypes::StreamingStopped);
    }

    // The stream breaks.
    void breakStream() { setStreamingState(Ulx::MultimediaTypes::StreamingStopped); }

    void setStreamingState(Ulx::MultimediaTypes::StreamingState state)
    {
        if (state == m_state)
            return;
        m_state = state;
        emit stateChanged();
    }

private:
    Ulx::MultimediaTypes::StreamingState m_state = Ulx::MultimediaTypes::StreamingStopped;
};
