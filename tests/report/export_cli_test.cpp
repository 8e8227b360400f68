// The exports end to end: the real binary splits generated files into scenes and writes their recording dates
// as subtitles; our own commands, ffmpeg and GStreamer then read what it wrote.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "dvmeta/dv_pack_layout.h"
#include "tests/fixtures/avi_walk.h"
#include "tests/fixtures/raw_dv_writer.h"
#include "tests/report/cli_test_support.h"

namespace {

using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

using cli_test::Lines;
using cli_test::Slurp;

ProcessResult Zv(std::vector<std::string> args) { return cli_test::RunZenkVuvaz(std::move(args)); }

// A --metadata row without its frame number and frame counter, the two fields that restart in a scene's file.
std::string Fields2To12(const std::string& row)
{
    const std::size_t first = row.find('\t');
    return row.substr(first + 1, row.rfind('\t') - first - 1);
}

std::vector<std::string> ListFolder(const std::string& dir)
{
    const ProcessResult r = RunProcess({"ls", "-A", dir});
    return Lines(r.out);
}

class ExportCli : public cli_test::ScratchSuite {
protected:
    static fixture::ClipOptions ThreeScenes(DvSystem system, AviLayout layout, AviIndex index)
    {
        return cli_test::Clip(system, layout, index,
                              {{{2003, 12, 24, 23, 59, 58}, 30}, {{2004, 1, 2, 8, 15, 0}, 20}, {{1999, 12, 31, 23, 59, 59}, 12}});
    }
};

struct Shape {
    DvSystem system;
    AviLayout layout;
    AviIndex index;   // (of a raw input: the layout its AVI scene files take)
    const char* name;
    fixture::ClipWrapper wrapper = fixture::ClipWrapper::Avi;   // QuickTime: the AVI outputs are type-1
};

class SplitShapes : public ExportCli, public ::testing::WithParamInterface<Shape> {};

// Every output of every layout: our check, one scene, the input's metadata rows, the input's frames byte for
// byte through ffmpeg, its sound, and GStreamer playing it. A raw input's scenes are raw streams unless
// --format asks for AVI.
TEST_P(SplitShapes, EveryOutputHoldsItsSceneLosslessly)
{
    const Shape& shape = GetParam();
    fixture::ClipOptions clip = ThreeScenes(shape.system, shape.layout, shape.index);
    clip.wrapper = shape.wrapper;
    const bool raw = shape.wrapper == fixture::ClipWrapper::RawDv;
    const bool movie = shape.wrapper == fixture::ClipWrapper::QuickTime;
    const std::string input = Write(std::string(shape.name) + (raw ? ".dv" : movie ? ".mov" : ".avi"), clip);
    const std::size_t frameBytes = fixture::FrameBytes(shape.system);
    const std::string frames = raw ? Slurp(input)
                                   : RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", input, "-map", "0:v", "-c",
                                                 "copy", "-f", "rawvideo", "-"}).out;
    const std::vector<std::string> rows = Lines(Zv({"--metadata", input}).out);
    ASSERT_EQ(frames.size(), 62 * frameBytes);
    const std::vector<std::int64_t> starts = {0, 30, 50, 62};
    const char* stamps[] = {"2003-12-24_23-59-58", "2004-01-02_08-15-00", "1999-12-31_23-59-59"};
    const bool type1 = shape.layout == AviLayout::Type1 || movie;

    for (const char* format : {"avi", "dv"}) {
        SCOPED_TRACE(format);
        const std::string dir = s_dir + "/" + shape.name + "-" + format + "/new";   // created with its parent
        std::vector<std::string> args{"--split", input, "--output-dir", dir, "--format", format};
        if (raw && std::string(format) == "dv")
            args.resize(4);   // the default for a raw input
        const ProcessResult split = Zv(args);
        ASSERT_EQ(split.status, 0) << split.err;
        EXPECT_EQ(split.err, "");
        const std::vector<std::string> table = Lines(split.out);
        ASSERT_EQ(table.size(), 4u) << split.out;
        EXPECT_EQ(table[0], "scene\tfirst_frame\tframes\tfile");
        for (std::size_t k = 0; k < 3; ++k) {
            const std::string path = dir + "/" + shape.name + ".00" + std::to_string(k + 1) + "." + stamps[k] + "." + format;
            const std::int64_t count = starts[k + 1] - starts[k];
            EXPECT_EQ(table[k + 1], std::to_string(k + 1) + "\t" + std::to_string(starts[k]) + "\t"
                                        + std::to_string(count) + "\t" + path);
            const std::string expected = frames.substr(starts[k] * frameBytes, count * frameBytes);
            if (std::string(format) == "dv") {
                EXPECT_TRUE(Slurp(path) == expected) << path;
            }
            EXPECT_EQ(Zv({"--check", path}).out, "Recognised\n");
            EXPECT_EQ(Lines(Zv({"--scenes", path}).out).size(), 2u) << path;
            if (std::string(format) == "dv" && k != 1)
                continue;   // the raw stream is the frames themselves; one file is enough for the players
            const std::string demux = std::string(format) == "dv" ? "dvdemux ! queue"
                                    : type1 ? "avidemux ! queue ! dvdemux ! queue" : "avidemux ! queue";
            const ProcessResult gst = RunProcess({"sh", "-c", "exec gst-launch-1.0 -q filesrc location='" + path + "' ! "
                                                                  + demux + " ! avdec_dvvideo ! fakesink"});
            EXPECT_EQ(gst.status, 0) << gst.err;
            const ProcessResult ff = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:v", "-c",
                                                 "copy", "-f", "rawvideo", "-"});
            EXPECT_EQ(ff.err, "");
            EXPECT_TRUE(ff.out == expected) << path << ": ffmpeg gives " << ff.out.size() << " bytes";
            if (std::string(format) == "dv")
                continue;
            const std::vector<std::string> own = Lines(Zv({"--metadata", path}).out);
            ASSERT_EQ(own.size(), static_cast<std::size_t>(count) + 1);
            for (std::int64_t n = 0; n < count; ++n)
                EXPECT_EQ(Fields2To12(own[n + 1]), Fields2To12(rows[starts[k] + n + 1])) << path << " frame " << n;
            if (shape.layout == AviLayout::Type2WithAudio) {
                // One sound chunk follows each frame in the input: the scene's own, no more, no less.
                const std::string sound = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-vn", "-f",
                                                      "s16le", "-"}).out;
                const std::int64_t samples = fixture::AudioSamplesBeforeFrame(shape.system, starts[k + 1])
                                           - fixture::AudioSamplesBeforeFrame(shape.system, starts[k]);
                EXPECT_EQ(static_cast<std::int64_t>(sound.size()), samples * 4) << path;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SplitShapes,
    ::testing::Values(Shape{DvSystem::Pal625, AviLayout::Type1, AviIndex::Idx1Absolute, "t1-abs"},
                      Shape{DvSystem::Pal625, AviLayout::Type2, AviIndex::Idx1MoviRelative, "t2-rel"},
                      Shape{DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::OpenDml, "t2a-odml"},
                      Shape{DvSystem::Ntsc525, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, "t2a-ntsc"},
                      Shape{DvSystem::Pal625, AviLayout::Type1, AviIndex::Idx1Absolute, "raw-pal", fixture::ClipWrapper::RawDv},
                      Shape{DvSystem::Ntsc525, AviLayout::Type1, AviIndex::Idx1Absolute, "raw-ntsc", fixture::ClipWrapper::RawDv},
                      Shape{DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1Absolute, "qt-ntsc", fixture::ClipWrapper::QuickTime}),
    [](const auto& info) { return std::string(info.param.name).replace(info.param.name[2] == '-' ? 2 : 3, 1, "_"); });

