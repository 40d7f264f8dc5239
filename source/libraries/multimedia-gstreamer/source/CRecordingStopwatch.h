#pragma once

#include <QElapsedTimer>

namespace Ulx {
namespace Multimedia {

// Measures a recording's running time: keeps counting through user pauses of the file
// (the operator sees wall-clock time), stops on pipeline pauses. Plain value object.
class CRecordingStopwatch
{
public:
    enum State { Stopped = 0, Running = 1, Paused = 2 };

    void start()
    {
        if (m_state == Running)
            return;
        if (m_state == Stopped)
            m_accumulated = 0;
        m_mark.start();
        m_state = Running;
    }

    void pause()
    {
        if (m_state != Running)
            return;
        m_accumulated += m_mark.elapsed();
        m_state = Paused;
    }

    void stop() { m_state = Stopped; }

    int elapsed() const
    {
        switch (m_state) {
        case Running:
            return int(m_accumulated + m_mark.elapsed());
        case Paused:
            return int(m_accumulated);
        default:
            return 0;
        }
    }

    State state() const { return m_state; }

private:
    QElapsedTimer m_mark;
    qint64 m_accumulated = 0;
    State m_state = Stopped;
};

} // namespace Multimedia
} // namespace Ulx
