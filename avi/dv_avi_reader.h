#pragma once
// The player's own read-only view of the file being played: its first header bytes, the frame index
// built from the AVI index chunks (a raw DV stream's from its frame size), and the scene starts found by
// reading every frame's recording time.
// Opened by the first scene command for a file, closed with the file.

#include "avi/dv_container.h"
#include "avi/file_io.h"
#include "avi/quicktime_index.h"
#include "avi/recording_marks.h"
#include "avi/scan_progress.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CDvAviReader {
public:
    static constexpr std::size_t kHeaderBytes = 164;
    static constexpr std::size_t kFrameBufferBytes = 12000;   // DIF sequence 0 of a frame

    CDvAviReader() = default;
    CDvAviReader(const CDvAviReader&) = delete;
    CDvAviReader& operator=(const CDvAviReader&) = delete;

    // Closes any open file, resets the per-file state and opens path, reading its first 164 bytes.
    // Returns true when the handle is open; false leaves the reader closed with errno preserved.
    bool Open(const char* path);
    // Closes the handle and empties both arrays, releasing their storage.
    void Close();
    bool IsOpen() const { return m_fd.Valid(); }

    // A raw DV stream: FrameOffsets is frame n at n x the frame size its first header block names (see
    // BuildRawDvIndex); a QuickTime movie: the first video track's frames (BuildQuickTimeDvIndex). Otherwise fills FrameOffsets from the OpenDML index of the first stream list, else from idx1. True at once
    // when already built; false at once without a handle. Failure policy: any read, seek or allocation
    // failure, a size or count larger than the rest of the file, a super index nested over two levels or
    // revisiting an index chunk, or no video entry at all fails the build without a message (entries
    // appended before the failure stay until Close). Before anything is reserved, the file's indexes must
    // pass CheckIndexClaims, the rule the playback graph applies too; the frames kept never exceed
    // MaxFrameListings of the file's size. A failure leaves its cause in IndexProblem.
    bool BuildIndex();
    // What the last failed BuildIndex found wrong, and where, in one sentence; empty after a success, before
    // any build, and when the cause was a failed system call (errno names that one).
    const std::string& IndexProblem() const { return m_indexProblem; }

    // Reads DIF sequence 0 of every indexed frame and records in SceneStarts each frame whose recorded
    // time jumps by two seconds or more, and in RecordingMarks each frame whose recorded second differs
    // from the frame before (frame 0 included). progress may be null. Failure policy: a seek or read failure
    // ends the scan silently with false; cancelling from the popup shows "Operation Cancelled" through
    // the owner and returns false; missing or invalid packs never fail a frame.
    bool ScanScenes(IScanProgress* progress);

    // True when the frame with these packs (5 bytes each, nullptr when missing) starts a new scene;
    // remembers its time for the next frame. The first frame of a scan never does.
    bool IsSceneBreak(const std::uint8_t* datePack, const std::uint8_t* timePack);

    // First scene start after frame, else the last frame.
    std::int64_t NextSceneStart(std::int64_t frame) const;
    // Last scene start before frame, else frame 0.
    std::int64_t PreviousSceneStart(std::int64_t frame) const;

    void SetOwner(IScanOwner* owner) { m_pOwner = owner; }
    const std::vector<std::int64_t>& FrameOffsets() const { return m_frameOffsets; }
    const std::vector<std::int32_t>& SceneStarts() const { return m_sceneStarts; }
    const std::vector<RecordingMark>& RecordingMarks() const { return m_recordingMarks; }
    bool Scanned() const { return m_bScanned; }
    // The wrapper Open found, and for a raw DV stream the system of its first frame.
    DvContainer Container() const { return m_container; }
    const DvFrameSystem& RawDvSystem() const { return m_rawSystem; }
    // The size of every frame when the wrapper gives one size for all (raw DV); 0 when each frame's own
    // chunk header says (AVI).
    std::uint32_t FrameBytes() const;
    // The system of a wrapper without DV headers of its own (raw DV, QuickTime): what an AVI file of the
    // same frames would state. Empty (rate 0) for AVI.
    DvFrameSystem FrameSystem() const;
    // A QuickTime movie's track after BuildIndex: system, sound, frame times and the frames its tables claim
    // (its own frameOffsets stay empty: the frames are in FrameOffsets).
    const QuickTimeDvIndex& QuickTimeTrack() const { return m_quickTime; }
    // Bytes after the last whole frame of a raw DV stream, left out of the index (a capture cut short).
    std::int64_t TrailingBytes() const { return m_nTrailingBytes; }
    std::uint32_t StreamChunkId() const { return m_nStreamChunkId; }
    std::int64_t MoviListPosition() const { return m_nMoviListPosition; }
    int Fd() const { return m_fd.Get(); }

private:
    struct IndexWalk;   // bounds of one BuildIndex run: the file size and the index chunks already read

    bool BuildRawDvIndex(std::int64_t fileSize);
    bool BuildQuickTimeIndex();
    bool WalkFirstStreamList(IndexWalk& walk);
    bool WalkTopLevel(IndexWalk& walk);
    bool SkipChunk(const IndexWalk& walk, std::int64_t distance);
    bool ReadOpenDmlIndex(IndexWalk& walk, std::int64_t position, int enclosingSuperIndexes);
    bool ReadStandardEntries(IndexWalk& walk, std::int64_t position, std::uint32_t count, std::int64_t base);
    bool ReadLegacyIndex(const IndexWalk& walk);
    bool CalibrateOffsets(std::int64_t base);
    bool ReadIndexEntries(const IndexWalk& walk, std::int64_t position, std::uint64_t count,
                          std::size_t entryBytes, const std::function<bool(const std::uint8_t*)>& visit);
    bool ReserveFrameOffsets(const IndexWalk& walk, std::size_t extra);
    bool Refuse(std::string problem);
    void FindScenePacks(const std::uint8_t*& datePack, const std::uint8_t*& timePack) const;
    bool IsSceneBreakAt(std::int64_t seconds);
    bool RecordFrame(std::int64_t frame, std::int64_t seconds);

    std::array<std::uint8_t, kHeaderBytes> m_header{};
    std::array<std::uint8_t, 24> m_indexHeader{};    // the OpenDML index header being read
    std::array<std::uint8_t, 8> m_chunkHeader{};     // id + 32-bit size of the chunk being walked
    std::array<std::uint8_t, kFrameBufferBytes> m_frame{};
    zv::UniqueFd m_fd;
    IScanOwner* m_pOwner = nullptr;
    DvContainer m_container = DvContainer::Avi;
    DvFrameSystem m_rawSystem{};
    std::int64_t m_nTrailingBytes = 0;
    QuickTimeDvIndex m_quickTime;
    std::uint32_t m_nStreamChunkId = 0;
    std::int64_t m_nMoviListPosition = 0;
    bool m_bScanned = false;
    bool m_bFirstFramePending = true;
    std::int64_t m_nPreviousTime = 0;
    std::vector<std::int64_t> m_frameOffsets;
    std::vector<std::int32_t> m_sceneStarts;
    std::vector<RecordingMark> m_recordingMarks;
    std::string m_indexProblem;
};

// Opens reader on path and builds its frame index, as the scene commands and the report do before reading
// frames. On failure errno names the cause for the error box: the system's code when a system call failed,
// else ENODATA (the file holds no usable index), never a stale code or the text for "no error"; the
// reader's IndexProblem then says what was wrong.
bool OpenAndIndex(CDvAviReader& reader, const char* path);
