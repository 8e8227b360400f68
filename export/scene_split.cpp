#include "export/scene_split.h"

#include "export/headerless_format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "avi/file_io.h"
#include "avi/file_name.h"
#include "avi/last_error.h"
#include "avi/recording_time.h"
#include "export/avi_format.h"
#include "export/frame_chunk.h"
#include "export/output_check.h"
#include "export/recording_stamp.h"
#include "export/temporary_output.h"

namespace zv {

SplitFormat DefaultSplitFormat(const CDvAviReader& reader)
{
    return reader.Container() == DvContainer::RawDv ? SplitFormat::Dv : SplitFormat::Avi;
}

namespace {

constexpr std::size_t kOutputBuffer = 4u << 20;   // gathered per write: a few dozen frames
constexpr std::size_t kStampBytes = 480;          // the subcode and VAUX blocks of DIF sequence 0
constexpr std::uint64_t kSoundChunksPerFrame = 16;
constexpr std::uint64_t kSoundChunksWhateverTheSize = 65536;

std::string WriteFailure(const std::string& path)
{
    return LastErrorMessage(("Unable to write " + path).c_str());
}

// The folder itself when it exists, else its nearest existing parent: where the free space is counted.
std::string ExistingFolder(std::string folder)
{
    struct stat info {};
    while (!folder.empty() && ::stat(folder.c_str(), &info) != 0) {
        const std::size_t slash = folder.find_last_of('/');
        folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : folder.substr(0, slash);
    }
    return folder.empty() ? "." : folder;
}

}  // namespace

std::string SceneFileName(const std::string& inputPath, std::int32_t scene, const std::string& stamp,
                          const char* extension)
{
    std::string name = FileNameFromPath(inputPath.c_str());
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    char number[16];
    std::snprintf(number, sizeof number, "%03d", static_cast<int>(scene));
    return name + "." + number + "." + stamp + "." + extension;
}

bool CSceneSplit::Plan(const CDvAviReader& reader, const std::string& inputPath, const std::string& outputDir,
                       SplitFormat format, std::string& error)
{
    m_fd = reader.Fd();
    m_offsets = &reader.FrameOffsets();
    m_outputDir = outputDir;
    m_format = format;
    m_files.clear();
    m_total = 0;
    std::string problem;
    m_frameBytes = reader.FrameBytes();
    std::vector<std::uint32_t> chunkIds;   // the frame chunks' ids, until the output's is known
    if (!ReadFrameSizes(chunkIds, error))
        return false;
    if (format == SplitFormat::Avi && m_frameBytes != 0) {
        if (!HeaderlessFormat(reader, error))
            return false;
    } else if (format == SplitFormat::Avi && !ReadAviFormat(m_fd, reader.StreamChunkId(), m_avi, problem)) {
        error = "Unable to read the headers of the AVI file\n\n" + problem;
        return false;
    }
    // A chunk the AVI output would write with the same header and no pad byte is copied whole.
    m_headerAsWritten.assign(m_offsets->size(), false);
    for (std::size_t i = 0; i < chunkIds.size(); ++i)
        m_headerAsWritten[i] = format == SplitFormat::Avi && chunkIds[i] == m_avi.video.chunkId && m_frameSizes[i] % 2 == 0;
    m_audio.clear();
    if (format == SplitFormat::Avi && m_avi.hasAudio) {
        const std::uint64_t most = kSoundChunksPerFrame * m_offsets->size() + kSoundChunksWhateverTheSize;
        errno = 0;
        if (!FindAudioChunks(m_fd, m_avi.audio.chunkId, *m_offsets, static_cast<std::size_t>(most), m_audio, problem)) {
            error = "Unable to read the sound of the AVI file\n\n" + (problem.empty() ? GetLastErrorText() : problem);
            return false;
        }
        std::stable_sort(m_audio.begin(), m_audio.end(),
                         [](const AudioChunk& a, const AudioChunk& b) { return a.afterFrame < b.afterFrame; });
    }
    const std::vector<std::int32_t>& starts = reader.SceneStarts();
    const auto frames = static_cast<std::int64_t>(m_offsets->size());
    for (std::size_t k = 0; k <= starts.size(); ++k) {
        const std::int64_t first = k == 0 ? 0 : starts[k - 1];
        const std::int64_t end = k < starts.size() ? starts[k] : frames;
        if (!PlanScene(static_cast<std::int32_t>(k + 1), first, end, inputPath, error))
            return false;
    }
    return true;
}

// Frames that came without AVI headers get those of a type-1 file, made from the first frame's packs.
bool CSceneSplit::HeaderlessFormat(const CDvAviReader& reader, std::string& error)
{
    std::vector<std::uint8_t> first(m_frameBytes);
    errno = 0;
    if (m_offsets->empty() || !ReadExactAt(m_fd, first.data(), first.size(), m_offsets->front())) {
        error = FrameReadFailure(0, "The file ends inside the frame.");
        return false;
    }
    m_avi = HeaderlessAviFormat(first.data(), first.size(), reader.FrameSystem());
    return true;
}

bool CSceneSplit::ReadFrameSizes(std::vector<std::uint32_t>& chunkIds, std::string& error)
{
    if (m_frameBytes != 0) {   // one size for every frame, each within the file by the frame index
        m_frameSizes.assign(m_offsets->size(), m_frameBytes);
        return true;
    }
    const std::int64_t fileSize = FileSize(m_fd);
    m_frameSizes.assign(m_offsets->size(), 0);
    chunkIds.assign(m_offsets->size(), 0);
    for (std::size_t i = 0; i < m_offsets->size(); ++i)
        if (!ReadFrameChunkSize(m_fd, (*m_offsets)[i], fileSize, static_cast<std::int64_t>(i), m_frameSizes[i], error,
                                &chunkIds[i]))
            return false;
    return true;
}

bool CSceneSplit::PlanScene(std::int32_t scene, std::int64_t first, std::int64_t end, const std::string& inputPath,
                            std::string& error)
{
    SceneFile file;
    file.scene = scene;
    file.firstFrame = first;
    file.frames = end - first;
    const auto byFrame = [](const AudioChunk& chunk, std::int64_t frame) { return chunk.afterFrame < frame; };
    file.audioBegin = scene == 1 ? 0 : static_cast<std::size_t>(
                          std::lower_bound(m_audio.begin(), m_audio.end(), first, byFrame) - m_audio.begin());
    file.audioEnd = static_cast<std::size_t>(std::lower_bound(m_audio.begin(), m_audio.end(), end, byFrame) - m_audio.begin());

    SceneTotals& t = file.totals;
    t.frames = static_cast<std::uint32_t>(file.frames);
    std::uint64_t frameBytes = 0;
    for (std::int64_t i = first; i < end; ++i) {
        const std::uint32_t size = m_frameSizes[static_cast<std::size_t>(i)];
        frameBytes += size;
        t.chunkBytes += 8 + Padded(size);
        t.largestFrame = std::max(t.largestFrame, size);
    }
    for (std::size_t a = file.audioBegin; a < file.audioEnd; ++a) {
        ++t.audioChunks;
        t.audioBytes += m_audio[a].size;
        t.chunkBytes += 8 + Padded(m_audio[a].size);
        t.largestAudio = std::max(t.largestAudio, m_audio[a].size);
    }
    file.bytes = m_format == SplitFormat::Dv ? frameBytes : CSceneAviWriter::PlannedBytes(m_avi, t);

    std::uint8_t packs[kStampBytes];
    errno = 0;
    if (!ReadExactAt(m_fd, packs, sizeof packs, (*m_offsets)[static_cast<std::size_t>(first)])) {
        error = FrameReadFailure(first, "The file ends inside the frame.");
        return false;
    }
    const std::uint8_t* date = nullptr;
    const std::uint8_t* time = nullptr;
    FindRecordingPacks(packs, date, time);
    const std::string name = SceneFileName(inputPath, scene, StampForFileName(ReadRecordingStamp(date, time)),
                                           m_format == SplitFormat::Dv ? "dv" : "avi");
    const bool slash = !m_outputDir.empty() && m_outputDir.back() == '/';
    file.path = m_outputDir + (slash ? "" : "/") + name;
    m_total += file.bytes;
    m_files.push_back(std::move(file));
    return true;
}

bool CSceneSplit::CheckOutputs(const std::string& inputPath, bool force, std::string& error) const
{
    struct stat info {};
    if (::stat(m_outputDir.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        error = "Unable to write into " + m_outputDir + "\n\nIt is a file, not a folder.";
        return false;
    }
    for (const SceneFile& file : m_files)
        if (!CheckOutputFile(inputPath, file.path, force, "output folder", error))
            return false;
    const std::string folder = ExistingFolder(m_outputDir);
    struct statvfs space {};
    if (::statvfs(folder.c_str(), &space) == 0) {
        const std::uint64_t available = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
        if (available < m_total) {
            error = "Unable to write into " + m_outputDir + "\n\nThe scenes need " + std::to_string(m_total)
                  + " bytes; the disk has " + std::to_string(available) + " free.";
            return false;
        }
    }
    return true;
}

std::vector<std::string> CSceneSplit::ExistingOutputs() const
{
    std::vector<std::string> existing;
    for (const SceneFile& file : m_files)
        if (OutputFileExists(file.path))
            existing.push_back(file.path);
    return existing;
}

bool CSceneSplit::MakeOutputDir(std::string& error) const
{
    for (std::size_t at = 1; at <= m_outputDir.size(); ++at) {
        if (at < m_outputDir.size() && m_outputDir[at] != '/')
            continue;
        const std::string folder = m_outputDir.substr(0, at);
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
            error = LastErrorMessage(("Unable to create the folder " + folder).c_str());
            return false;
        }
    }
    return true;
}

CSceneSplit::Outcome CSceneSplit::Write(std::size_t index, IExportProgress* progress, std::string& error)
{
    const SceneFile& file = m_files[index];
    if (index == 0)
        m_done = 0;
    CTemporaryOutput out;
    if (!out.Create(file.path, kOutputBuffer)) {
        error = WriteFailure(file.path);
        return Outcome::Failed;
    }
    const Outcome outcome = WriteChunks(file, out, progress, error);
    if (outcome != Outcome::Written)
        return outcome;   // the temporary goes with `out`
    if (!out.Commit()) {
        error = CopyFailure(file, out, file.firstFrame + file.frames - 1);
        return Outcome::Failed;
    }
    return Outcome::Written;
}

CSceneSplit::Outcome CSceneSplit::WriteAll(IExportProgress* progress,
                                           const std::function<void(const SceneFile&)>& written, std::string& error)
{
    for (std::size_t k = 0; k < m_files.size(); ++k) {
        const Outcome outcome = Write(k, progress, error);
        if (outcome == Outcome::Cancelled)
            for (std::size_t done = 0; done < k; ++done)
                ::unlink(m_files[done].path.c_str());
        if (outcome != Outcome::Written)
            return outcome;
        if (written)
            written(m_files[k]);
    }
    return Outcome::Written;
}

CSceneSplit::Outcome CSceneSplit::WriteChunks(const SceneFile& file, CTemporaryOutput& out, IExportProgress* progress,
                                              std::string& error)
{
    const bool avi = m_format == SplitFormat::Avi;
    CSceneAviWriter writer(out, m_avi);
    if (avi && !writer.Begin(file.totals)) {
        error = WriteFailure(file.path);
        return Outcome::Failed;
    }
    // Chunks the input holds as the output has them go over in the kernel, runs of them at a time; the others
    // are read straight into the room the output gives them.
    auto copy = [&](bool audio, std::int64_t data, std::uint32_t size, std::int64_t frame, bool asWritten) {
        if (!avi || asWritten) {
            if (avi ? writer.CopyChunk(audio, size, m_fd, data - 8) : out.CopyFrom(m_fd, data, size))
                return true;
            error = CopyFailure(file, out, frame);
            return false;
        }
        std::uint8_t* room = writer.AddChunk(audio, size);
        if (room == nullptr) {
            error = CopyFailure(file, out, frame);
            return false;
        }
        return CopyChunk(room, data, size, frame, error);
    };
    std::size_t a = file.audioBegin;
    for (; a < file.audioEnd && m_audio[a].afterFrame < file.firstFrame; ++a)
        if (!copy(true, m_audio[a].data, m_audio[a].size, file.firstFrame, m_audio[a].size % 2 == 0))
            return Outcome::Failed;
    for (std::int64_t i = file.firstFrame; i < file.firstFrame + file.frames; ++i) {
        const auto frame = static_cast<std::size_t>(i);
        if (!copy(false, (*m_offsets)[frame], m_frameSizes[frame], i, m_headerAsWritten[frame]))
            return Outcome::Failed;
        for (; a < file.audioEnd && m_audio[a].afterFrame == i; ++a)
            if (!copy(true, m_audio[a].data, m_audio[a].size, i, m_audio[a].size % 2 == 0))
                return Outcome::Failed;
        if (!Advance(progress, 1))
            return Outcome::Cancelled;
    }
    if (avi && !writer.Finish()) {
        error = CopyFailure(file, out, file.firstFrame + file.frames - 1);
        return Outcome::Failed;
    }
    return Outcome::Written;
}

// A failed write names the output; a copy that found the input shorter than planned (or unreadable) names
// the frame there.
std::string CSceneSplit::CopyFailure(const SceneFile& file, const CTemporaryOutput& out, std::int64_t frame) const
{
    if (!out.SourceFailed())
        return WriteFailure(file.path);
    for (std::int64_t i = file.firstFrame; i < file.firstFrame + file.frames; ++i) {
        const std::int64_t data = (*m_offsets)[static_cast<std::size_t>(i)];
        if (out.SourceFailedAt() >= data - 8 && out.SourceFailedAt() < data + m_frameSizes[static_cast<std::size_t>(i)])
            frame = i;
    }
    return FrameReadFailure(frame, "The file ends inside the frame.");
}

bool CSceneSplit::CopyChunk(std::uint8_t* room, std::int64_t data, std::uint32_t size, std::int64_t frame,
                            std::string& error)
{
    errno = 0;
    if (size > 0 && !ReadExactAt(m_fd, room, size, data)) {
        error = FrameReadFailure(frame, "The file ends inside the frame.");
        return false;
    }
    return true;
}

bool CSceneSplit::Advance(IExportProgress* progress, std::uint64_t frames)
{
    m_done += frames;
    return progress == nullptr || progress->Advance(m_done, m_offsets->size());
}

}  // namespace zv
