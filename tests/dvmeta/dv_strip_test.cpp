// The painted strip: sizes, layout, inks and cells of the twelve texts, width changes, failure and retry,
// and no allocation per frame. Needs a QGuiApplication for fonts, hence its own main().

#include <gtest/gtest.h>

#include "tests/support/skip_status.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <new>
#include <thread>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include "dvmeta/dv_metadata_strip.h"
#include "dvmeta/overlay_font.h"
#include "dvmeta/overlay_glyph_set.h"
#include "dvmeta/overlay_surface.h"
#include "tests/dvmeta/dv_frame_builder.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using dvtest::BlankFrame;
using dvtest::PutPack;

enum class Hue { None, Red, Blue, Grey, Other };

struct Pixel {
    std::uint8_t b, g, r, x;
};

Pixel At(const std::uint8_t* pixels, int width, int x, int y)
{
    const std::uint8_t* p = pixels + (static_cast<std::size_t>(y) * width + x) * 4;
    return Pixel{p[0], p[1], p[2], p[3]};
}

// Antialiased ink on black keeps the ink's channel relations.
Hue HueOf(Pixel p)
{
    if (p.r == 0 && p.g == 0 && p.b == 0)
        return Hue::None;
    if (p.g == p.b && p.r > p.g)
        return Hue::Red;
    if (p.r == p.g && p.b > p.r)
        return Hue::Blue;
    if (p.r == p.g && p.g == p.b)
        return Hue::Grey;
    return Hue::Other;
}

struct Placement {
    DvField field;
    Hue hue;
    std::uint8_t r, g, b;   // full-strength ink
    int column, row;
};

// The strip as the viewer sees it: ten red texts, blue audio, grey counter, in five columns and three rows.
constexpr Placement kGrid[] = {
    {DvField::Timecode, Hue::Red, 255, 32, 32, 0, 0},        {DvField::RecTime, Hue::Red, 255, 32, 32, 1, 0},
    {DvField::RecDate, Hue::Red, 255, 32, 32, 1, 1},         {DvField::Shutter, Hue::Red, 255, 32, 32, 2, 0},
    {DvField::Iris, Hue::Red, 255, 32, 32, 2, 1},            {DvField::Stabiliser, Hue::Red, 255, 32, 32, 2, 2},
    {DvField::Gain, Hue::Red, 255, 32, 32, 3, 0},            {DvField::ExposureMode, Hue::Red, 255, 32, 32, 3, 1},
    {DvField::WhiteBalanceMode, Hue::Red, 255, 32, 32, 4, 0}, {DvField::WhiteBalance, Hue::Red, 255, 32, 32, 4, 1},
    {DvField::Audio, Hue::Blue, 64, 64, 255, 4, 2},          {DvField::Counter, Hue::Grey, 128, 128, 128, 0, 2},
};

// Each text's cells hold its ink at full strength and only its hue; outside the cells (and the two
// columns either side a glyph may spill into) the strip is black. The fourth byte is 0 everywhere.
// Texts must not overlap for this check.
void ExpectTextsInTheirCells(CDvMetadataStrip& strip, const std::uint8_t* pixels)
{
    const int width = strip.StrideWidth();
    const int height = strip.Height();
    const DvOverlayLayout layout = strip.Layout();
    std::vector<Hue> expected(static_cast<std::size_t>(width) * height, Hue::None);
    for (const Placement& text : kGrid) {
        const int length = static_cast<int>(std::strlen(strip.FormatField(text.field)));
        const int left = layout.x[static_cast<std::size_t>(text.column)];
        const int top = layout.y[static_cast<std::size_t>(text.row)];
        const int right = left + length * strip.CellWidth(), bottom = top + strip.CellHeight();
        bool fullInk = false;
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
            for (int x = std::max(left - 2, 0); x < std::min(right + 2, width); ++x) {
                expected[static_cast<std::size_t>(y) * width + x] = text.hue;
                const Pixel p = At(pixels, width, x, y);
                fullInk = fullInk || (p.r == text.r && p.g == text.g && p.b == text.b);
            }
        }
        EXPECT_TRUE(fullInk) << "field " << static_cast<int>(text.field) << " '" << strip.FormatField(text.field) << "'";
    }
    int stray = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Pixel p = At(pixels, width, x, y);
            const Hue hue = HueOf(p);
            if (p.x != 0 || (hue != Hue::None && hue != expected[static_cast<std::size_t>(y) * width + x]))
                ++stray;
        }
    }
    EXPECT_EQ(stray, 0);
}

