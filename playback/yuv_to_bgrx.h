#pragma once
// The decoder's own planar YUV straight to the 32-bit BGRx pixels the window's backing store holds, one row
// segment at a time, so a frame is converted once, into its place on the screen, and only where it shows.
// The arithmetic is the colour converter's own fixed-point BT.601 formula without chroma resampling: each
// chroma sample covers its pixels as it stands, so the pixels are the ones the converter would give.

#include <cstdint>

namespace yuv {

// How the chroma planes sit under the luma: 4:2:0 (PAL DV), 4:1:1 (NTSC DV).
enum class Sampling : std::uint8_t { Yuv420, Yuv411 };

struct Planes {
    const std::uint8_t* y = nullptr;
    const std::uint8_t* u = nullptr;
    const std::uint8_t* v = nullptr;
    int strideY = 0;
    int strideU = 0;
    int strideV = 0;
    Sampling sampling = Sampling::Yuv420;
    bool interlaced = false;   // 4:2:0 only: each field has chroma rows of its own
};

// The chroma row that luma row y uses.
int ChromaRow(const Planes& planes, int y);

// Columns [x, x + count) of row y, into out[0 .. count) as 0xFFRRGGBB.
void ConvertRow(const Planes& planes, int y, int x, int count, std::uint32_t* out);

// One pixel, by the same formula (what a row of width one gives).
std::uint32_t ConvertPixel(int y, int u, int v);

}  // namespace yuv
