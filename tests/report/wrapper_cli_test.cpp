// One answer whatever the wrapper: the same DV frames as a raw DV stream, as type-1 and type-2 AVI files
// indexed by idx1 and by OpenDML, and as a QuickTime movie made from one of them by a third-party muxer,
// give the same metadata and scene rows, the same strip and the same snapshot.

#include "tests/report/cli_test_support.h"

#include <gtest/gtest.h>

using cli_test::RunZenkVuvaz;
using cli_test::Slurp;
using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

namespace {

class WrapperCli : public cli_test::ScratchSuite, public ::testing::WithParamInterface<DvSystem> {};

struct Answers {
    std::string metadata, scenes, strip, snapshot;
};

Answers AnswersFor(const std::string& path)
{
    Answers a;
    const std::string strip = path + ".strip.png", snapshot = path + ".snapshot.png";
    const ProcessResult metadata = RunZenkVuvaz({"--metadata", path});
    const ProcessResult scenes = RunZenkVuvaz({"--scenes", path});
    const ProcessResult stripRun = RunZenkVuvaz({"--strip", path, "--frame", "9", "--output", strip});
    const ProcessResult snapshotRun = RunZenkVuvaz({"--snapshot", path, "--frame", "9", "--output", snapshot});
    for (const ProcessResult* r : {&metadata, &scenes, &stripRun, &snapshotRun}) {
        EXPECT_EQ(r->status, 0) << path << ": " << r->err;
        EXPECT_EQ(r->err, "") << path;
    }
    a.metadata = metadata.out;
    a.scenes = scenes.out;
    a.strip = Slurp(strip);
    a.snapshot = Slurp(snapshot);
    return a;
}

TEST_P(WrapperCli, TheSameFramesGiveTheSameAnswersInEveryWrapper)
{
    const DvSystem system = GetParam();
    const std::vector<fixture::Scene> scenes = {{{2011, 5, 6, 7, 8, 9}, 8}, {{2011, 5, 6, 9, 0, 0}, 6}};
    fixture::ClipOptions raw = cli_test::Clip(system, AviLayout::Type1, AviIndex::Idx1Absolute, scenes);
    raw.wrapper = fixture::ClipWrapper::RawDv;
    const std::string name = system == DvSystem::Pal625 ? "pal" : "ntsc";
    const std::string rawPath = Write(name + ".dv", raw);
    std::vector<std::string> files{rawPath};
    const std::pair<AviLayout, AviIndex> avis[] = {{AviLayout::Type1, AviIndex::Idx1Absolute}, {AviLayout::Type1, AviIndex::OpenDml},
                                                   {AviLayout::Type2WithAudio, AviIndex::Idx1Absolute},
                                                   {AviLayout::Type2WithAudio, AviIndex::OpenDml}};
    for (const auto& [layout, index] : avis)
        files.push_back(Write(name + std::to_string(files.size()) + ".avi", cli_test::Clip(system, layout, index, scenes)));

    // The movie from the type-2 file, frames copied as they are: proven by taking them out again.
    const std::string movie = s_dir + "/" + name + ".mov";
    ASSERT_EQ(RunProcess({"ffmpeg", "-v", "error", "-y", "-i", files[3], "-c", "copy", "-f", "mov", movie}).status, 0);
    const ProcessResult frames = RunProcess({"ffmpeg", "-v", "error", "-i", movie, "-map", "0:v", "-c", "copy", "-f", "rawvideo", "-"});
    ASSERT_EQ(frames.status, 0) << frames.err;
    ASSERT_EQ(frames.out.size(), Slurp(rawPath).size());
    ASSERT_TRUE(frames.out == Slurp(rawPath)) << "the movie's frames differ from the raw stream's";
    files.push_back(movie);

    const Answers expected = AnswersFor(files[1]);
    EXPECT_EQ(cli_test::Lines(expected.metadata).size(), 15u);
    EXPECT_EQ(cli_test::Lines(expected.scenes).size(), 3u);
    EXPECT_FALSE(expected.strip.empty());
    EXPECT_FALSE(expected.snapshot.empty());
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const Answers got = AnswersFor(file);
        EXPECT_EQ(got.metadata, expected.metadata);
        EXPECT_EQ(got.scenes, expected.scenes);
        EXPECT_TRUE(got.strip == expected.strip) << "the strip differs";
        EXPECT_TRUE(got.snapshot == expected.snapshot) << "the snapshot differs";
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, WrapperCli, ::testing::Values(DvSystem::Pal625, DvSystem::Ntsc525),
                         [](const ::testing::TestParamInfo<DvSystem>& info) {
                             return info.param == DvSystem::Pal625 ? "Pal" : "Ntsc";
                         });

}  // namespace