struct SizeCase {
    bool is625;
    std::int32_t requestWidth, height, offeredWidth, fontHeight, pixelSize;
    DvOverlayLayout layout;
};

class StripSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(StripSizeTest, PaintsPlaceholdersAndCamcorderFrame)
{
    const SizeCase& c = GetParam();
    CDvMetadataStrip strip;
    strip.SetOverlaySize(c.requestWidth, c.height);
    strip.SetIs625(c.is625);
    EXPECT_EQ(strip.OfferNominalWidth(), c.offeredWidth);
    const std::int64_t frameNumber = 90000;
    const std::vector<std::uint8_t> blank = BlankFrame(c.is625 ? dvtest::kFrame625 : dvtest::kFrame525);
    const std::uint8_t* pixels = strip.Transform(blank.data(), blank.size(), &frameNumber);
    ASSERT_NE(pixels, nullptr);
    ASSERT_NE(strip.Image(), nullptr);
    EXPECT_EQ(strip.Image()->width(), c.offeredWidth);
    EXPECT_EQ(strip.Image()->height(), c.height);
    EXPECT_EQ(strip.Image()->bytesPerLine(), c.offeredWidth * 4);
    const DvOverlayLayout layout = strip.Layout();
    EXPECT_EQ(layout.fontHeight, c.fontHeight);
    EXPECT_EQ(layout.x, c.layout.x);
    EXPECT_EQ(layout.y, c.layout.y);
    EXPECT_EQ(OverlayPixelSize(c.fontHeight), c.pixelSize);
    EXPECT_LE(strip.CellHeight(), layout.y[1]);   // rows never touch
    ExpectTextsInTheirCells(strip, pixels);

    const std::vector<std::uint8_t> camcorder = dvtest::CamcorderFrame625();
    pixels = strip.Transform(camcorder.data(), camcorder.size(), nullptr);
    ASSERT_NE(pixels, nullptr);
    EXPECT_STREQ(strip.FormatField(DvField::Counter), "01:00:00:00");
    ExpectTextsInTheirCells(strip, pixels);
}

INSTANTIATE_TEST_SUITE_P(LineSystems, StripSizeTest,
                         ::testing::Values(SizeCase{true, 700, 100, 768, 32, 28, {32, {2, 245, 432, 545, 657}, {0, 33, 66}}},
                                           SizeCase{false, 700, 100, 640, 28, 24, {28, {2, 204, 361, 454, 548}, {0, 33, 66}}},
                                           SizeCase{true, 350, 50, 384, -14, 14, {-14, {2, 123, 217, 273, 329}, {0, 16, 32}}},
                                           SizeCase{false, 350, 50, 320, -14, 14, {-14, {2, 103, 181, 228, 275}, {0, 16, 32}}}));

bool RedInColumns(const std::uint8_t* pixels, int width, int from, int to, int top, int bottom)
{
    for (int y = top; y < bottom; ++y)
        for (int x = from; x < to; ++x)
            if (HueOf(At(pixels, width, x, y)) == Hue::Red)
                return true;
    return false;
}

// The pixel size for a cell height is the size whose cell comes closest, the smaller on a tie: what trying
// every size from 1 gives, whatever way the program searches.
TEST(DvStrip, PixelSizeIsTheClosestCellOfAllSizes)
{
    std::vector<int> cells(1);   // cells[size]
    for (int size = 1; size <= 2 * 120; ++size)
        cells.push_back(QFontMetrics(MakeOverlayFont(size)).height());
    for (std::int32_t height = 1; height <= 120; ++height) {
        int best = 1;
        for (int size = 2; size <= 2 * height; ++size) {
            if (std::abs(cells[size] - height) < std::abs(cells[best] - height))
                best = size;
        }
        EXPECT_EQ(OverlayPixelSize(height), best) << "cell height " << height;
    }
    for (const std::int32_t height : {0, -14, kMaxOverlayFontHeight + 1, -kMaxOverlayFontHeight - 1})
        EXPECT_EQ(OverlayPixelSize(height), height < 0 && height >= -kMaxOverlayFontHeight ? -height : 0) << height;
}

