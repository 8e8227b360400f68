// Arbitrary frame bytes through everything that reads a DV frame's packs: the pack table, the twelve field
// texts (text-only path, as the report uses them) and the painted strip (as the pipeline uses it).
//
// Input: byte 0 chooses the strip's configuration (date order, line system, full or half size, whether the
// frame number is given), the rest is the frame.

#include "dvmeta/dv_metadata_strip.h"
#include "dvmeta/dv_packs.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Strips {
    CDvMetadataStrip full;
    CDvMetadataStrip half;
};

Strips* g_strips = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Painting needs fonts, so a GUI application must exist; offscreen, as the command line does.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    g_strips = new Strips;
    g_strips->half.SetOverlaySize(350, 50);
    for (CDvMetadataStrip* strip : {&g_strips->full, &g_strips->half})
        strip->OfferNominalWidth();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t control = data[0];
    const std::uint8_t* frame = data + 1;
    const std::size_t length = size - 1;

    DvPackTable table;
    std::int32_t mode = control % 3;
    ExtractPacks(table, mode, frame, length);
    if (mode < 0 || mode > 2)
        std::abort();   // the timecode mode is one of three values whatever the frame holds

    CDvMetadataStrip& strip = (control & 0x10) != 0 ? g_strips->half : g_strips->full;
    strip.SetDateOrder((control >> 2) & 3);
    strip.SetIs625((control & 0x20) != 0);

    // The text-only path: every formatter's text must end inside the buffer.
    strip.ReadFrame(frame, length, static_cast<std::int64_t>(control) * 1000003);
    for (int field = 0; field < kDvFieldCount; ++field) {
        const char* text = strip.FormatField(static_cast<DvField>(field));
        if (text == nullptr || std::memchr(text, '\0', sizeof(DvText)) == nullptr)
            std::abort();
    }

    // The painted strip, read back in full so a short image would show up under the address sanitizer.
    const std::int64_t mediaStart = static_cast<std::int64_t>(length) * 7;
    const std::uint8_t* pixels = strip.Transform(frame, length, (control & 0x40) != 0 ? &mediaStart : nullptr);
    if (pixels != nullptr) {
        const std::size_t bytes = static_cast<std::size_t>(strip.StrideWidth()) * strip.Height() * 4;
        unsigned sum = 0;
        for (std::size_t i = 0; i < bytes; i += 61)
            sum += pixels[i];
        if (bytes > 0)
            sum += pixels[bytes - 1];
        volatile unsigned sink = sum;
        (void)sink;
    }
    return 0;
}
