#pragma once

#include "CImageMetaData.h"
#include "MultimediaTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace Ulx {
namespace Multimedia {
class CVideoStreamer;
} // namespace Multimedia
} // namespace Ulx

// The live video stream, for QML. videoSurfaceSink is what the QML VideoOutput shows (its source).
// Holds only the (not owned) facade; the namespace object that made it deletes it. GUI thread.
class CQmlVideoStreamer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::MultimediaTypes::StreamingState state READ state NOTIFY stateChanged)
    Q_PROPERTY(QObject* videoSurfaceSink READ videoSurfaceSink NOTIFY videoSurfaceSinkChanged)
    Q_PROPERTY(
        bool videoOutputEnabled READ videoOutputEnabled WRITE setVideoOutputEnabled NOTIFY videoOutputEnabledChanged)
    // A photo is being taken and stored: the photo button waits for it.
    Q_PROPERTY(bool imageCaptureInProgress READ imageCaptureInProgress NOTIFY imageCaptureInProgressChanged)

public:
    explicit CQmlVideoStreamer(Ulx::Multimedia::CVideoStreamer* facade);
    ~CQmlVideoStreamer() override;

    Ulx::MultimediaTypes::StreamingState state() const;
    QObject* videoSurfaceSink() const;
    bool videoOutputEnabled() const;
    void setVideoOutputEnabled(bool value);
    bool imageCaptureInProgress() const;

    Q_INVOKABLE void pause();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void captureImage(const QString& fileName, const Ulx::Multimedia::CImageMetaData& metaData);
    Q_INVOKABLE void cancelImageCapture();

signals:
    void videoSurfaceSinkChanged();
    void videoOutputEnabledChanged();
    void stateChanged();
    void imageCaptured(QString fileName);
    void imageCaptureInProgressChanged();

private:
    QPointer<Ulx::Multimedia::CVideoStreamer> m_facade;
};
