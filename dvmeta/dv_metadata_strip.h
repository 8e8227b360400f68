#pragma once
// The per-frame state of the DV Metadata Filter without any media framework: DV frame bytes and frame
// number in, the painted 32-bit metadata strip out. One object per stream; not thread-safe (the
// pipeline serialises frames).

#include <cstddef>
#include <cstdint>

#include <QImage>

#include "dvmeta/dv_field.h"
#include "dvmeta/dv_packs.h"
#include "dvmeta/dv_text.h"
#include "dvmeta/overlay_layout.h"
#include "dvmeta/overlay_surface.h"
#include "dvmeta/strip_damage.h"

#include <array>

// The settings a strip is painted with, as one value: a strip that paints on one thread can follow
// another that is configured on others.
struct DvStripSettings {
    std::int32_t nominalWidth = 0;
    std::int32_t height = 0;
    std::int32_t strideWidth = 0;
    std::int32_t dateOrder = 0;
    bool is625 = false;
};

class CDvMetadataStrip {
public:
    CDvMetadataStrip();   // 700 x 100, date order 1, 525 lines, layout computed once (provisional)
    ~CDvMetadataStrip();
    CDvMetadataStrip(const CDvMetadataStrip&) = delete;
    CDvMetadataStrip& operator=(const CDvMetadataStrip&) = delete;

    // The configured size: nominal and stride width, height; the layout follows.
    void SetOverlaySize(std::int32_t width, std::int32_t height);
    void SetDateOrder(std::int32_t order);
    // Line system of the input; the font height follows at the next overlay creation.
    void SetIs625(bool is625);
    // The width of the offered output: 768 for 625 lines, 640 for 525, halved for a strip under 100 high.
    // Sets the nominal and stride width and returns it.
    std::int32_t OfferNominalWidth();
    // A downstream buffer width: when it differs, the overlay is freed and the next frame re-creates it
    // at this width, keeping the layout of the nominal width.
    void SetStrideWidth(std::int32_t width);
    DvStripSettings Settings() const;
    // Takes over another strip's settings; a new size re-makes the overlay at the next frame.
    void Follow(const DvStripSettings& settings);

    // Renders the font's glyph cells for every layout on the calling thread (see
    // COverlaySurface::PrepareGlyphs): for the thread that starts a stream, not the one that paints it.
    void PrepareGlyphs() { m_overlay.PrepareGlyphs(); }

    // One frame: creates the overlay when not ready, stores mediaStart (when given), extracts the packs
    // and paints the twelve texts (repainting only where they differ from the last frame's). Returns StrideWidth() x Height() x 4 bytes (B, G, R, X, top
    // row first), valid until the next call, or nullptr when the overlay cannot be created (the packs
    // and the frame number are still taken). Allocates nothing once the overlay exists.
    const std::uint8_t* Transform(const std::uint8_t* frame, std::size_t length, const std::int64_t* mediaStart);

    // Text-only use: take a frame's packs and its frame number, then format fields one by one.
    void ReadFrame(const std::uint8_t* frame, std::size_t length, std::int64_t frameNumber);
    // Runs the field's formatter into the text buffer and returns the buffer (valid until the next call).
    const char* FormatField(DvField field);

    std::int32_t NominalWidth() const { return m_nominalWidth; }
    std::int32_t StrideWidth() const { return m_strideWidth; }
    std::int32_t Height() const { return m_height; }
    bool Is625() const { return m_is625 != 0; }
    std::int32_t DateOrder() const { return m_dateOrder; }
    bool OverlayReady() const { return m_overlayReady != 0; }
    std::int32_t TimecodeMode() const { return m_timecodeMode; }
    std::int64_t MediaStart() const { return m_mediaStart; }
    DvOverlayLayout Layout() const;
    // The painted image (overwritten by every frame; copy it to keep it), nullptr when not ready.
    const QImage* Image() const { return m_overlay.Image(); }
    // Character cell of the overlay font; 0 x 0 when not ready.
    int CellWidth() const { return m_overlay.Glyphs().CellWidth(); }
    int CellHeight() const { return m_overlay.Glyphs().CellHeight(); }

private:
    void ComputeLayout();
    bool CreateOverlay(std::int32_t width, std::int32_t height);
    void FreeOverlay();
    void DrawOverlay();

    std::int64_t m_mediaStart = 0;
    std::uint8_t m_is625 = 0;
    double m_linePeriod = kLinePeriod525;
    std::int32_t m_timecodeMode = zv::kTimecodeMode625;
    std::int32_t m_fontHeight = 0;
    std::int32_t x0 = 0, x1 = 0, x2 = 0, x3 = 0, x4 = 0;
    std::int32_t y0 = 0, y1 = 0, y2 = 0;
    std::int32_t m_overlayReady = 0;
    std::int32_t m_nominalWidth = 700;
    std::int32_t m_height = 100;
    std::int32_t m_strideWidth = 700;
    std::int32_t m_dateOrder = kDateOrderDayMonthYear;
    std::uint8_t* m_pixels = nullptr;
    COverlaySurface m_overlay;   // image and font: the drawing resources
    DvPackTable m_packTable;
    DvText m_text{};
    std::int32_t m_shutterKey = 0x7FFF;
    std::int32_t m_shutterSpeed = -1;
    // What the overlay shows: while m_drawn, a whole paint of these texts, in painting order, at this layout.
    bool m_drawn = false;
    DvOverlayLayout m_drawnLayout{};
    std::array<DvText, kStripTexts> m_drawnText{};
    std::array<DvTextBox, kStripTexts> m_drawnBox{};
};
