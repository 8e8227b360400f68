#include "report/png_encoder.h"

#include <QImage>

#include <zlib.h>

#include <array>
#include <cstring>
#include <new>
#include <string_view>

namespace {

constexpr std::size_t kMaxRawBytes = std::size_t{1} << 28;
constexpr std::uint8_t kFilterUp = 2;

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::uint8_t* data, std::size_t size)
{
    PutBigEndian(out, static_cast<std::uint32_t>(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    const uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

// Each row's filter byte, then its R, G, B bytes less those of the pixel above (the row above row 0 is zero).
void FilterRows(const QImage& rgb, std::uint8_t* raw)
{
    const int width = rgb.width();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const auto* above = y > 0 ? reinterpret_cast<const QRgb*>(rgb.constScanLine(y - 1)) : nullptr;
        *raw++ = kFilterUp;
        for (int x = 0; x < width; ++x) {
            const QRgb up = above != nullptr ? above[x] : 0;
            *raw++ = static_cast<std::uint8_t>(qRed(row[x]) - qRed(up));
            *raw++ = static_cast<std::uint8_t>(qGreen(row[x]) - qGreen(up));
            *raw++ = static_cast<std::uint8_t>(qBlue(row[x]) - qBlue(up));
        }
    }
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const QImage& image)
{
    if (image.isNull()) {
        return {};
    }
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(rgb.width());
    const std::size_t rawBytes = rowBytes * static_cast<std::size_t>(rgb.height());
    if (rgb.isNull() || rawBytes > kMaxRawBytes) {
        return {};
    }
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> deflated;
    std::vector<std::uint8_t> png;
    try {
        raw.resize(rawBytes);
        deflated.resize(compressBound(static_cast<uLong>(rawBytes)));
        png.reserve(deflated.size() + 64);
    } catch (const std::bad_alloc&) {
        return {};
    }
    FilterRows(rgb, raw.data());
    uLongf deflatedBytes = static_cast<uLongf>(deflated.size());
    if (compress2(deflated.data(), &deflatedBytes, raw.data(), static_cast<uLong>(rawBytes), Z_BEST_SPEED) != Z_OK) {
        return {};
    }
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.assign(kSignature.begin(), kSignature.end());
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(rgb.width()));
    PutBigEndian(header, static_cast<std::uint32_t>(rgb.height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});   // 8 bits, RGB, deflate, adaptive filtering, no interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    PutChunk(png, "IDAT", deflated.data(), deflatedBytes);
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}
