// The PNG encoder's files decode, with Qt's reader (libpng), to exactly the pixels encoded.

#include "report/png_encoder.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>

namespace {

struct PictureCase {
    const char* name;
    int width;
    int height;
    QImage::Format format;
    std::function<QRgb(int x, int y)> pixel;
};

QImage Painted(const PictureCase& c)
{
    QImage image(c.width, c.height, c.format);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            image.setPixel(x, y, c.pixel(x, y));
        }
    }
    return image;
}

class PngEncoder : public testing::TestWithParam<PictureCase> {};

TEST_P(PngEncoder, DecodesToThePixelsEncoded)
{
    const QImage image = Painted(GetParam());
    const std::vector<std::uint8_t> png = EncodePng(image);
    ASSERT_FALSE(png.empty());
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(png.data(), static_cast<int>(png.size()), "PNG"));
    // Alpha is dropped: the colours stay as they are, as an opaque 32-bit RGB copy of the image has them.
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));
}

// Rows that differ from the rows above in every channel, in both directions (the filter's differences
// wrap around), at widths with and without a multiple of four bytes per row.
INSTANTIATE_TEST_SUITE_P(
    Pictures, PngEncoder,
    testing::Values(
        PictureCase{"OnePixel", 1, 1, QImage::Format_RGB32, [](int, int) { return qRgb(255, 1, 128); }},
        PictureCase{"OddWidthGradient", 7, 5, QImage::Format_RGB32,
                    [](int x, int y) { return qRgb(x * 40, 255 - y * 60, (x * y * 37) & 0xFF); }},
        PictureCase{"FullSizeNoise", 720, 576, QImage::Format_RGB32,
                    [](int x, int y) {
                        const unsigned v = static_cast<unsigned>(x * 2654435761u ^ y * 40503u);
                        return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
                    }},
        PictureCase{"TranslucentArgb", 9, 4, QImage::Format_ARGB32,
                    [](int x, int y) { return qRgba(x * 25, y * 60, 200, 40 + x * 20); }},
        PictureCase{"Grey", 13, 3, QImage::Format_Grayscale8, [](int x, int y) { return qRgb(x * 19, x * 19, y); }}),
    [](const testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

TEST(PngEncoderLimits, NullImageGivesNothing)
{
    EXPECT_TRUE(EncodePng(QImage()).empty());
}

}  // namespace