// Nothing is half-done: every refusal comes before anything is written, and a failed write leaves nothing.
TEST_F(ExportCli, RefusalsWriteNothing)
{
    const std::string input = Write("refuse.avi", ThreeScenes(DvSystem::Pal625, AviLayout::Type2, AviIndex::Idx1Absolute));
    const std::string first = "refuse.001.2003-12-24_23-59-58.avi";
    struct Case {
        const char* what;
        std::string setUp;   // shell commands run in a fresh folder, around the output folder D
        std::vector<std::string> args;
        int status;
        std::string err;     // a part of stderr
        std::vector<std::string> left;   // what D holds afterwards
    };
    const Case cases[] = {
        {"an output exists", "echo old > D/" + first, {}, 1, "Unable to write D/" + first + "\n\nThe file already exists.", {first}},
        {"--force replaces it", "echo old > D/" + first, {"--force"}, 0, "", {first, "refuse.002.2004-01-02_08-15-00.avi",
                                                                              "refuse.003.1999-12-31_23-59-59.avi"}},
        {"an output is the input", "ln " + input + " D/" + first, {"--force"}, 1, "It is the file being read", {first}},
        {"a folder in the way", "mkdir D/" + first, {"--force"}, 1, "A folder of that name is in the way.", {first}},
        {"the disk fills up", "", {"--limit"}, 1, "Unable to write D/" + first + "\n\nFile too large", {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = s_dir + "/refuse" + std::to_string(n++);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(RunProcess({"sh", "-c", "cd '" + dir + "' && mkdir D && " + (c.setUp.empty() ? ":" : c.setUp)}).status, 0);
        std::string command = "exec '" + std::string(ZV_BUILD_DIR) + "/zenk-vuvaz' --split '" + input + "' --output-dir D";
        for (const std::string& arg : c.args)
            command += arg == "--limit" ? "" : " " + arg;
        if (!c.args.empty() && c.args[0] == "--limit")
            command = "trap '' XFSZ; ulimit -f 2000; " + command;   // about 1 MB: the first file cannot be finished
        const ProcessResult r = RunProcess({"sh", "-c", "cd '" + dir + "' && " + command});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(ListFolder(dir + "/D"), c.left);
    }
    EXPECT_EQ(Zv({"--check", input}).status, 0);   // the input, linked into a folder above, is untouched

    struct Usage { std::vector<std::string> args; };
    const Usage usages[] = {
        {{"--split", input}},
        {{"--split", input, "--output-dir", s_dir, "--format", "mp4"}},
        {{"--scenes", input, "--output-dir", s_dir}},
        {{"--subtitles", input, "--output", s_dir + "/x.txt"}},
        {{"--subtitles", input}},
        {{"--metadata", input, "--force"}},
    };
    for (const Usage& u : usages)
        EXPECT_EQ(Zv(u.args).status, 64) << u.args.back();
}

// Frames whose packs are blank (a dropout) leave a gap; the cues are timed at 1001/30000 s a frame.
TEST_F(ExportCli, SubtitlesGiveOneCuePerSecondOfRecordingAndReadInFfmpegAndGStreamer)
{
    fixture::ClipOptions clip;
    clip.system = DvSystem::Ntsc525;
    clip.layout = AviLayout::Type1;
    clip.scenes = {{{2024, 7, 8, 19, 55, 58}, 45}, {{1999, 12, 31, 23, 59, 59}, 10}};
    const fixture::FrameSource frames = fixture::MakeCamcorderFrameSource(clip);
    const fixture::FrameSource withDropout = [&](std::int64_t n, std::size_t needed, std::vector<std::uint8_t>& data) {
        if (!frames(n, needed, data))
            return false;
        for (std::size_t s = 0; n >= 10 && n < 15 && s + kDifSequenceSize <= data.size(); s += kDifSequenceSize)
            for (std::size_t i = 0; i < kSubcodeVauxPackCount; ++i)
                data[s + kPackOffsets[i]] = kEmptyPackId;
        return true;
    };
    fixture::AviWriterOptions writer = fixture::ClipWriterOptions(clip);
    const std::string input = s_dir + "/cues.avi";
    std::string error;
    ASSERT_TRUE(fixture::WriteDvAvi(input, writer, withDropout, nullptr, &error)) << error;

    const std::string srt = s_dir + "/cues.srt", vtt = s_dir + "/cues.vtt";
    ASSERT_EQ(Zv({"--subtitles", input, "--output", srt, "--date-format", "1"}).status, 0);
    // The same frames as a raw stream: the same cues, to the millisecond.
    const std::string raw = s_dir + "/cues.dv", rawSrt = s_dir + "/cues-raw.srt";
    ASSERT_TRUE(fixture::WriteRawDv(raw, writer, withDropout, &error)) << error;
    ASSERT_EQ(Zv({"--subtitles", raw, "--output", rawSrt, "--date-format", "1"}).status, 0);
    EXPECT_EQ(Slurp(rawSrt), Slurp(srt));
    EXPECT_EQ(Slurp(srt), "1\n00:00:00,000 --> 00:00:00,333\n08/07/2024 19:55:58\n\n"
                          "2\n00:00:00,500 --> 00:00:01,001\n08/07/2024 19:55:58\n\n"
                          "3\n00:00:01,001 --> 00:00:01,501\n08/07/2024 19:55:59\n\n"
                          "4\n00:00:01,501 --> 00:00:01,835\n31/12/1999 23:59:59\n\n");
    ASSERT_EQ(Zv({"--subtitles", input, "--output", vtt, "--date-format", "2"}).status, 0);
    EXPECT_EQ(Slurp(vtt), "WEBVTT\n\n00:00:00.000 --> 00:00:00.333\n07/08/2024 19:55:58\n\n"
                          "00:00:00.500 --> 00:00:01.001\n07/08/2024 19:55:58\n\n"
                          "00:00:01.001 --> 00:00:01.501\n07/08/2024 19:55:59\n\n"
                          "00:00:01.501 --> 00:00:01.835\n12/31/1999 23:59:59\n\n");
    const ProcessResult again = Zv({"--subtitles", input, "--output", vtt});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "Unable to write " + vtt + "\n\nThe file already exists.\n");
    EXPECT_EQ(Zv({"--subtitles", input, "--output", vtt, "--force"}).status, 0);

    for (const std::string& path : {srt, vtt}) {
        const ProcessResult ff = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "srt", "-"});
        EXPECT_EQ(ff.err, "");
        EXPECT_NE(ff.out.find("00:00:01,501 --> 00:00:01,835"), std::string::npos) << ff.out;
        const ProcessResult gst = RunProcess({"gst-launch-1.0", "-q", "filesrc", "location=" + path, "!", "subparse",
                                              "!", "fakesink"});
        EXPECT_EQ(gst.status, 0) << gst.err;
    }
}

