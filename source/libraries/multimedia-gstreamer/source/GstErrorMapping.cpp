#include "GstErrorMapping.h"

#include <gst/gst.h>

namespace Ulx {
namespace GStreamer {

namespace {

bool isOpenError(int code)
{
    return code == GST_RESOURCE_ERROR_OPEN_READ || code == GST_RESOURCE_ERROR_OPEN_WRITE
           || code == GST_RESOURCE_ERROR_OPEN_READ_WRITE;
}

// A full drive or a failed write is the file's fault as much as one that cannot be opened.
bool isFileError(int code)
{
    return isOpenError(code) || code == GST_RESOURCE_ERROR_WRITE || code == GST_RESOURCE_ERROR_NO_SPACE_LEFT;
}

} // namespace

Ulx::MultimediaTypes::RecordingError recordingErrorFromGstError(uint domain, int code)
{
    if (domain == GST_RESOURCE_ERROR && isFileError(code))
        return Ulx::MultimediaTypes::RecordingErrorFileAccess;
    return Ulx::MultimediaTypes::RecordingErrorInternal;
}

Ulx::MultimediaTypes::StreamingError streamingErrorFromGstError(uint domain, int code)
{
    if (domain == GST_RESOURCE_ERROR)
        return isOpenError(code) ? Ulx::MultimediaTypes::StreamingErrorConnection
                                 : Ulx::MultimediaTypes::StreamingErrorInternal;
    if (domain == GST_STREAM_ERROR) {
        if (code == GST_STREAM_ERROR_WRONG_TYPE || code == GST_STREAM_ERROR_FORMAT)
            return Ulx::MultimediaTypes::StreamingErrorInvalidStreamFormat;
        if (code == GST_STREAM_ERROR_DECODE || code == GST_STREAM_ERROR_DEMUX)
            return Ulx::MultimediaTypes::StreamingErrorCorruptedStreamData;
    }
    return Ulx::MultimediaTypes::StreamingErrorInternal;
}

} // namespace GStreamer
} // namespace Ulx
