// Indexes longer than one read: the reader takes index entries a block at a time, and every frame must still
// land where the writer put it, across block boundaries and in every index kind.

#include "avi/dv_avi_reader.h"
#include "tests/hardening/hostile_cases.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace hardening {
namespace {

struct BlockCase {
    const char* name;
    fixture::AviLayout layout;
    fixture::AviIndex index;
};

class IndexInBlocks : public testing::TestWithParam<BlockCase> {};

TEST_P(IndexInBlocks, EveryFrameOfALongIndexIsWhereTheWriterPutIt)
{
    QTemporaryDir folder;
    const BlockCase c = GetParam();
    fixture::AviWriterOptions options;
    options.layout = c.layout;
    options.index = c.index;
    options.frameCount = 9000;   // over two blocks of 4096 entries, and with sound over four
    // Tiny frames after the first, which a type-1 stream needs whole.
    const fixture::FrameSource tiny = [](std::int64_t frame, std::size_t, std::vector<std::uint8_t>& data) {
        data.assign(frame == 0 ? 144000 : 16, static_cast<std::uint8_t>(frame));
        return true;
    };
    fixture::AviWriteResult layout;
    std::string error;
    const std::string path = folder.filePath("long.avi").toStdString();
    ASSERT_TRUE(fixture::WriteDvAvi(path, options, tiny, &layout, &error)) << error;

    CDvAviReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.BuildIndex());
    ASSERT_EQ(reader.FrameOffsets().size(), layout.videoChunks.size());
    for (std::size_t n = 0; n < layout.videoChunks.size(); ++n)
        ASSERT_EQ(reader.FrameOffsets()[n], layout.videoChunks[n] + 8) << "frame " << n;
}

const BlockCase kBlockCases[] = {
    {"idx1_with_sound", fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute},
    {"idx1_relative", fixture::AviLayout::Type2, fixture::AviIndex::Idx1MoviRelative},
    {"opendml", fixture::AviLayout::Type1, fixture::AviIndex::OpenDml},
};

INSTANTIATE_TEST_SUITE_P(Long, IndexInBlocks, testing::ValuesIn(kBlockCases),
                         [](const testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hardening
