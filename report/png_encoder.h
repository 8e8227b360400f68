#pragma once
// The report's PNG encoder: 8-bit RGB, every row filtered against the row above it, deflated at zlib's
// fastest level. Qt's own writer tries each of the five filters on every row and deflates at the default
// level, which for a full-size picture took longer than loading, decoding and painting the frame together.

#include <cstdint>
#include <vector>

class QImage;

// The bytes of a PNG file of image's pixels (alpha dropped). Empty for a null image, one of more than
// 2^28 bytes of pixels, or when memory runs out.
std::vector<std::uint8_t> EncodePng(const QImage& image);