TEST(DvStrip, WiderStrideKeepsLayout)
{
    CDvMetadataStrip strip;
    EXPECT_EQ(strip.Layout().x[1], 223);   // provisional layout of the initial 700 width
    strip.OfferNominalWidth();
    const std::vector<std::uint8_t> blank = BlankFrame(dvtest::kFrame525);
    ASSERT_NE(strip.Transform(blank.data(), blank.size(), nullptr), nullptr);
    const DvOverlayLayout before = strip.Layout();

    strip.SetStrideWidth(640);
    EXPECT_TRUE(strip.OverlayReady());
    strip.SetStrideWidth(704);
    EXPECT_FALSE(strip.OverlayReady());
    EXPECT_EQ(strip.Image(), nullptr);
    const std::uint8_t* pixels = strip.Transform(blank.data(), blank.size(), nullptr);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(strip.Image()->width(), 704);
    EXPECT_EQ(strip.NominalWidth(), 640);
    EXPECT_EQ(strip.Layout().x, before.x);
    ExpectTextsInTheirCells(strip, pixels);
}

// A size set after the overlay exists re-creates it before the next frame touches the pixels.
TEST(DvStrip, NewSizeAfterCreationReallocates)
{
    CDvMetadataStrip strip;
    strip.SetIs625(true);
    strip.OfferNominalWidth();
    const std::vector<std::uint8_t> blank = BlankFrame(dvtest::kFrame625);
    ASSERT_NE(strip.Transform(blank.data(), blank.size(), nullptr), nullptr);
    strip.SetOverlaySize(350, 50);
    ASSERT_NE(strip.Transform(blank.data(), blank.size(), nullptr), nullptr);
    EXPECT_EQ(strip.Image()->width(), 350);
    EXPECT_EQ(strip.Image()->height(), 50);
    EXPECT_EQ(strip.Layout().fontHeight, -14);
}

TEST(DvStrip, FailedCreationStillTakesFrameAndRetries)
{
    CDvMetadataStrip strip;
    strip.SetStrideWidth(0);
    std::vector<std::uint8_t> frame = BlankFrame(dvtest::kFrame525);
    PutPack(frame, 0, dvtest::kFirstVauxSlot, {kPackVauxSource, 0xFF, 0xFF, 0x00, 0xFF});
    const std::int64_t frameNumber = 1800;
    EXPECT_EQ(strip.Transform(frame.data(), frame.size(), &frameNumber), nullptr);
    EXPECT_FALSE(strip.OverlayReady());
    EXPECT_EQ(strip.TimecodeMode(), 2);
    EXPECT_STREQ(strip.FormatField(DvField::Counter), "00:01:00;02");
    strip.SetStrideWidth(kMaxOverlayWidth + 1);
    EXPECT_EQ(strip.Transform(frame.data(), frame.size(), nullptr), nullptr);
    strip.SetStrideWidth(640);
    EXPECT_NE(strip.Transform(frame.data(), frame.size(), nullptr), nullptr);
    EXPECT_TRUE(strip.OverlayReady());
}

// Where texts meet, the later one's opaque cells cover the earlier text.
TEST(DvStrip, LaterTextOverdrawsEarlier)
{
    std::vector<std::uint8_t> longDate = BlankFrame(dvtest::kFrame525);
    PutPack(longDate, 0, 1, {kPackRecDate, 0xFF, 0x39, 0x1F, 0xFF});   // "39/115/1515" runs past x2
    const std::vector<std::uint8_t> noDate = BlankFrame(dvtest::kFrame525);
    CDvMetadataStrip a, b;
    a.OfferNominalWidth();
    b.OfferNominalWidth();
    const std::uint8_t* pa = a.Transform(longDate.data(), longDate.size(), nullptr);
    const std::uint8_t* pb = b.Transform(noDate.data(), noDate.size(), nullptr);
    ASSERT_TRUE(pa && pb);
    const int x2 = a.Layout().x[2], y1 = a.Layout().y[1], cell = a.CellWidth();
    EXPECT_TRUE(RedInColumns(pa, 640, x2 - cell, x2, y1, y1 + a.CellHeight()));
    for (int y = y1; y < y1 + a.CellHeight(); ++y)
        for (int x = x2; x < x2 + 4 * cell; ++x)
            ASSERT_EQ(std::memcmp(pa + (y * 640 + x) * 4, pb + (y * 640 + x) * 4, 4), 0) << x << "," << y;
}

