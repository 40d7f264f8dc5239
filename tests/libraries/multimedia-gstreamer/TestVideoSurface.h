#pragma once

#include <QAbstractVideoSurface>
#include <QList>
#include <QVideoFrame>
#include <QVideoSurfaceFormat>

// A video surface that accepts planar YUV 4:2:0 and keeps count of what it was shown.
class TestVideoSurface : public QAbstractVideoSurface
{
    Q_OBJECT

public:
    QList<QVideoFrame::PixelFormat> supportedPixelFormats(
        QAbstractVideoBuffer::HandleType type = QAbstractVideoBuffer::NoHandle) const override
    {
        if (type != QAbstractVideoBuffer::NoHandle)
            return {};
        return { QVideoFrame::Format_YUV420P };
    }

    bool start(const QVideoSurfaceFormat& format) override
    {
        ++startCount;
        startedFormat = format;
        return QAbstractVideoSurface::start(format);
    }

    void stop() override
    {
        ++stopCount;
        QAbstractVideoSurface::stop();
    }

    bool present(const QVideoFrame& frame) override
    {
        ++frameCount;
        lastFrame = frame;
        emit framePresented();
        return true;
    }

    int startCount = 0;
    int stopCount = 0;
    int frameCount = 0;
    QVideoSurfaceFormat startedFormat;
    QVideoFrame lastFrame;

signals:
    void framePresented();
};
