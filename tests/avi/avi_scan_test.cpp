// The scene scan over real files, its progress and cancel protocol, the recorded-time arithmetic it
// rests on, and the scene lookups of the navigation commands.
#include "avi/dv_avi_reader.h"
#include "avi/recording_time.h"
#include "avi_test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

using namespace avitest;

namespace {

using Pack = std::array<std::uint8_t, 5>;

Bytes At(Pack date, Pack time, std::uint16_t dateAt = kSubcodeFirst, std::uint16_t timeAt = kSubcodeSecond)
{
    return DvSequence({{dateAt, date}, {timeAt, time}});
}
Bytes Clock(int hour, int minute, int second) { return At(DatePack(2003, 5, 1), TimePack(hour, minute, second)); }
Pack WithByte(Pack pack, int index, std::uint8_t value)
{
    pack[static_cast<std::size_t>(index)] = value;
    return pack;
}
std::vector<Bytes> Repeat(const Bytes& frame, int n) { return std::vector<Bytes>(static_cast<std::size_t>(n), frame); }

// Opens, indexes and keeps a file of DV sequences.
struct ScanFile {
    explicit ScanFile(const std::vector<Bytes>& frames)
    {
        AviOptions options;
        options.frames = frames;
        options.audio = true;
        path = dir.Write("scan.avi", BuildAvi(options).bytes);
        EXPECT_TRUE(reader.Open(path.c_str()));
        EXPECT_TRUE(reader.BuildIndex());
    }
    TempDir dir;
    std::string path;
    CDvAviReader reader;
};

struct SceneCase { const char* name; std::vector<Bytes> frames; std::vector<std::int32_t> starts; };

const Pack kDate = DatePack(2003, 5, 1);
const SceneCase kScenes[] = {
    {"OneSecondStepsAreOneScene", {Clock(10, 0, 0), Clock(10, 0, 0), Clock(10, 0, 1), Clock(10, 0, 2)}, {}},
    {"TwoSecondsStartAScene", {Clock(10, 0, 0), Clock(10, 0, 2), Clock(10, 0, 3), Clock(10, 0, 10)}, {1, 3}},
    {"BackwardJump", {Clock(10, 0, 10), Clock(10, 0, 8), Clock(10, 0, 7)}, {1}},
    {"MidnightAtMonthEnd", {At(DatePack(2003, 1, 31), TimePack(23, 59, 59)), At(DatePack(2003, 2, 1), TimePack(0, 0, 0))}, {}},
    {"IntoLeapDay", {At(DatePack(2004, 2, 28), TimePack(23, 59, 59)), At(DatePack(2004, 2, 29), TimePack(0, 0, 0)),
                     At(DatePack(2004, 2, 29), TimePack(0, 0, 2))}, {2}},
    {"OutOfFebruary", {At(DatePack(2003, 2, 28), TimePack(23, 59, 59)), At(DatePack(2003, 3, 1), TimePack(0, 0, 0))}, {}},
    {"CenturyTurn", {At(DatePack(1999, 12, 31), TimePack(23, 59, 59)), At(DatePack(2000, 1, 1), TimePack(0, 0, 0))}, {}},
    {"MissingDateOnFirstFrame", {DvSequence({{kSubcodeSecond, TimePack(10, 0, 0)}}), Clock(10, 0, 0), Clock(10, 0, 1)}, {1}},
    {"SubcodePreferredOverVaux", {Clock(10, 0, 0), DvSequence({{kSubcodeFirst, kDate}, {kSubcodeSecond, TimePack(10, 0, 1)},
                                                                 {kVauxFirst, DatePack(2007, 1, 1)}, {kVauxSecond, TimePack(5, 0, 0)}})}, {}},
    {"VauxOnly", {At(kDate, TimePack(10, 0, 0), kVauxFirst, kVauxSecond), At(kDate, TimePack(10, 0, 5), kVauxFirst, kVauxSecond)}, {1}},
    {"LastVauxPositions", {At(kDate, TimePack(10, 0, 0), 473, 468), At(kDate, TimePack(10, 0, 5), 473, 468)}, {1}},
    {"FirstPositionInAnAreaWins", {Clock(10, 0, 0), DvSequence({{kSubcodeFirst, kDate}, {kSubcodeSecond, DatePack(1990, 1, 1)},
                                                                  {102, TimePack(10, 0, 1)}})}, {}},
    {"InvalidFramesFormOneScene", {Clock(10, 0, 0), At(WithByte(kDate, 2, 0x32), TimePack(10, 0, 1)),
                                   At(WithByte(kDate, 3, 0x13), TimePack(10, 0, 1)), Clock(10, 0, 2)}, {1, 3}},
};

class SceneTable : public testing::TestWithParam<SceneCase> {};

TEST_P(SceneTable, FindsSceneStarts)
{
    ScanFile file(GetParam().frames);
    ASSERT_TRUE(file.reader.ScanScenes(nullptr));
    EXPECT_TRUE(file.reader.Scanned());
    EXPECT_EQ(file.reader.SceneStarts(), GetParam().starts);
}
INSTANTIATE_TEST_SUITE_P(Avi, SceneTable, testing::ValuesIn(kScenes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordingSeconds, LimitsMasksCenturyAndCarries)
{
    const Pack date = DatePack(2003, 5, 1), time = TimePack(10, 20, 30);
    const std::int64_t noDate = zv::RecordingSeconds(nullptr, time.data());
    const std::int64_t noTime = zv::RecordingSeconds(date.data(), nullptr);
    struct Row { Pack pack; bool isDate; bool valid; };
    const Row rows[] = {
        {WithByte(date, 2, 0x31), true, true}, {WithByte(date, 2, 0x32), true, false},
        {WithByte(date, 3, 0x12), true, true}, {WithByte(date, 3, 0x13), true, false},
        {WithByte(date, 4, 0x99), true, true}, {WithByte(date, 4, 0x9A), true, false},
        {WithByte(time, 2, 0x59), false, true}, {WithByte(time, 2, 0x5A), false, false},
        {WithByte(time, 3, 0x59), false, true}, {WithByte(time, 3, 0x5A), false, false},
        {WithByte(time, 4, 0x23), false, true}, {WithByte(time, 4, 0x24), false, false},
    };
    for (const Row& row : rows) {
        const std::int64_t seconds = row.isDate ? zv::RecordingSeconds(row.pack.data(), time.data())
                                                : zv::RecordingSeconds(date.data(), row.pack.data());
        EXPECT_EQ(seconds == (row.isDate ? noDate : noTime), !row.valid) << int(row.pack[2]) << " " << int(row.pack[3]);
    }
    auto at = [](Pack d, Pack t) { return zv::RecordingSeconds(d.data(), t.data()); };
    EXPECT_EQ(at(DatePack(2000, 1, 1), TimePack(0, 0, 0)), 946684800);
    EXPECT_EQ(at(DatePack(2069, 1, 1), TimePack(0, 0, 0)), 3124224000);
    EXPECT_EQ(at(DatePack(1970, 1, 1), TimePack(0, 0, 0)), 0);
    EXPECT_EQ(at(DatePack(2003, 1, 31), TimePack(23, 59, 59)), 1044057599);
    EXPECT_EQ(zv::RecordingSeconds(nullptr, nullptr), 943920000) << "month 0 and day 0 carry back to 30 Nov 1999";
    EXPECT_EQ(at(WithByte(date, 2, 0x05), time), at(WithByte(date, 2, 0xC5), time)) << "flag bits masked off";
    EXPECT_EQ(at(WithByte(date, 2, 0x1A), time), at(WithByte(date, 2, 0x20), time)) << "digits are not validated";
    EXPECT_EQ(at(WithByte(DatePack(2003, 1, 1), 3, 0x00), time), at(DatePack(2002, 12, 1), time));
    EXPECT_EQ(at(WithByte(DatePack(2003, 3, 1), 2, 0x00), time), at(DatePack(2003, 2, 28), time));
}

struct RecordingProgress : IScanProgress {
    bool exists = true, visible = false, cancelled = false;
    int cancelAtPump = -1, shows = 0, steps = 0, pumps = 0;
    std::vector<int> positions;
    bool WindowExists() const override { return exists; }
    bool IsVisible() const override { return visible; }
    void ShowNoActivate() override { ++shows, visible = true; }
    void StepPosition() override { ++steps; }
    void SetPosition(int position) override { positions.push_back(position); }
    void PumpMessages(bool escapeCancels) override
    {
        EXPECT_TRUE(escapeCancels);
        cancelled = ++pumps == cancelAtPump;
    }
    bool IsCancelled() const override { return cancelled; }
};

struct RecordingOwner : IScanOwner {
    std::vector<std::string> boxes;
    void ShowErrorBox(const char* text, const char* title) override { boxes.push_back(std::string(title) + ": " + text); }
};

TEST(ScanProgress, OneStepPerPercentRiseAndAPumpEveryTwentyFrames)
{
    struct Row { int frames; bool exists; int steps, pumps, shows; };
    const Row rows[] = {{1, true, 0, 1, 0}, {5, true, 4, 1, 1}, {20, true, 19, 1, 1}, {41, true, 40, 3, 1},
                        {250, true, 100, 13, 1}, {41, false, 0, 3, 0}};
    for (const Row& row : rows) {
        ScanFile file(Repeat(Clock(9, 0, 0), row.frames));
        RecordingProgress progress;
        progress.exists = row.exists;
        EXPECT_TRUE(file.reader.ScanScenes(&progress));
        EXPECT_EQ(progress.steps, row.steps) << row.frames;
        EXPECT_EQ(progress.pumps, row.pumps) << row.frames;
        EXPECT_EQ(progress.shows, row.shows) << row.frames;
        EXPECT_EQ(progress.positions, std::vector<int>{100});
    }
}

TEST(ScanCancel, ShowsTheBoxLeavesUnscannedAndRescansFromAFreshReference)
{
    std::vector<Bytes> frames = Repeat(Clock(10, 0, 0), 20);
    for (const Bytes& later : Repeat(Clock(10, 5, 0), 25))
        frames.push_back(later);
    ScanFile file(frames);
    RecordingOwner owner;
    file.reader.SetOwner(&owner);
    RecordingProgress cancelling;
    cancelling.cancelAtPump = 2;   // at frame 20
    EXPECT_FALSE(file.reader.ScanScenes(&cancelling));
    EXPECT_FALSE(file.reader.Scanned());
    EXPECT_EQ(owner.boxes, std::vector<std::string>{"Cancelled: Operation Cancelled"});
    EXPECT_EQ(cancelling.positions, std::vector<int>{});
    EXPECT_EQ(file.reader.SceneStarts(), std::vector<std::int32_t>{20});

    RecordingProgress progress;
    EXPECT_TRUE(file.reader.ScanScenes(&progress));
    EXPECT_TRUE(file.reader.Scanned());
    EXPECT_EQ(file.reader.SceneStarts(), std::vector<std::int32_t>{20}) << "frame 0 is never a scene start";

    file.reader.SetOwner(nullptr);
    RecordingProgress again;
    again.cancelAtPump = 1;
    EXPECT_FALSE(file.reader.ScanScenes(&again));
    EXPECT_FALSE(file.reader.Scanned());
    EXPECT_EQ(owner.boxes.size(), 1u);
}

TEST(ScanFailure, ShortFrameOrNoIndexEndsSilently)
{
    ScanFile file(Repeat(Clock(10, 0, 0), 3));
    RecordingOwner owner;
    file.reader.SetOwner(&owner);
    ASSERT_EQ(::truncate(file.path.c_str(), file.reader.FrameOffsets().back() + 11999), 0);
    EXPECT_FALSE(file.reader.ScanScenes(nullptr));
    EXPECT_FALSE(file.reader.Scanned());
    EXPECT_TRUE(owner.boxes.empty());
    file.reader.Close();
    EXPECT_FALSE(file.reader.ScanScenes(nullptr));
    CDvAviReader never;
    EXPECT_FALSE(never.ScanScenes(nullptr));
}

TEST(SceneLookup, NextAndPreviousWithTheFileEndsAsFallbacks)
{
    std::vector<Bytes> frames = Repeat(Clock(8, 0, 0), 10);
    for (int second : {30, 59})
        for (const Bytes& f : Repeat(Clock(8, 1, second), 10))
            frames.push_back(f);
    ScanFile file(frames);
    ASSERT_TRUE(file.reader.ScanScenes(nullptr));
    ASSERT_EQ(file.reader.SceneStarts(), (std::vector<std::int32_t>{10, 20}));
    struct Row { std::int64_t frame, next, previous; };
    const Row rows[] = {{-5, 10, 0}, {0, 10, 0}, {9, 10, 0}, {10, 20, 0}, {11, 20, 10}, {20, 29, 10},
                        {25, 29, 20}, {29, 29, 20}, {1LL << 40, 29, 20}};
    for (const Row& row : rows) {
        EXPECT_EQ(file.reader.NextSceneStart(row.frame), row.next) << row.frame;
        EXPECT_EQ(file.reader.PreviousSceneStart(row.frame), row.previous) << row.frame;
    }
    ScanFile still(Repeat(Clock(8, 0, 0), 6));
    ASSERT_TRUE(still.reader.ScanScenes(nullptr));
    EXPECT_EQ(still.reader.NextSceneStart(2), 5);
    EXPECT_EQ(still.reader.PreviousSceneStart(2), 0);
}

// The marks of a tape recorded over in places: the recorded time falls back at frame 5, an unreadable frame
// sits at 7, and the time runs on afterwards.
TEST(RecordingMarks, WhenEachFrameWasRecordedAndTheFirstFrameAtOrAfterATime)
{
    std::vector<Bytes> frames = {Clock(10, 0, 0), Clock(10, 0, 0), Clock(10, 0, 1), Clock(10, 0, 1), Clock(10, 0, 2),
                                 Clock(9, 0, 0),  Clock(9, 0, 1),  DvSequence({}),  Clock(10, 0, 5)};
    ScanFile file(frames);
    ASSERT_TRUE(file.reader.ScanScenes(nullptr));
    const auto seconds = [](int h, int m, int s) {
        return zv::RecordingSeconds(DatePack(2003, 5, 1).data(), TimePack(h, m, s).data());
    };
    const std::vector<RecordingMark>& marks = file.reader.RecordingMarks();
    EXPECT_EQ(marks.size(), 7u);   // one per change of second, frame 0 included
    const struct { std::int64_t frame, recorded; } at[] = {
        {0, seconds(10, 0, 0)}, {1, seconds(10, 0, 0)}, {3, seconds(10, 0, 1)}, {5, seconds(9, 0, 0)},
        {7, zv::UnrecordedSeconds()}, {8, seconds(10, 0, 5)}, {100, seconds(10, 0, 5)}, {-1, zv::UnrecordedSeconds()}};
    for (const auto& row : at)
        EXPECT_EQ(zv::RecordedSecondsAt(marks, row.frame), row.recorded) << row.frame;
    const struct { std::int64_t target, frame; } first[] = {
        {seconds(10, 0, 0), 0}, {seconds(10, 0, 1), 2}, {seconds(10, 0, 2), 4}, {seconds(10, 0, 3), 8},
        {seconds(9, 0, 1), 0},  {seconds(10, 0, 6), -1}, {zv::UnrecordedSeconds(), 0}};
    for (const auto& row : first)
        EXPECT_EQ(zv::FirstFrameRecordedAtOrAfter(marks, row.target), row.frame) << row.target;
    file.reader.Close();
    EXPECT_TRUE(file.reader.RecordingMarks().empty());
}

}  // namespace
