// The still-frame export: the frame the real pipeline shows, written as two PNG files, and the open
// command's words when it cannot be done.

#include "playback/element_factory.h"
#include "report/snapshot_command.h"
#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

using pipeline_test::ClipCase;
using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

namespace {

const ClipCase kClip{"snapshot_pal", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 12};

// Runs the command with stderr captured.
struct Outcome {
    int status;
    std::string err;
};

Outcome Snapshot(const std::string& path, long long frame, const std::string& output, bool half)
{
    const std::string errPath = pipeline_test::TempPath("stderr.txt");
    std::fflush(stderr);
    const int saved = dup(2);
    std::FILE* capture = std::fopen(errPath.c_str(), "w");
    dup2(fileno(capture), 2);
    const int status = RunSnapshotCommand(path.c_str(), frame, output.c_str(), half);
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(capture);
    std::ifstream in(errPath);
    return {status, std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())};
}

TEST(SnapshotCommand, WritesThePictureAndTheStripOfTheChosenFrame)
{
    struct Case {
        long long asked;
        std::int64_t shown;
        bool half;
        int width;
        int stripWidth;
    };
    const Case cases[] = {
        {7, 7, false, 720, 768},
        {0, 0, false, 720, 768},
        {11, 11, false, 720, 768},
        {3, 3, true, 360, 384},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        const std::string output = pipeline_test::TempPath("shot" + std::to_string(c.asked) + ".png");
        const Outcome outcome = Snapshot(pipeline_test::ClipPath(kClip), c.asked, output, c.half);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        QImage picture(QString::fromStdString(output));
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.width(), c.width);
        EXPECT_EQ(pipeline_test::PictureIdentity(picture.convertToFormat(QImage::Format_RGB32)), c.shown);
        QImage strip(QString::fromStdString(output.substr(0, output.size() - 4) + ".strip.png"));
        ASSERT_FALSE(strip.isNull());
        EXPECT_EQ(strip.width(), c.stripWidth);
        EXPECT_EQ(strip.convertToFormat(QImage::Format_RGB32), pipeline_test::ExpectedStrip(kClip, c.shown, c.half, 1));
    }
}

// The real DV decoder, with a count of the frames handed to it.
class CDecodeCounter final : public IElementFactory {
public:
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        zv::GstPtr<GstElement> element = m_installed.Make(factoryName);
        if (element && (std::strcmp(factoryName, "avdec_dvvideo") == 0 || std::strcmp(factoryName, "dvframedecoder") == 0)) {
            zv::GstPtr<GstPad> input = zv::AdoptObject(gst_element_get_static_pad(element.get(), "sink"));
            gst_pad_add_probe(input.get(), GST_PAD_PROBE_TYPE_BUFFER, &CDecodeCounter::OnFrame, &m_frames, nullptr);
        }
        return element;
    }
    int Frames() const { return m_frames.load(); }

private:
    static GstPadProbeReturn OnFrame(GstPad*, GstPadProbeInfo*, gpointer frames)
    {
        ++*static_cast<std::atomic<int>*>(frames);
        return GST_PAD_PROBE_OK;
    }

    CGstElementFactory m_installed;
    std::atomic<int> m_frames{0};
};

TEST(SnapshotCommand, DecodesOnlyTheFrameItShows)
{
    const ClipCase interleaved{"snapshot_type1", DvSystem::Pal625, AviLayout::Type1, AviIndex::Idx1Absolute, 12};
    for (const ClipCase& clip : {kClip, interleaved}) {
        for (const long long frame : {0LL, 6LL, 11LL}) {
            SCOPED_TRACE(std::string(clip.name) + " frame " + std::to_string(frame));
            CDecodeCounter counter;
            IElementFactory* previous = SetElementFactory(&counter);
            const std::string output = pipeline_test::TempPath("counted.png");
            const Outcome outcome = Snapshot(pipeline_test::ClipPath(clip), frame, output, false);
            SetElementFactory(previous);
            ASSERT_EQ(outcome.status, 0) << outcome.err;
            EXPECT_EQ(counter.Frames(), 1);
            EXPECT_EQ(pipeline_test::PictureIdentity(QImage(QString::fromStdString(output)).convertToFormat(QImage::Format_RGB32)),
                      frame);
        }
    }
}

