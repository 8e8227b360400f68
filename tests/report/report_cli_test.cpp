// The command-line report end to end: the real binary on files from the fixture writer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QImage>

#include "tests/report/cli_test_support.h"

namespace {

using cli_test::RunZenkVuvaz;
using cli_test::Slurp;

// The binary under a time limit, for inputs that could make it wait: `timeout` exits 124 when it had to stop it.
ProcessResult RunBounded(std::vector<std::string> args)
{
    args.insert(args.begin(), {"timeout", "60", std::string(ZV_BUILD_DIR) + "/zenk-vuvaz"});
    return RunProcess(args);
}

using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

class ReportCli : public cli_test::ScratchSuite {
protected:
    static fixture::ClipOptions TwoScenes(DvSystem system, AviLayout layout, AviIndex index)
    {
        return cli_test::Clip(system, layout, index, {{{2003, 12, 24, 23, 59, 58}, 60}, {{2004, 1, 2, 8, 15, 0}, 40}});
    }
    static std::vector<std::string> Lines(const std::string& text) { return cli_test::Lines(text); }
    static std::vector<std::string> Fields(const std::string& line)
    {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string f; std::getline(in, f, '\t');)
            fields.push_back(f);
        return fields;
    }
    static std::string Two(int a, int b, int c, char sep)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", a, sep, b, sep, c);
        return text;
    }
};

TEST_F(ReportCli, CheckNamesTheResultAndExitsWithIt)
{
    const std::string good = Write("good.avi", TwoScenes(DvSystem::Pal625, AviLayout::Type1, AviIndex::OpenDml));
    const std::string text = s_dir + "/text.avi";
    std::ofstream(text) << std::string(400, 'x');
    const std::string shortFile = s_dir + "/short.avi";
    std::ofstream(shortFile) << "RIFF";
    const std::string missing = s_dir + "/missing.avi";
    // A FIFO nobody writes to: opening it for reading the ordinary way waits for a writer forever.
    const std::string fifo = s_dir + "/pipe.avi";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string kNotRegular = "Not a regular file: a pipe, socket or device cannot be played";

    struct Case { std::string path; const char* name; int status; std::string err; };
    const Case cases[] = {
        {good, "Recognised", 0, ""},
        {missing, "OpenFailed", 1, "Unable to open the requested file:\r\n\r\n" + missing + "\n\nNo such file or directory\n"},
        {s_dir, "OpenFailed", 1, "Unable to open the requested file:\r\n\r\n" + s_dir + "\n\nIs a directory\n"},
        {fifo, "OpenFailed", 1, "Unable to open the requested file:\r\n\r\n" + fifo + "\n\n" + kNotRegular + "\n"},
        {"/dev/null", "OpenFailed", 1, "Unable to open the requested file:\r\n\r\n/dev/null\n\n" + kNotRegular + "\n"},
        {shortFile, "TooShort", 3, "File is not a recognised DV AVI format:\r\n\r\n" + shortFile + "\n"},
        {text, "NotDvAvi", 4, "File is not a recognised DV AVI format:\r\n\r\n" + text + "\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunBounded({"--check", c.path});
        EXPECT_EQ(r.status, c.status) << c.path;
        EXPECT_EQ(r.out, std::string(c.name) + "\n");
        EXPECT_EQ(r.err, c.err);
    }
    // Every other mode opens the file through the same check.
    for (const char* mode : {"--metadata", "--scenes"}) {
        const ProcessResult r = RunBounded({mode, fifo});
        EXPECT_EQ(r.status, 1) << mode;
        EXPECT_NE(r.err.find(kNotRegular), std::string::npos) << mode << ": " << r.err;
    }
}

TEST_F(ReportCli, MetadataIsTheSameForEveryLayoutAndIndex)
{
    struct Case { AviLayout layout; AviIndex index; const char* name; };
    const Case cases[] = {
        {AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, "t2a-abs.avi"},
        {AviLayout::Type2WithAudio, AviIndex::Idx1MoviRelative, "t2a-rel.avi"},
        {AviLayout::Type2, AviIndex::OpenDml, "t2-odml.avi"},
        {AviLayout::Type1, AviIndex::Idx1Absolute, "t1-abs.avi"},
        {AviLayout::Type1, AviIndex::OpenDml, "t1-odml.avi"},
    };
    const fixture::ClipOptions reference = TwoScenes(DvSystem::Pal625, AviLayout::Type2, AviIndex::Idx1Absolute);
    std::string first;
    for (const Case& c : cases) {
        const ProcessResult r = RunZenkVuvaz({"--metadata", Write(c.name, TwoScenes(DvSystem::Pal625, c.layout, c.index))});
        ASSERT_EQ(r.status, 0) << c.name << r.err;
        EXPECT_EQ(r.err, "");
        if (first.empty())
            first = r.out;
        EXPECT_EQ(r.out, first) << c.name;
    }

    const std::vector<std::string> lines = Lines(first);
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[0], "frame\ttimecode\trec_time\trec_date\tshutter\tiris\tstabiliser\tgain\texposure\twb_mode\t"
                        "white_balance\taudio\tcounter");
    for (std::int64_t frame = 0; frame < 100; ++frame) {
        const std::vector<std::string> f = Fields(lines[static_cast<std::size_t>(frame) + 1]);
        ASSERT_EQ(f.size(), 13u) << lines[static_cast<std::size_t>(frame) + 1];
        const fixture::DateTime t = fixture::CamcorderFrameAt(reference, frame).recorded;
        EXPECT_EQ(f[0], std::to_string(frame));
        EXPECT_EQ(f[2], Two(t.hour, t.minute, t.second, ':')) << frame;
        EXPECT_EQ(f[3], Two(t.day, t.month, t.year % 100, '/')) << frame;
        EXPECT_EQ(f[1], "00:00:" + Two(static_cast<int>(frame / 25), static_cast<int>(frame % 25), 0, ':').substr(0, 5))
            << frame;
        EXPECT_EQ(f[11], "48/U") << frame;  // consumer camcorders record unlocked audio
        EXPECT_EQ(f[12], "00:00:" + Two(static_cast<int>(frame / 25), static_cast<int>(frame % 25), 0, ':').substr(0, 5))
            << frame;
    }
}

