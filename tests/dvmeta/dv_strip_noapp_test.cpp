// Without a QGuiApplication there are no fonts: the strip must refuse to paint, not abort, and the
// text path must keep working (the command-line report formats texts without painting).

#include <gtest/gtest.h>

#include "dvmeta/dv_metadata_strip.h"
#include "tests/dvmeta/dv_frame_builder.h"

TEST(DvStripWithoutGui, TransformFailsCleanlyAndTextsStillWork)
{
    const std::vector<std::uint8_t> frame = dvtest::CamcorderFrame625();
    CDvMetadataStrip strip;
    strip.SetIs625(true);
    strip.OfferNominalWidth();
    const std::int64_t frameNumber = 25;
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(strip.Transform(frame.data(), frame.size(), &frameNumber), nullptr);
        EXPECT_FALSE(strip.OverlayReady());
        EXPECT_EQ(strip.Image(), nullptr);
    }
    EXPECT_STREQ(strip.FormatField(DvField::RecDate), "24/12/03");
    EXPECT_STREQ(strip.FormatField(DvField::Counter), "00:00:01:00");
}
