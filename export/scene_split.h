#pragma once
// The split of a file into its scenes, one file each, lossless: every frame chunk (and, in an AVI output,
// every sound chunk of the scene) is copied byte for byte. Planned first, so that every refusal (a file in
// the way, an output that is the input, too little room) comes before anything is written.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "avi/dv_avi_reader.h"
#include "export/avi_format.h"
#include "export/export_progress.h"
#include "export/scene_avi_writer.h"

namespace zv {

enum class SplitFormat { Avi, Dv };

// What a split writes when the user does not say: a raw DV input stays raw DV, every other input becomes AVI.
SplitFormat DefaultSplitFormat(const CDvAviReader& reader);

struct SceneFile {
    std::int32_t scene = 0;   // from 1
    std::int64_t firstFrame = 0;
    std::int64_t frames = 0;
    std::size_t audioBegin = 0, audioEnd = 0;   // the scene's sound chunks in the plan's list
    SceneTotals totals;
    std::uint64_t bytes = 0;   // the file's size (an upper bound for an OpenDML AVI)
    std::string path;
};

// "<name without extension>.<NNN>.<stamp>.<extension>": NNN the scene number in three digits or more.
std::string SceneFileName(const std::string& inputPath, std::int32_t scene, const std::string& stamp,
                          const char* extension);

class CSceneSplit {
public:
    using Outcome = ExportOutcome;

    // Plans one file per scene of `reader`, whose frame index and scene scan must be complete (it stays open
    // and is read through while writing). Failure policy: unreadable headers, a frame chunk that does not fit
    // the file or is larger than a DV frame may be, or an unusable sound stream fail with `error` set.
    bool Plan(const CDvAviReader& reader, const std::string& inputPath, const std::string& outputDir,
              SplitFormat format, std::string& error);
    const std::vector<SceneFile>& Files() const { return m_files; }
    std::uint64_t TotalBytes() const { return m_total; }

    // Refuses, naming it, an output that is the input, one that exists (unless force, and never a folder), an
    // output folder that is a file, or too little free space for all outputs.
    bool CheckOutputs(const std::string& inputPath, bool force, std::string& error) const;
    // The planned outputs already there as files, which writing would replace.
    std::vector<std::string> ExistingOutputs() const;
    // Creates the output folder (and its parents) when missing.
    bool MakeOutputDir(std::string& error) const;
    // Writes one planned file through a temporary; any failure or a cancel leaves no trace of it.
    Outcome Write(std::size_t index, IExportProgress* progress, std::string& error);
    // Writes every planned file in order, calling written(file) after each. A failure keeps the files
    // already complete (they are whole scenes) and names the one that failed in `error`; a cancel removes
    // every file this call wrote, so that a cancelled split leaves nothing of itself behind.
    Outcome WriteAll(IExportProgress* progress, const std::function<void(const SceneFile&)>& written,
                     std::string& error);

private:
    bool HeaderlessFormat(const CDvAviReader& reader, std::string& error);
    bool ReadFrameSizes(std::vector<std::uint32_t>& chunkIds, std::string& error);
    bool PlanScene(std::int32_t scene, std::int64_t first, std::int64_t end, const std::string& inputPath,
                   std::string& error);
    bool CopyChunk(std::uint8_t* room, std::int64_t data, std::uint32_t size, std::int64_t frame, std::string& error);
    std::string CopyFailure(const SceneFile& file, const CTemporaryOutput& out, std::int64_t frame) const;
    Outcome WriteChunks(const SceneFile& file, CTemporaryOutput& out, IExportProgress* progress, std::string& error);
    bool Advance(IExportProgress* progress, std::uint64_t frames);

    int m_fd = -1;
    const std::vector<std::int64_t>* m_offsets = nullptr;
    std::string m_outputDir;
    SplitFormat m_format = SplitFormat::Avi;
    AviFormat m_avi;
    std::uint32_t m_frameBytes = 0;   // the reader's FrameBytes: nonzero for frames without chunk headers
    std::vector<std::uint32_t> m_frameSizes;
    std::vector<bool> m_headerAsWritten;   // the frame's chunk header is the one the AVI output writes
    std::vector<AudioChunk> m_audio;
    std::vector<SceneFile> m_files;
    std::uint64_t m_total = 0;
    std::uint64_t m_done = 0;   // frames written in this run
};

}  // namespace zv