// A strip that repaints only what changed from its last frame gives, frame after frame, the very pixels of
// a strip painting that frame anew: texts changing alone, all at once, overdrawing their neighbours (the
// long date) and going back, at both line systems, both sizes and after a new stride.
TEST(DvStrip, RepaintingWhatChangedGivesTheWholePaint)
{
    const auto withTimecode = [](std::vector<std::uint8_t> frame, std::uint8_t ff, std::uint8_t ss) {
        for (std::size_t s = 0; s < frame.size() / kDifSequenceSize; ++s)
            PutPack(frame, s, 0, {kPackTimecode, ff, ss, 0x59, 0x23});
        return frame;
    };
    std::vector<std::uint8_t> longDate = BlankFrame(dvtest::kFrame525);
    PutPack(longDate, 0, 1, {kPackRecDate, 0xFF, 0x39, 0x1F, 0xFF});
    std::vector<std::uint8_t> otherShutter = dvtest::CamcorderFrame625();
    PutPack(otherShutter, 3, dvtest::kFirstVauxSlot + 4, {kPackShutter, 0xFF, 0xFF, 0x35, 0x02});
    const std::vector<std::vector<std::uint8_t>> frames = {
        dvtest::CamcorderFrame625(), withTimecode(dvtest::CamcorderFrame625(), 0x01, 0x00),
        withTimecode(dvtest::CamcorderFrame625(), 0x02, 0x00), BlankFrame(dvtest::kFrame625), otherShutter,
        longDate, BlankFrame(dvtest::kFrame525), longDate, withTimecode(longDate, 0x11, 0x38), BlankFrame(100)};
    struct Case {
        bool is625;
        std::int32_t width, height, widerStride;
    };
    for (const Case c : {Case{true, 700, 100, 800}, Case{false, 700, 100, 700}, Case{false, 350, 50, 400}}) {
        CDvMetadataStrip repainted;
        repainted.SetOverlaySize(c.width, c.height);
        repainted.SetIs625(c.is625);
        repainted.OfferNominalWidth();
        for (std::int64_t n = 0; n < 2 * static_cast<std::int64_t>(frames.size()); ++n) {
            if (n == static_cast<std::int64_t>(frames.size()))
                repainted.SetStrideWidth(c.widerStride);
            const std::vector<std::uint8_t>& frame = frames[static_cast<std::size_t>(n) % frames.size()];
            const std::int64_t frameNumber = n % 3 == 0 ? n : 7;
            CDvMetadataStrip whole;
            whole.Follow(repainted.Settings());
            const std::uint8_t* ours = repainted.Transform(frame.data(), frame.size(), &frameNumber);
            const std::uint8_t* fresh = whole.Transform(frame.data(), frame.size(), &frameNumber);
            ASSERT_TRUE(ours && fresh);
            const auto bytes = static_cast<std::size_t>(repainted.StrideWidth()) * repainted.Height() * 4;
            ASSERT_EQ(std::memcmp(ours, fresh, bytes), 0) << "625 " << c.is625 << " height " << c.height << " frame " << n;
        }
    }
}

