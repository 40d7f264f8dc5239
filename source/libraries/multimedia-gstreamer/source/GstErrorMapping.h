#pragma once

#include "MultimediaTypes.h"

#include <QtGlobal>

namespace Ulx {
namespace GStreamer {

// The pipelines report their own failures with this domain (it matches no GError quark).
constexpr uint OwnErrorDomain = static_cast<uint>(-1);

// Turn a GStreamer error (GError quark and code) into the codes the user sees.
Ulx::MultimediaTypes::RecordingError recordingErrorFromGstError(uint domain, int code);
Ulx::MultimediaTypes::StreamingError streamingErrorFromGstError(uint domain, int code);

} // namespace GStreamer
} // namespace Ulx
