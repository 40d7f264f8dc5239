#pragma once

#include <QObject>

namespace Ulx {

// Enumerations of the camera-side capture and the camera's media storage. The values cross
// queued connections and reach QML: never renumber them.
class RemoteMediaTypes
{
    Q_GADGET

public:
    // Milliseconds: a running recording's length or the recording time left on the camera.
    using RecordingTime = quint32;

    enum CaptureState
    {
        CaptureStopped = 0,
        CaptureStarting = 1,
        CaptureRunning = 2,
        CaptureStopping = 3
    };
    Q_ENUM(CaptureState)

    enum CaptureError
    {
        CaptureErrorNone = 0,
        CaptureErrorInternal = 1,
        CaptureErrorNetwork = 2
    };
    Q_ENUM(CaptureError)

    enum CaptureMode
    {
        CaptureModeInvalid = 0,
        CaptureModeVideo = 1,
        CaptureModePhoto = 2
    };
    Q_ENUM(CaptureMode)

    enum MediaStorageState
    {
        MediaStorageReady = 0,
        MediaStorageAlmostFull = 1,
        MediaStorageFull = 2,
        MediaStorageNotAvailable = 3,
        MediaStorageError = 4
    };
    Q_ENUM(MediaStorageState)

    enum FileListState
    {
        FileListStateReady = 0,
        FileListStateError = 1,
        FileListStateUpdating = 2
    };
    Q_ENUM(FileListState)

    enum FileType
    {
        FileTypeUnknown = 0,
        FileTypePhoto = 1,
        FileTypeVideo = 2
    };
    Q_ENUM(FileType)

    // Registers the enumerations for queued connections; safe to call more than once.
    static void registerMetaTypes();
};

} // namespace Ulx
