#pragma once

#include <QObject>

namespace Ulx {

// Enumerations of the live video, local recording, playback and stream configuration. The
// values are stored, cross queued connections and reach QML: never renumber them.
class MultimediaTypes
{
    Q_GADGET

public:
    enum PlaybackState
    {
        PlaybackStopped = 0,
        PlaybackBuffering = 1,
        PlaybackRunning = 2,
        PlaybackPaused = 3,
        PlaybackStopping = 4
    };
    Q_ENUM(PlaybackState)

    enum PlaybackError
    {
        PlaybackErrorNone = 0,
        PlaybackErrorInternal = 1,
        PlaybackErrorImageCaptureFileAccess = 2,
        PlaybackErrorImageCaptureInternal = 3
    };
    Q_ENUM(PlaybackError)

    enum RecordingState
    {
        RecordingStopped = 0,
        RecordingStarting = 1,
        RecordingRunning = 2,
        RecordingPaused = 3,
        RecordingEnding = 4
    };
    Q_ENUM(RecordingState)

    enum RecordingError
    {
        RecordingErrorNone = 0,
        RecordingErrorInternal = 1,
        RecordingErrorFileAccess = 2
    };
    Q_ENUM(RecordingError)

    enum StreamingState
    {
        StreamingStopped = 0,
        StreamingStarting = 1,
        StreamingRunning = 2,
        StreamingStopping = 3,
        StreamingPaused = 4,
        StreamingResuming = 5
    };
    Q_ENUM(StreamingState)

    enum StreamingError
    {
        StreamingErrorNone = 0,
        StreamingErrorInternal = 1,
        StreamingErrorConnection = 2,
        StreamingErrorInvalidStreamFormat = 3,
        StreamingErrorImageCaptureFileAccess = 4,
        StreamingErrorCorruptedStreamData = 5,
        StreamingErrorImageCaptureInternal = 6
    };
    Q_ENUM(StreamingError)

    enum ImageOutputFormat
    {
        ImageOutputFormatInvalid = 0,
        ImageOutputFormatPNG = 1,
        ImageOutputFormatJPEG = 2
    };
    Q_ENUM(ImageOutputFormat)

    enum VideoConfig
    {
        VideoConfigInvalid = 0,
        VideoConfigPAL25FPS = 1,
        VideoConfigNTSC30FPS = 2,
        VideoConfig720P15FPS = 3,
        VideoConfig720P25FPS = 4,
        VideoConfig720P29_97FPS = 5,
        VideoConfig720P30FPS = 6,
        VideoConfig720P60FPS = 7,
        VideoConfig1080P15FPS = 8,
        VideoConfig1080P25FPS = 9,
        VideoConfig1080P29_97FPS = 10,
        VideoConfig1080P30FPS = 11,
        VideoConfig1080P60FPS = 12,
        VideoConfig1440P30FPS = 13
    };
    Q_ENUM(VideoConfig)

    enum VideoResolution
    {
        VideoResolutionUnknown = 0,
        VideoResolutionPAL = 1,
        VideoResolutionNTSC = 2,
        VideoResolution720P = 3,
        VideoResolution1080P = 4,
        VideoResolution1440P = 5
    };
    Q_ENUM(VideoResolution)

    enum PhotoResolution
    {
        PhotoResolutionUnknown = 0,
        PhotoResolution3MP = 1,
        PhotoResolution6MP = 2,
        PhotoResolution8MP = 3
    };
    Q_ENUM(PhotoResolution)

    enum StreamConfigError
    {
        StreamConfigErrorNone = 0,
        StreamConfigErrorInternal = 1,
        StreamConfigErrorInvalidConfig = 2,
        StreamConfigErrorTimeOut = 3,
        StreamConfigErrorAuthentication = 4
    };
    Q_ENUM(StreamConfigError)

    // Registers the enumerations for queued connections; safe to call more than once.
    static void registerMetaTypes();
};

} // namespace Ulx
