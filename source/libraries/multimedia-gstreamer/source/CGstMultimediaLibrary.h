#pragma once

namespace Ulx {
namespace GStreamer {

// Process-wide set-up of the GStreamer layer; static members only.
class CGstMultimediaLibrary
{
public:
    // Initialises GStreamer with the program's arguments (it may consume its own options) and
    // registers the multimedia meta-types. Call once at start, before any pipeline exists.
    static bool initialize(int* argc, char*** argv);
    // GStreamer is deliberately not de-initialised: pipelines may still be torn down late.
    static void finalize();
    // Ranks "avdec_h264" above (512) or below (128) the hardware decoders, so that automatic
    // decoder selection picks or skips it. Nothing happens when the decoder is not installed.
    static void setAlwaysUseSoftwareDecoding(bool enabled);

    static constexpr int SoftwareDecoderPreferredRank = 512;
    static constexpr int SoftwareDecoderDefaultRank = 128;

private:
    CGstMultimediaLibrary() = delete;
};

} // namespace GStreamer
} // namespace Ulx
