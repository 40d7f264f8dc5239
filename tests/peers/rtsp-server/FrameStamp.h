#pragma once

#include <cstdint>

// Reads back the capture time that the RTSP peer draws into each frame with --stamp (see
// cx_rtsp_peer.c): 64 bits, most significant first, in two rows of 32 blocks of 16x16 luma
// pixels at the top left. Only the middle 8x8 pixels of a block are read, so the encoder's
// ringing at block edges does not matter; a block that is neither clearly dark nor clearly
// bright makes the frame unreadable.
namespace FrameStamp {

constexpr int Block = 16;
constexpr int BlocksPerRow = 32;
constexpr int Rows = 2;

// The monotonic time in microseconds (g_get_monotonic_time) of the frame's capture, or false.
inline bool read(const unsigned char* luma, int stride, int width, int height, uint64_t* stamp)
{
    if (!luma || width < Block * BlocksPerRow || height < Block * Rows || stride < width)
        return false;
    uint64_t value = 0;
    for (int bit = 0; bit < BlocksPerRow * Rows; ++bit) {
        const int left = (bit % BlocksPerRow) * Block + Block / 4;
        const int top = (bit / BlocksPerRow) * Block + Block / 4;
        int sum = 0;
        for (int row = 0; row < Block / 2; ++row)
            for (int column = 0; column < Block / 2; ++column)
                sum += luma[(top + row) * stride + left + column];
        const int mean = sum / (Block * Block / 4);
        if (mean > 80 && mean < 170)
            return false;
        value = (value << 1) | (mean >= 170 ? 1u : 0u);
    }
    *stamp = value;
    return true;
}

} // namespace FrameStamp
