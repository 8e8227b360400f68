// The scene-change scan: a scene is a run of frames recorded without a pause, so a jump of two seconds
// or more in the recorded date and time between consecutive frames starts a new one.

#include "avi/dv_avi_reader.h"

#include "avi/array_growth.h"
#include "avi/frame_read_ahead.h"
#include "avi/recording_time.h"
#include "dvmeta/dv_pack_layout.h"

#include <new>

namespace {

constexpr std::size_t kSceneStartStep = 50;
constexpr std::size_t kRecordingMarkStep = 1024;   // about 40 seconds of tape
constexpr std::int64_t kPumpInterval = 20;   // frames between message pumps while scanning

// The date and time packs lie in the subcode and VAUX blocks (DIF blocks 1 to 5) of the first DIF sequence,
// so only its first 480 bytes are read; the rest of the sequence must still be in the file.
constexpr std::size_t kScanBytes = 480;

static_assert(CDvAviReader::kFrameBufferBytes == kDifSequenceSize);
static_assert(kPackOffsets[kSubcodeVauxPackCount - 1] + kPackSize <= kScanBytes);

}  // namespace

void CDvAviReader::FindScenePacks(const std::uint8_t*& datePack, const std::uint8_t*& timePack) const
{
    zv::FindRecordingPacks(m_frame.data(), datePack, timePack);
}

bool CDvAviReader::IsSceneBreak(const std::uint8_t* datePack, const std::uint8_t* timePack)
{
    return IsSceneBreakAt(zv::RecordingSeconds(datePack, timePack));
}

bool CDvAviReader::IsSceneBreakAt(std::int64_t seconds)
{
    if (m_bFirstFramePending) {
        m_bFirstFramePending = false;
        m_nPreviousTime = seconds;
        return false;
    }
    const std::int64_t difference = seconds - m_nPreviousTime;
    m_nPreviousTime = seconds;
    return difference > 1 || difference < -1;
}

// The frame's second becomes a mark when it differs from the frame before, and a scene start when it jumps.
// False only when there is no memory left for either list.
bool CDvAviReader::RecordFrame(std::int64_t frame, std::int64_t seconds)
{
    const bool newSecond = m_bFirstFramePending || seconds != m_nPreviousTime;
    const bool sceneBreak = IsSceneBreakAt(seconds);
    // The index holds at most 2^31-1 frames.
    const auto index = static_cast<std::int32_t>(frame);
    try {
        if (newSecond) {
            zv::GrowInSteps(m_recordingMarks, 1, kRecordingMarkStep);
            m_recordingMarks.push_back({index, seconds});
        }
        if (sceneBreak) {
            zv::GrowInSteps(m_sceneStarts, 1, kSceneStartStep);
            m_sceneStarts.push_back(index);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CDvAviReader::ScanScenes(IScanProgress* progress)
{
    if (!IsOpen() || m_frameOffsets.empty())
        return false;
    zv::ReleaseStorage(m_sceneStarts);
    zv::ReleaseStorage(m_recordingMarks);
    m_bFirstFramePending = true;
    m_bScanned = false;   // until this scan reaches its end

    const int fd = m_fd.Get();
    const std::int64_t fileSize = zv::FileSize(fd);
    const auto frames = static_cast<std::int64_t>(m_frameOffsets.size());
    std::int64_t highestPercent = 0;
    CFrameReadAhead reader(fd, m_frameOffsets, kScanBytes);
    for (std::int64_t i = 0; i < frames; ++i) {
        // A frame whose first DIF sequence does not fit in the file ends the scan as a short read would.
        const std::int64_t offset = m_frameOffsets[static_cast<std::size_t>(i)];
        if (offset < 0 || fileSize < 0 || offset > fileSize - static_cast<std::int64_t>(kFrameBufferBytes)
            || !reader.Read(static_cast<std::size_t>(i), m_frame.data()))
            return false;

        const std::uint8_t* datePack = nullptr;
        const std::uint8_t* timePack = nullptr;
        FindScenePacks(datePack, timePack);
        if (!RecordFrame(i, zv::RecordingSeconds(datePack, timePack)))
            return false;

        if (progress != nullptr && frames > 1) {
            // The bar moves one step per rise of the whole percentage, so at most 100 times a scan.
            const std::int64_t percent = i * 100 / (frames - 1);
            if (percent > highestPercent) {
                highestPercent = percent;
                if (progress->WindowExists()) {
                    if (!progress->IsVisible())
                        progress->ShowNoActivate();
                    progress->StepPosition();
                }
            }
        }
        if (progress != nullptr && i % kPumpInterval == 0) {
            progress->PumpMessages(true);
            if (progress->IsCancelled()) {
                if (m_pOwner != nullptr)
                    m_pOwner->ShowErrorBox("Operation Cancelled", "Cancelled");
                return false;
            }
        }
    }
    if (progress != nullptr)
        progress->SetPosition(100);
    m_bScanned = true;
    return true;
}
