#pragma once
// The recording date and time of every frame as soft subtitles: one cue per run of consecutive frames that
// show the same date and time in the strip, none where either is the placeholder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "avi/dv_avi_reader.h"
#include "export/export_progress.h"
#include "export/subtitle_file.h"

namespace zv {

// Reads every frame of `reader` (open and indexed) and writes the cues to output through a temporary file,
// timed by the video stream's header. dateOrder: the DateFormat setting. cues: how many the file holds.
// Failure policy: a header without a frame rate, a frame that cannot be read or a failed write fail with
// `error` set; neither a failure nor a cancel leaves anything at output.
ExportOutcome WriteRecordingSubtitles(const CDvAviReader& reader, std::int32_t dateOrder, SubtitleFormat format,
                                      const std::string& output, IExportProgress* progress, std::size_t& cues,
                                      std::string& error);

}  // namespace zv