// The copied glyph cells give the same pixels as drawing the text with QPainter on opaque black, also
// where the image edges cut the text off.
TEST(DvStrip, GlyphCellsMatchDirectTextDrawing)
{
    const char* texts[] = {"23:59:59;24", "--/--/--", "SUNLGT", "f5.7", "~OFF", "44.1/U", "CLOSE", "1-PUSH", "f<1", "A", "_"};
    const QPoint origins[] = {{4, 2}, {-7, -5}, {60, 20}};
    for (const std::int32_t fontHeight : {32, 28, -14}) {
        CGlyphAtlas atlas;
        const DvRgb ink{64, 64, 255};
        ASSERT_TRUE(atlas.Build(fontHeight, std::span<const DvRgb>(&ink, 1)));
        const QFont font = MakeOverlayFont(OverlayPixelSize(fontHeight));
        const int ascent = QFontMetrics(font).ascent();
        for (const char* text : texts) {
            for (const QPoint origin : origins) {
                QImage ours(96, 40, QImage::Format_RGB32);
                ours.fill(0);
                atlas.DrawText(reinterpret_cast<std::uint32_t*>(ours.bits()), 96, 40, origin.x(), origin.y(), 0, text);
                QImage reference(96, 40, QImage::Format_RGB32);
                reference.fill(Qt::black);
                QPainter painter(&reference);
                painter.setFont(font);
                painter.setPen(QColor(ink.r, ink.g, ink.b));
                painter.setBackgroundMode(Qt::OpaqueMode);
                painter.setBackground(Qt::black);
                painter.drawText(QPoint(origin.x(), origin.y() + ascent), QString::fromLatin1(text));
                painter.end();
                int differing = 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 96; ++x)
                        differing += (ours.pixel(x, y) & 0xFFFFFF) != (reference.pixel(x, y) & 0xFFFFFF);
                EXPECT_EQ(differing, 0) << text << " at " << origin.x() << "," << origin.y() << " height " << fontHeight;
            }
        }
    }
}

TEST(DvStrip, NoAllocationPerFrame)
{
    std::vector<std::vector<std::uint8_t>> frames = {dvtest::CamcorderFrame625(), BlankFrame(dvtest::kFrame625),
                                                     BlankFrame(130000), BlankFrame(100)};
    PutPack(frames[2], 3, dvtest::kFirstVauxSlot + 4, {kPackShutter, 0xFF, 0xFF, 0x35, 0x02});
    CDvMetadataStrip strip;
    strip.SetIs625(true);
    strip.OfferNominalWidth();
    ASSERT_NE(strip.Transform(frames[0].data(), frames[0].size(), nullptr), nullptr);
    const long before = g_allocations.load();
    for (std::int64_t n = 0; n < 400; ++n) {
        const std::vector<std::uint8_t>& frame = frames[static_cast<std::size_t>(n) % frames.size()];
        if (!strip.Transform(frame.data(), frame.size(), &n))
            break;
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
    EXPECT_TRUE(strip.OverlayReady());
}

// The strip is painted on a streaming thread the media framework keeps in its pool for the life of the
// process: the font cache the toolkit makes for a thread that lays out text would stay with it. Prepared
// on the thread that starts the element, the strip paints (at two sizes) and goes without leaving any.
TEST(DvStrip, APreparedStripLeavesNoFontCacheOnThePaintingThread)
{
    const std::vector<std::uint8_t> frame = dvtest::CamcorderFrame625();
    auto strip = std::make_unique<CDvMetadataStrip>();
    strip->SetIs625(true);
    strip->PrepareGlyphs();
    long long kept = 0;
    bool painted = false;
    std::thread painter([&] {
        const std::size_t before = mallinfo2().uordblks;
        painted = strip->Transform(frame.data(), frame.size(), nullptr) != nullptr;
        strip->SetStrideWidth(800);
        painted = painted && strip->Transform(frame.data(), frame.size(), nullptr) != nullptr;
        strip.reset();
        kept = static_cast<long long>(mallinfo2().uordblks) - static_cast<long long>(before);
    });
    painter.join();   // (measured before the thread ends, as the pool's threads never do)
    ASSERT_TRUE(painted);
    EXPECT_LT(kept, 16 * 1024) << "bytes the painting thread still holds";
}

// The cells are made once for the process: a surface prepared and one merely created after it both draw
// with the shared set, at every height the layouts give.
TEST(DvStrip, EverySurfaceDrawsWithTheOneSharedSetOfCells)
{
    COverlaySurface prepared;
    prepared.PrepareGlyphs();
    const OverlayGlyphSet* shared = MadeOverlayGlyphs();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(SharedOverlayGlyphs(), shared);
    for (std::size_t i = 0; i < kOverlayFontHeights.size(); ++i) {
        COverlaySurface later;
        ASSERT_TRUE(prepared.Create(700, 100, kOverlayFontHeights[i]));
        ASSERT_TRUE(later.Create(700, 100, kOverlayFontHeights[i]));
        EXPECT_EQ(&prepared.Glyphs(), &(*shared)[i]) << kOverlayFontHeights[i];
        EXPECT_EQ(&later.Glyphs(), &(*shared)[i]) << kOverlayFontHeights[i];
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