// Scenes past 1 GiB and past 4 GiB are indexed the OpenDML way: 'AVIX' forms after the first, each at most
// 1 GiB, the first with its idx1, and every frame found again by ffmpeg (which seeks into the last form by
// the index) and by our own reader. Sparse inputs in memory (tmpfs) keep the disk out of it: only the
// frames' first DIF sequences hold data, and the outputs keep the holes.
class LargeScenes : public ExportCli, public ::testing::WithParamInterface<int> {};

TEST_P(LargeScenes, AreWrittenAsOpenDml)
{
    const int frames = GetParam();
    const std::uint64_t bytes = std::uint64_t{144008} * frames;
    struct statvfs space {};
    const bool inMemory = statvfs("/dev/shm", &space) == 0 && space.f_bavail * space.f_frsize > bytes * 3 / 2;
    if (!inMemory && bytes > (std::uint64_t{4} << 30))
        GTEST_SKIP() << "no tmpfs with room for the split's " << bytes << " bytes (it counts the holes as data)";
    char pattern[] = "/dev/shm/zv-large-XXXXXX";
    const std::string dir = inMemory && mkdtemp(pattern) != nullptr ? std::string(pattern) : s_dir;
    fixture::ClipOptions clip;
    clip.index = AviIndex::OpenDml;
    clip.sparse = true;
    clip.scenes = {{{2024, 7, 8, 10, 15, 0}, frames}};
    const std::string input = dir + "/large.avi";
    std::string error;
    ASSERT_TRUE(fixture::WriteCamcorderClip(input, clip, &error)) << error;
    const ProcessResult split = Zv({"--split", input, "--output-dir", dir});
    const std::string path = dir + "/large.001.2024-07-08_10-15-00.avi";
    ASSERT_EQ(split.status, 0) << split.err;

    fixture::walk::AviFile file(path);
    EXPECT_GT(file.Size(), bytes);
    const std::vector<fixture::walk::Chunk> forms = file.TopLevel();
    ASSERT_EQ(forms.size(), bytes / ((std::uint64_t{1} << 30) - (1 << 20)) + 1);
    for (std::size_t k = 0; k < forms.size(); ++k) {
        EXPECT_EQ(forms[k].listType, k == 0 ? "AVI " : "AVIX");
        EXPECT_LE(forms[k].size + 8u, std::uint64_t{1} << 30);
    }
    EXPECT_EQ(file.OpenDmlFrames().size(), static_cast<std::size_t>(frames));
    EXPECT_EQ(file.Idx1Frames("00dc").size(), file.U32(48));   // avih dwTotalFrames: the first form's frames

    EXPECT_EQ(Zv({"--check", path}).out, "Recognised\n");
    EXPECT_EQ(Zv({"--metadata", path}).out, Zv({"--metadata", input}).out);
    auto tail = [&](const std::string& avi) {
        return RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-ss", std::to_string(frames / 25 - 4), "-i", avi, "-map",
                           "0:v", "-c", "copy", "-f", "md5", "-"});
    };
    const ProcessResult ours = tail(path);
    EXPECT_EQ(ours.err, "");
    EXPECT_EQ(ours.out, tail(input).out);
    const ProcessResult count = RunProcess({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                                            "stream=nb_frames", "-of", "csv=p=0", path});
    EXPECT_EQ(count.out, std::to_string(frames) + "\n");
    if (dir != s_dir)
        std::system(("rm -rf '" + dir + "'").c_str());
}

// 7,600 frames make 1.1 GB, 30,000 frames 4.3 GB.
INSTANTIATE_TEST_SUITE_P(Sizes, LargeScenes, ::testing::Values(7600, 30000),
                         [](const auto& info) { return info.param == 7600 ? "Past1GiB" : "Past4GiB"; });

}  // namespace
