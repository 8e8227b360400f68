#pragma once
// Pictures with detail for the benches: a moving test pattern encoded to DV by ffmpeg, which the fixture
// writer lays into its camcorder frames (tests/fixtures/dv_pictures.h). Real camera pictures cost about as
// much to decode; the fixture's own flat patches cost far less and would flatter every CPU figure.

#include "tests/fixtures/camcorder_clip.h"

#include <memory>
#include <string>

namespace bench {

// Encodes `frames` frames of the pattern for `system` into folder and loads them (the raw stream is removed
// again). Null, with the reason on stderr, when ffmpeg is missing or fails.
std::shared_ptr<const fixture::DvPictures> TestPatternPictures(const std::string& folder, fixture::DvSystem system,
                                                               int frames);

// A PAL clip with a sound stream, in scenes of 400 frames (a scene start every 16 seconds of material).
fixture::ClipOptions SceneClip(fixture::AviIndex index, int frames, bool sparse);

// WriteCamcorderClip with the pictures; exits the bench with a message when the clip cannot be written.
void WriteClipOrExit(const std::string& path, const fixture::ClipOptions& options);

}  // namespace bench