TEST_F(ReportCli, DateFormatAndLineSystemShapeTheTexts)
{
    const std::string ntsc = Write("ntsc.avi", TwoScenes(DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1Absolute));
    const ProcessResult monthFirst = RunZenkVuvaz({"--metadata", ntsc, "--date-format", "2"});
    ASSERT_EQ(monthFirst.status, 0) << monthFirst.err;
    const std::vector<std::string> lines = Lines(monthFirst.out);
    ASSERT_EQ(lines.size(), 101u);
    std::vector<std::string> f = Fields(lines[1]);
    EXPECT_EQ(f[3], "12/24/03");
    EXPECT_EQ(f[1], "00:00:00;00");  // 525/60 camcorders count drop-frame timecode
    f = Fields(lines[31]);
    EXPECT_EQ(f[12], "00:00:01;00");

    const ProcessResult dayFirst = RunZenkVuvaz({"--metadata", ntsc, "--date-format", "1"});
    EXPECT_EQ(Fields(Lines(dayFirst.out)[1])[3], "24/12/03");
}

TEST_F(ReportCli, ScenesListEachRecordingRun)
{
    fixture::ClipOptions o = TwoScenes(DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::OpenDml);
    o.scenes.push_back({{2004, 1, 2, 8, 15, 4}, 30});  // four seconds after the second scene began: a new run
    const ProcessResult r = RunZenkVuvaz({"--scenes", Write("three.avi", o)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "scene\tframe\trec_date\trec_time\n"
                     "1\t0\t24/12/03\t23:59:58\n"
                     "2\t60\t02/01/04\t08:15:00\n"
                     "3\t100\t02/01/04\t08:15:04\n");
}

TEST_F(ReportCli, StripIsThePaintedImageOfOneFrame)
{
    const std::string pal = Write("strip-pal.avi", TwoScenes(DvSystem::Pal625, AviLayout::Type1, AviIndex::Idx1Absolute));
    const std::string ntsc = Write("strip-ntsc.avi", TwoScenes(DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1Absolute));
    struct Case { std::string file; bool half; int width, height; };
    const Case cases[] = {{pal, false, 768, 100}, {ntsc, false, 640, 100}, {pal, true, 384, 50}, {ntsc, true, 320, 50}};
    for (const Case& c : cases) {
        const std::string out = s_dir + "/strip.png";
        std::vector<std::string> args = {"--strip", c.file, "--frame", "42", "--output", out};
        if (c.half)
            args.push_back("--half");
        const ProcessResult r = RunZenkVuvaz(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const QImage image(QString::fromStdString(out));
        ASSERT_EQ(image.width(), c.width);
        ASSERT_EQ(image.height(), c.height);
        int red = 0, blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                red += qRed(p) > 200 && qGreen(p) < 80;
                blue += qBlue(p) > 200 && qRed(p) < 100;
            }
        EXPECT_GT(red, 50) << c.width;
        EXPECT_GT(blue, 5) << c.width;
        std::remove(out.c_str());
    }
    const ProcessResult outside = RunZenkVuvaz({"--strip", pal, "--frame", "100", "--output", s_dir + "/x.png"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_EQ(outside.err, "Frame 100 is outside the file (0 to 99)\n");
    EXPECT_NE(access((s_dir + "/x.png").c_str(), F_OK), 0);
}

// The same frames give the same answers whatever holds them: a raw DV stream, a type-1 AVI indexed by idx1, a
// type-2 AVI indexed by OpenDML, one with a sound stream indexed by idx1 and a QuickTime movie a third-party
// muxer made of that one (its frames proven to be the raw stream's bytes) print the same rows and paint the
// same strip and picture, in both systems; a raw stream cut inside its last frame says so once and keeps its
// whole frames.
TEST_F(ReportCli, RawDvAviAndQuickTimeOfTheSameFramesGiveTheSameAnswers)
{
    for (const DvSystem system : {DvSystem::Pal625, DvSystem::Ntsc525}) {
        const std::string tag = system == DvSystem::Pal625 ? "pal" : "ntsc";
        fixture::ClipOptions raw = TwoScenes(system, AviLayout::Type1, AviIndex::Idx1Absolute);
        raw.wrapper = fixture::ClipWrapper::RawDv;
        const std::string files[] = {Write("same-" + tag + ".dv", raw),
                                     Write("same-" + tag + "-t1.avi", TwoScenes(system, AviLayout::Type1, AviIndex::Idx1Absolute)),
                                     Write("same-" + tag + "-t2.avi", TwoScenes(system, AviLayout::Type2, AviIndex::OpenDml)),
                                     Write("same-" + tag + "-t2a.avi", TwoScenes(system, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute)),
                                     s_dir + "/same-" + tag + ".mov"};
        ASSERT_EQ(RunProcess({"ffmpeg", "-v", "error", "-y", "-i", files[3], "-c", "copy", "-f", "mov", files[4]}).status, 0);
        const ProcessResult movieFrames = RunProcess({"ffmpeg", "-v", "error", "-i", files[4], "-map", "0:v", "-c", "copy",
                                                      "-f", "rawvideo", "-"});
        ASSERT_TRUE(movieFrames.status == 0 && movieFrames.out == cli_test::Slurp(files[0])) << "the movie's frames are not the raw stream's";
        std::string answers[5];
        for (int k = 0; k < 5; ++k) {
            SCOPED_TRACE(files[k]);
            const std::string strip = s_dir + "/same-strip.png";
            const std::string shot = s_dir + "/same-shot.png";
            for (const std::string& out : {strip, shot, shot.substr(0, shot.size() - 4) + ".strip.png"})
                std::remove(out.c_str());
            const ProcessResult metadata = RunZenkVuvaz({"--metadata", files[k]});
            const ProcessResult scenes = RunZenkVuvaz({"--scenes", files[k]});
            const ProcessResult painted = RunZenkVuvaz({"--strip", files[k], "--frame", "61", "--output", strip});
            const ProcessResult snapshot = RunBounded({"--snapshot", files[k], "--frame", "61", "--output", shot});
            for (const ProcessResult* r : {&metadata, &scenes, &painted, &snapshot}) {
                EXPECT_EQ(r->status, 0) << r->err;
                EXPECT_EQ(r->err, "");
            }
            EXPECT_EQ(Lines(metadata.out).size(), 101u);
            EXPECT_EQ(Lines(scenes.out).size(), 3u);
            // The snapshot's picture compared by its pixels: the PNG encoder's own bytes are not the point.
            const QImage picture(QString::fromStdString(shot));
            EXPECT_FALSE(picture.isNull());
            answers[k] = metadata.out + scenes.out + cli_test::Slurp(strip) + "\n"
                         + std::string(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes());
        }
        EXPECT_TRUE(answers[1] == answers[0]) << tag << ": type-1 AVI differs from raw DV";
        EXPECT_TRUE(answers[2] == answers[0]) << tag << ": type-2 OpenDML AVI differs from raw DV";
        EXPECT_TRUE(answers[3] == answers[0]) << tag << ": type-2 idx1 AVI with sound differs from raw DV";
        EXPECT_TRUE(answers[4] == answers[0]) << tag << ": QuickTime differs from raw DV";

        const std::string cut = s_dir + "/cut-" + tag + ".dv";
        const std::string bytes = cli_test::Slurp(files[0]);
        std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() - 1000);
        const ProcessResult r = RunZenkVuvaz({"--scenes", cut});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "The file ends with " + std::to_string(fixture::FrameBytes(system) - 1000)
                             + " bytes of a partial frame after frame 98; they are ignored.\n");
        EXPECT_EQ(Lines(r.out).size(), 3u);
    }
}

// An output is never written over the file it is made from, whatever name leads there, and is never left
// half-written: each write goes through a temporary beside it that is gone when the command ends.
TEST_F(ReportCli, OutputsNeverReplaceTheInputAndLeaveNoTemporary)
{
    const std::string folder = s_dir + "/outputs";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string input = folder + "/clip.strip.png";   // so that --snapshot's strip image of clip.png is it
    std::string error;
    ASSERT_TRUE(fixture::WriteCamcorderClip(input, TwoScenes(DvSystem::Pal625, AviLayout::Type2,
                                                             AviIndex::Idx1Absolute), &error)) << error;
    const std::string original = Slurp(input);
    ASSERT_EQ(symlink(input.c_str(), (folder + "/link.avi").c_str()), 0);
    ASSERT_EQ(link(input.c_str(), (folder + "/hard.avi").c_str()), 0);
    ASSERT_EQ(mkdir((folder + "/adir").c_str(), 0700), 0);
    const std::string refused = "It is the file being read; choose another output name.";

    struct Case { const char* mode; std::string output; int status; std::string words; };
    const Case cases[] = {
        {"--strip", input, 1, refused},
        {"--strip", folder + "/link.avi", 1, refused},
        {"--strip", folder + "/hard.avi", 1, refused},
        {"--strip", folder + "/missing/x.png", 1, "Unable to write " + folder + "/missing/x.png\n\nNo such file"},
        {"--strip", folder + "/adir", 1, "Unable to write " + folder + "/adir\n\nIs a directory"},   // the rename fails
        {"--strip", folder + "/strip.png", 0, ""},
        {"--snapshot", folder + "/link.avi", 1, refused},
        {"--snapshot", folder + "/clip.png", 1, "Unable to write " + input + "\n\n" + refused},
        {"--snapshot", folder + "/shot.png", 0, ""},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunBounded({c.mode, input, "--frame", "3", "--output", c.output});
        EXPECT_EQ(r.status, c.status) << c.mode << " " << c.output << ": " << r.err;
        EXPECT_NE(r.err.find(c.words), std::string::npos) << c.mode << " " << c.output << ": " << r.err;
        EXPECT_EQ(Slurp(input), original) << c.mode << " " << c.output;
    }
    EXPECT_FALSE(QImage(QString::fromStdString(folder + "/strip.png")).isNull());
    EXPECT_FALSE(QImage(QString::fromStdString(folder + "/shot.png")).isNull());
    EXPECT_FALSE(QImage(QString::fromStdString(folder + "/shot.strip.png")).isNull());
    const ProcessResult listing = RunProcess({"sh", "-c", "ls -a '" + folder + "' | grep -c part"});
    EXPECT_EQ(listing.out, "0\n") << "a temporary was left behind";
}

TEST_F(ReportCli, DamagedFilesGetAMessageAndStatusOne)
{
    const std::string good = Write("damage.avi", TwoScenes(DvSystem::Pal625, AviLayout::Type2, AviIndex::Idx1Absolute));
    std::ifstream in(good, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // Headers intact but the index gone: the check accepts the file, indexing refuses it.
    const std::string headersOnly = s_dir + "/headers.avi";
    std::ofstream(headersOnly, std::ios::binary) << bytes.substr(0, 4096);
    ProcessResult r = RunZenkVuvaz({"--metadata", headersOnly});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("Unable to index the AVI file\n\nNo data available\nThe LIST chunk at byte ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(" bytes; the file ends at byte 4096.\n"), std::string::npos) << r.err;
    r = RunZenkVuvaz({"--scenes", headersOnly});
    EXPECT_EQ(r.status, 1);

    // Refused files get the check's message.
    r = RunZenkVuvaz({"--scenes", s_dir + "/nothing.avi"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Unable to open the requested file:\r\n\r\n", 0), 0u);
}

TEST_F(ReportCli, UsageErrorsExitWith64)
{
    // Without an option the binary is the player; every option-shaped mistake is a usage error.
    const std::vector<std::vector<std::string>> misuse = {
        {"--bogus"},
        {"--check"},
        {"--strip", "a.avi", "--output", "x.png"},
        {"--metadata", "a.avi", "--date-format", "3"},
        {"--check", "a.avi", "--half"},
        {"--check", "a.avi", "--scenes", "b.avi"},
        {"--strip", "a.avi", "--frame", "1x", "--output", "x.png"},
    };
    for (const auto& args : misuse) {
        const ProcessResult r = RunZenkVuvaz(args);
        EXPECT_EQ(r.status, 64) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage:"), std::string::npos);
    }
    const ProcessResult version = RunZenkVuvaz({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Zenk Vuvaz 1.4.0\n");
}

}  // namespace