TEST(SnapshotCommand, ComplainsInTheOpenCommandsWords)
{
    const std::string text = pipeline_test::TempPath("letter.avi");
    std::ofstream(text) << "Dear reader,\n";
    const std::string missing = pipeline_test::TempPath("missing.avi");
    // Passes the file check (the handler says dvsd) but the metadata filter refuses the stream.
    std::ifstream in(pipeline_test::ClipPath(kClip), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.replace(188, 4, "DVSD");
    const std::string refused = pipeline_test::TempPath("refused.avi");
    std::ofstream(refused, std::ios::binary) << bytes;

    struct Case {
        std::string path;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {text, {"File is not a recognised DV AVI format:\n\n" + text}},
        {missing, {"Unable to open the requested file:\n\n" + missing, "No such file or directory"}},
        {refused, {"Error Building Filter Graph", "Could not connect Tee to Meta filter\n\nDetail: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Outcome outcome = Snapshot(c.path, 0, pipeline_test::TempPath("never.png"), false);
        EXPECT_EQ(outcome.status, 1);
        for (const std::string& words : c.words) {
            EXPECT_NE(outcome.err.find(words), std::string::npos) << outcome.err;
        }
    }
}

// One-frame files, blank tape among them, export their picture on every run, and leave stderr clean (the
// DV library prints a line for each frame without sound its splitter is given as it is, and a raw stream
// always goes through that splitter).
TEST(SnapshotCommand, OneFrameFilesExportOnEveryRunWithAQuietStderr)
{
    struct Case {
        const char* name;
        AviLayout layout;
        bool blank;
        fixture::ClipWrapper wrapper = fixture::ClipWrapper::Avi;
    };
    const Case cases[] = {
        {"snap_one_type2_packs.avi", AviLayout::Type2, false},
        {"snap_one_type1_packs.avi", AviLayout::Type1, false},
        {"snap_one_raw_packs.dv", AviLayout::Type1, false, fixture::ClipWrapper::RawDv},
        {"snap_one_type2_blank.avi", AviLayout::Type2, true},
        {"snap_one_type1_blank.avi", AviLayout::Type1, true},
        {"snap_one_raw_blank.dv", AviLayout::Type1, true, fixture::ClipWrapper::RawDv},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::ClipOptions options;
        options.layout = c.layout;
        options.blank = c.blank;
        options.wrapper = c.wrapper;
        options.scenes = {{{2004, 7, 14, 10, 30, 58}, 1}};
        const std::string path = pipeline_test::TempPath(c.name);
        std::string error;
        ASSERT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
        qint64 slowest = 0;
        for (int run = 0; run < 4; ++run) {
            const std::string output = pipeline_test::TempPath(std::string(c.name) + ".png");
            QElapsedTimer timer;
            timer.start();
            const Outcome outcome = Snapshot(path, 0, output, false);
            slowest = std::max(slowest, timer.elapsed());
            ASSERT_EQ(outcome.status, 0) << "run " << run << ": " << outcome.err;
            EXPECT_EQ(outcome.err, "");
            QImage picture(QString::fromStdString(output));
            ASSERT_FALSE(picture.isNull());
            EXPECT_EQ(pipeline_test::PictureIdentity(picture.convertToFormat(QImage::Format_RGB32)), 0);
        }
        // Far from the ten seconds a wait for a frame that cannot come would take, even on a loaded machine.
        EXPECT_LT(slowest, 3000);
    }
}

TEST(SnapshotCommand, RefusesAFrameOutsideTheFile)
{
    for (const long long frame : {-1LL, 12LL, 500LL}) {
        SCOPED_TRACE(frame);
        const std::string output = pipeline_test::TempPath("outside.png");
        const Outcome outcome = Snapshot(pipeline_test::ClipPath(kClip), frame, output, false);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, "Frame " + std::to_string(frame) + " is outside the file (0 to 11)\n");
        EXPECT_NE(access(output.c_str(), F_OK), 0);
    }
}

}  // namespace
