// Files of many gigabytes, written sparse (only each frame's first DIF sequence is on disk): a 13 GB OpenDML
// file of 90,000 PAL frames in several RIFF forms, and a 2 GB file indexed by idx1 alone. Both are indexed and
// scanned completely and play after a seek far into the file. One frame near the end of each is written in
// full so the decoded picture can say which frame it is.

#include "avi/dv_avi_check.h"
#include "avi/dv_avi_reader.h"
#include "playback/appsink_renderer.h"
#include "playback/playback_graph.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/frame_identity.h"
#include "tests/hardening/hostile_cases.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

using namespace fixture;

namespace {

constexpr std::uint64_t kFreeSpaceNeeded = 20ull << 30;

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct HugeCase {
    const char* name;
    AviIndex index;
    AviLayout layout;
    std::vector<Scene> scenes;
    std::int64_t shownFrame;   // written in full, sought and checked in the picture
    std::int64_t minimumSize;
};

std::int64_t Sum(const std::vector<Scene>& scenes)
{
    std::int64_t total = 0;
    for (const Scene& s : scenes)
        total += s.frames;
    return total;
}

class HugeFiles : public testing::TestWithParam<HugeCase> {};

TEST_P(HugeFiles, IndexedScannedAndPlayedFarIntoTheFile)
{
    QTemporaryDir folder;
    struct statvfs disk {};
    ASSERT_EQ(::statvfs(folder.path().toLocal8Bit().constData(), &disk), 0);
    const std::uint64_t available = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
    if (available < kFreeSpaceNeeded)
        GTEST_SKIP() << "only " << (available >> 30) << " GiB free where the temporary files go; 20 GiB are needed";

    const HugeCase c = GetParam();
    ClipOptions clip;
    clip.layout = c.layout;
    clip.index = c.index;
    clip.scenes = c.scenes;
    clip.sparse = true;
    const std::string path = folder.filePath(QString(c.name) + ".avi").toStdString();

    auto start = std::chrono::steady_clock::now();
    AviWriteResult layout;
    std::string error;
    ASSERT_TRUE(WriteDvAvi(path, ClipWriterOptions(clip), MakeCamcorderFrameSource(clip), &layout, &error)) << error;
    {
        // The shown frame in full, over its hole.
        std::vector<std::uint8_t> frame;
        ASSERT_TRUE(MakeCamcorderFrameSource(clip)(c.shownFrame, SIZE_MAX, frame));
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, frame.data(), frame.size(), layout.videoChunks[c.shownFrame] + 8),
                  static_cast<ssize_t>(frame.size()));
        ::close(fd);
    }
    const double writeSeconds = Since(start);
    ASSERT_GE(static_cast<std::int64_t>(layout.fileSize), c.minimumSize);
    const std::int64_t frames = Sum(c.scenes);

    start = std::chrono::steady_clock::now();
    ASSERT_EQ(CheckDvAviFile(path.c_str()), Recognised);
    CDvAviReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.BuildIndex());
    const double indexSeconds = Since(start);
    ASSERT_EQ(static_cast<std::int64_t>(reader.FrameOffsets().size()), frames);
    for (std::int64_t n = 0; n < frames; ++n)
        ASSERT_EQ(reader.FrameOffsets()[static_cast<std::size_t>(n)], layout.videoChunks[static_cast<std::size_t>(n)] + 8)
            << "frame " << n;

    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(reader.ScanScenes(nullptr));
    const double scanSeconds = Since(start);
    std::vector<std::int32_t> expected;
    for (std::int64_t s : SceneStartFrames(clip))
        if (s > 0)
            expected.push_back(static_cast<std::int32_t>(s));
    EXPECT_EQ(reader.SceneStarts(), expected);
    bool beyond4GiB = false;
    for (std::int32_t s : reader.SceneStarts())
        beyond4GiB = beyond4GiB || reader.FrameOffsets()[static_cast<std::size_t>(s)] > (std::int64_t{1} << 32);
    EXPECT_TRUE(beyond4GiB || c.index != AviIndex::OpenDml) << "no scene start beyond 4 GiB was found";
    reader.Close();

    start = std::chrono::steady_clock::now();
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    ASSERT_EQ(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError << " / " << graph.ErrorDetail();
    ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
    const double buildSeconds = Since(start);
    std::int64_t count = 0;
    ASSERT_EQ(graph.GetFrameCount(&count), S_OK);
    EXPECT_EQ(count, frames);
    start = std::chrono::steady_clock::now();
    ASSERT_EQ(graph.SeekToFrame(c.shownFrame), S_OK) << graph.m_szError;
    const double seekSeconds = Since(start);
    std::int64_t current = -1;
    ASSERT_EQ(graph.GetCurrentFrame(&current), S_OK);
    EXPECT_EQ(current, c.shownFrame);
    auto* video = dynamic_cast<CAppSinkRenderer*>(graph.m_pVideoWC9.get());
    ASSERT_NE(video, nullptr);
    QImage picture;
    ASSERT_TRUE(video->CurrentImage(picture));
    ASSERT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(DecodedFrameIdentity(picture.constBits(), picture.width(), picture.height(),
                                   static_cast<std::size_t>(picture.bytesPerLine()), PixelLayout::Rgbx32),
              static_cast<int>(c.shownFrame));

    std::printf("[huge] %s: %lld frames, %.2f GB (%zu RIFF forms); write %.1f s, check+index %.3f s, scan %.3f s, "
                "graph build+pause %.3f s, seek to frame %lld at %.2f GB %.3f s\n",
                c.name, static_cast<long long>(frames), layout.fileSize / 1e9, layout.riffForms.size(), writeSeconds,
                indexSeconds, scanSeconds, buildSeconds, static_cast<long long>(c.shownFrame),
                layout.videoChunks[c.shownFrame] / 1e9, seekSeconds);
}

const HugeCase kCases[] = {
    // 90,000 frames: scene starts at 10,000 (1.4 GB), 35,000 (5 GB) and 62,000 (8.9 GB).
    {"opendml_13GB", AviIndex::OpenDml, AviLayout::Type2WithAudio,
     {{{2008, 8, 1, 9, 0, 0}, 10000}, {{2008, 8, 1, 11, 0, 0}, 25000}, {{2008, 8, 2, 8, 0, 0}, 27000},
      {{2008, 8, 3, 8, 0, 0}, 28000}},
     80000, std::int64_t{13} * 1000 * 1000 * 1000},
    // About 2 GB under a single idx1: 13,800 frames with sound.
    {"idx1_2GB", AviIndex::Idx1Absolute, AviLayout::Type2WithAudio,
     {{{2009, 1, 1, 0, 0, 0}, 6000}, {{2009, 1, 1, 1, 0, 0}, 7800}}, 13500, std::int64_t{2} * 1000 * 1000 * 1000},
};

INSTANTIATE_TEST_SUITE_P(Sparse, HugeFiles, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HugeCase>& info) { return std::string(info.param.name); });

}  // namespace
