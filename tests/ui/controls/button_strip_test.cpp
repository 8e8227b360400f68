#include "ui/controls/button_strip.h"

#include <QImage>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr int kFrame = 21;

QRgb At(const QImage& strip, int frame, int x, int y) { return strip.pixel(frame * kFrame + x, y) & 0xFFFFFFu; }

std::set<std::pair<int, int>> PixelsOf(const QImage& strip, int frame, QRgb colour)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x)
            if (At(strip, frame, x, y) == (colour & 0xFFFFFFu))
                out.emplace(x, y);
    return out;
}

// Glyph pixels per column, left to right, without the empty columns around it: a right-pointing
// triangle shrinks, a left-pointing one grows, a bar stays level.
std::vector<int> ColumnProfile(const std::set<std::pair<int, int>>& glyph)
{
    std::vector<int> heights(kFrame, 0);
    for (const auto& [x, y] : glyph)
        ++heights[x];
    while (!heights.empty() && heights.back() == 0)
        heights.pop_back();
    while (!heights.empty() && heights.front() == 0)
        heights.erase(heights.begin());
    return heights;
}

struct StripCase {
    unsigned id;
    const char* button;
    std::vector<int> profile;
};

class ButtonStripTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(ButtonStripTest, FramesFollowTheirLook)
{
    const QImage strip = LoadButtonStrip(GetParam().id);
    ASSERT_EQ(strip.size(), QSize(84, 21));
    const auto glyph = PixelsOf(strip, kStripFrameNormal, kBlack);

    // The glyph: its shape, centred on the frame.
    EXPECT_EQ(ColumnProfile(glyph), GetParam().profile) << GetParam().button;
    int left = kFrame, right = 0, top = kFrame, bottom = 0;
    for (const auto& [x, y] : glyph) {
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
    EXPECT_NEAR((left + right) / 2.0, 10.0, 0.5);
    EXPECT_NEAR((top + bottom) / 2.0, 10.0, 0.5);

    // Normal: flat face, black glyph, nothing else.
    EXPECT_EQ(PixelsOf(strip, kStripFrameNormal, kStripFaceColour).size() + glyph.size(), 21u * 21u);

    // Pressed: sunken edge, checkerboard of white and face, glyph one pixel right and down.
    std::set<std::pair<int, int>> shifted;
    for (const auto& [x, y] : glyph)
        shifted.emplace(x + 1, y + 1);
    EXPECT_EQ(PixelsOf(strip, kStripFramePressed, kBlack), shifted);
    for (int i = 0; i < kFrame - 1; ++i) {
        EXPECT_EQ(At(strip, kStripFramePressed, i, 0), kStripShadowColour & 0xFFFFFFu);
        EXPECT_EQ(At(strip, kStripFramePressed, 0, i), kStripShadowColour & 0xFFFFFFu);
        EXPECT_EQ(At(strip, kStripFramePressed, i + 1, 20), kWhite & 0xFFFFFFu);
        EXPECT_EQ(At(strip, kStripFramePressed, 20, i + 1), kWhite & 0xFFFFFFu);
    }
    for (int y = 1; y < kFrame - 1; ++y)
        for (int x = 1; x < kFrame - 1; ++x)
            if (!shifted.count({x, y})) {
                EXPECT_EQ(At(strip, kStripFramePressed, x, y),
                          ((x + y) % 2 == 0 ? kWhite : kStripFaceColour) & 0xFFFFFFu);
            }

    // Hover: raised edge, the normal glyph.
    EXPECT_EQ(PixelsOf(strip, kStripFrameHover, kBlack), glyph);
    for (int i = 0; i < kFrame - 1; ++i) {
        EXPECT_EQ(At(strip, kStripFrameHover, i, 0), kWhite & 0xFFFFFFu);
        EXPECT_EQ(At(strip, kStripFrameHover, i + 1, 20), kStripShadowColour & 0xFFFFFFu);
    }

    // Disabled: flat, the glyph in shadow grey.
    EXPECT_TRUE(PixelsOf(strip, kStripFrameDisabled, kBlack).empty());
    EXPECT_EQ(PixelsOf(strip, kStripFrameDisabled, kStripShadowColour), glyph);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, ButtonStripTest,
    ::testing::Values(StripCase{149, "BackwardFrame", {1, 3, 5, 7, 0, 7, 7}},
                      StripCase{150, "PreviousScene", {11, 11, 0, 1, 3, 5, 7, 9, 11}},
                      StripCase{151, "ForwardFrame", {7, 7, 0, 7, 5, 3, 1}},
                      StripCase{152, "NextScene", {11, 9, 7, 5, 3, 1, 0, 11, 11}},
                      StripCase{153, "Pause", {11, 11, 11, 0, 0, 0, 11, 11, 11}},
                      StripCase{154, "Play", {11, 9, 7, 5, 3, 1}},
                      StripCase{155, "Stop", {9, 9, 9, 9, 9, 9, 9, 9, 9}}),
    [](const auto& info) { return std::string(info.param.button); });

TEST(ButtonStrip, UnknownIdGivesNoStrip)
{
    EXPECT_TRUE(LoadButtonStrip(148).isNull());
    EXPECT_TRUE(LoadButtonStrip(156).isNull());
}

TEST(ButtonStrip, MappingReplacesFaceAndShadowOnly)
{
    const QImage strip = LoadButtonStrip(152);
    const QColor face(10, 200, 30), shadow(200, 20, 20);
    const QImage mapped = MapStripColours(strip, face, shadow);
    ASSERT_EQ(mapped.size(), strip.size());
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x) {
            const QRgb before = strip.pixel(x, y) & 0xFFFFFFu;
            const QRgb after = mapped.pixel(x, y) & 0xFFFFFFu;
            QRgb expected = before;  // white and black stay
            if (before == (kStripFaceColour & 0xFFFFFFu))
                expected = face.rgb() & 0xFFFFFFu;
            else if (before == (kStripShadowColour & 0xFFFFFFu))
                expected = shadow.rgb() & 0xFFFFFFu;
            EXPECT_EQ(after, expected);
        }
    }
}

}  // namespace
