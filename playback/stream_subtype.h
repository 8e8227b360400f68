#pragma once
// The media subtype the AVI splitter gives the first stream: a video stream's compression code
// (biCompression), an interleaved stream's handler (fccHandler). GStreamer's DV caps look the same for
// every DV code, so the builder reads it from the file itself.

#include "avi/stream_info.h"

#include <cstdint>

// From the open file fd; 0 when the file cannot be read that far.
std::uint32_t FirstStreamSubtype(int fd, const FirstStreamInfo& info);
