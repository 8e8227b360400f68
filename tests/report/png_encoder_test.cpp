// The PNG encoder's files decode, with Qt's reader (libpng), to exactly the pixels encoded.

#include "report/png_encoder.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

struct PictureCase {
    const char* name;
    int width;
    int height;
    QImage::Format format;
};

class PngEncoder : public testing::TestWithParam<PictureCase> {};

// Every channel differs from the pixel above, up and down (the row filter's differences wrap around);
// alpha varies too, and is dropped.
TEST_P(PngEncoder, DecodesToThePixelsEncoded)
{
    const PictureCase& c = GetParam();
    QImage image(c.width, c.height, c.format);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const unsigned v = static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u;
            image.setPixel(x, y, qRgba(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, 40 + (v >> 24) % 200));
        }
    }
    const std::vector<std::uint8_t> png = EncodePng(image);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(png.data(), static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngEncoder,
                         testing::Values(PictureCase{"OnePixel", 1, 1, QImage::Format_RGB32},
                                         PictureCase{"OddWidth", 7, 5, QImage::Format_RGB32},
                                         PictureCase{"FullSize", 720, 576, QImage::Format_RGB32},
                                         PictureCase{"Translucent", 9, 4, QImage::Format_ARGB32}),
                         [](const testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

TEST(PngEncoderLimits, NullImageGivesNothing)
{
    EXPECT_TRUE(EncodePng(QImage()).empty());
}

}  // namespace
