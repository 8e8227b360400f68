#include "dvmeta/dv_metadata_strip.h"

#include <cstring>

namespace {

constexpr std::int32_t kNominalWidth625 = 768;
constexpr std::int32_t kNominalWidth525 = 640;

bool SameLayout(const DvOverlayLayout& a, const DvOverlayLayout& b)
{
    return a.fontHeight == b.fontHeight && a.x == b.x && a.y == b.y;
}

}  // namespace

CDvMetadataStrip::CDvMetadataStrip()
{
    ComputeLayout();
}

CDvMetadataStrip::~CDvMetadataStrip()
{
    if (m_overlayReady)
        FreeOverlay();
}

void CDvMetadataStrip::SetOverlaySize(std::int32_t width, std::int32_t height)
{
    m_nominalWidth = width;
    m_height = height;
    m_strideWidth = width;
    ComputeLayout();
}

void CDvMetadataStrip::SetDateOrder(std::int32_t order)
{
    m_dateOrder = order;
}

void CDvMetadataStrip::SetIs625(bool is625)
{
    m_is625 = is625 ? 1 : 0;
    m_linePeriod = is625 ? kLinePeriod625 : kLinePeriod525;
}

std::int32_t CDvMetadataStrip::OfferNominalWidth()
{
    m_nominalWidth = m_is625 ? kNominalWidth625 : kNominalWidth525;
    if (m_height < kFullStripHeight)
        m_nominalWidth /= 2;
    m_strideWidth = m_nominalWidth;
    return m_nominalWidth;
}

void CDvMetadataStrip::SetStrideWidth(std::int32_t width)
{
    if (width == m_strideWidth)
        return;
    m_strideWidth = width;
    if (m_overlayReady) {
        FreeOverlay();
        m_overlayReady = 0;
    }
}

DvStripSettings CDvMetadataStrip::Settings() const
{
    return DvStripSettings{m_nominalWidth, m_height, m_strideWidth, m_dateOrder, m_is625 != 0};
}

void CDvMetadataStrip::Follow(const DvStripSettings& settings)
{
    SetIs625(settings.is625);
    SetDateOrder(settings.dateOrder);
    if (settings.nominalWidth != m_nominalWidth || settings.height != m_height) {
        m_nominalWidth = settings.nominalWidth;
        m_height = settings.height;
        ComputeLayout();
    }
    SetStrideWidth(settings.strideWidth);
}

const std::uint8_t* CDvMetadataStrip::Transform(const std::uint8_t* frame, std::size_t length,
                                                const std::int64_t* mediaStart)
{
    // A size set after the overlay was made (a new offer, a new configuration) must not let a frame
    // clear or hand out more bytes than the image holds.
    if (m_overlayReady && (m_overlay.Width() != m_strideWidth || m_overlay.Height() != m_height)) {
        FreeOverlay();
        m_overlayReady = 0;
    }
    if (!m_overlayReady) {
        ComputeLayout();
        m_overlayReady = CreateOverlay(m_strideWidth, m_height) ? 1 : 0;
    }
    if (mediaStart)
        m_mediaStart = *mediaStart;
    ExtractPacks(m_packTable, m_timecodeMode, frame, length);
    if (!m_overlayReady)
        return nullptr;
    DrawOverlay();
    return m_pixels;
}

void CDvMetadataStrip::ReadFrame(const std::uint8_t* frame, std::size_t length, std::int64_t frameNumber)
{
    ExtractPacks(m_packTable, m_timecodeMode, frame, length);
    m_mediaStart = frameNumber;
}

const char* CDvMetadataStrip::FormatField(DvField field)
{
    switch (field) {
    case DvField::Timecode: FormatDvTimecode(m_text, m_packTable, m_timecodeMode); break;
    case DvField::RecTime: FormatRecTime(m_text, m_packTable); break;
    case DvField::RecDate: FormatRecDate(m_text, m_packTable, m_dateOrder); break;
    case DvField::Shutter: FormatShutter(m_text, m_packTable, m_linePeriod, m_shutterKey, m_shutterSpeed); break;
    case DvField::Iris: FormatIris(m_text, m_packTable); break;
    case DvField::Stabiliser: FormatStabiliser(m_text, m_packTable); break;
    case DvField::Gain: FormatGain(m_text, m_packTable); break;
    case DvField::ExposureMode: FormatExposureMode(m_text, m_packTable); break;
    case DvField::WhiteBalanceMode: FormatWhiteBalanceMode(m_text, m_packTable); break;
    case DvField::WhiteBalance: FormatWhiteBalance(m_text, m_packTable); break;
    case DvField::Audio: FormatAudio(m_text, m_packTable); break;
    case DvField::Counter: FormatCounter(m_text, m_mediaStart, m_timecodeMode); break;
    default: m_text[0] = '\0'; break;
    }
    return m_text;
}

DvOverlayLayout CDvMetadataStrip::Layout() const
{
    return DvOverlayLayout{m_fontHeight, {x0, x1, x2, x3, x4}, {y0, y1, y2}};
}

void CDvMetadataStrip::ComputeLayout()
{
    const DvOverlayLayout layout = ComputeOverlayLayout(m_nominalWidth, m_height, m_is625 != 0);
    m_fontHeight = layout.fontHeight;
    x0 = layout.x[0];
    x1 = layout.x[1];
    x2 = layout.x[2];
    x3 = layout.x[3];
    x4 = layout.x[4];
    y0 = layout.y[0];
    y1 = layout.y[1];
    y2 = layout.y[2];
}

bool CDvMetadataStrip::CreateOverlay(std::int32_t width, std::int32_t height)
{
    if (!m_overlay.Create(width, height, m_fontHeight))
        return false;
    m_pixels = m_overlay.Pixels();
    m_drawn = false;
    return true;
}

void CDvMetadataStrip::FreeOverlay()
{
    m_overlay.Free();
    m_pixels = nullptr;
    m_drawn = false;
}

void CDvMetadataStrip::DrawOverlay()
{
    const DvOverlayLayout layout = Layout();
    const bool whole = !m_drawn || !SameLayout(layout, m_drawnLayout);
    std::array<DvTextBox, kStripTexts> boxes{};
    std::array<bool, kStripTexts> changed{};
    for (std::size_t i = 0; i < kStripTexts; ++i) {
        const DvOverlayStep& step = kOverlaySteps[i];
        FormatField(step.field);
        const auto length = static_cast<std::int32_t>(strnlen(m_text, CGlyphAtlas::kMaxTextLength));
        boxes[i] = TextBox(layout.x[static_cast<std::size_t>(step.column)], layout.y[static_cast<std::size_t>(step.row)],
                           length, CellWidth(), CellHeight(), CGlyphAtlas::kMargin);
        changed[i] = whole || std::strncmp(m_text, m_drawnText[i], kDvTextSize) != 0;
        if (changed[i])
            std::memcpy(m_drawnText[i], m_text, kDvTextSize);
    }
    DvStripDamage damage;
    if (whole) {
        m_overlay.Clear();
        damage.repaint.fill(true);
    } else {
        damage = FindStripDamage(m_drawnBox, boxes, changed);
        for (std::size_t i = 0; i < kStripTexts; ++i) {
            if (damage.repaint[i])
                m_overlay.ClearBox(damage.clear[i].left, damage.clear[i].top, damage.clear[i].right, damage.clear[i].bottom);
        }
    }
    for (std::size_t i = 0; i < kStripTexts; ++i) {
        const DvOverlayStep& step = kOverlaySteps[i];
        if (damage.repaint[i])
            m_overlay.DrawText(layout.x[static_cast<std::size_t>(step.column)],
                               layout.y[static_cast<std::size_t>(step.row)], step.ink, m_drawnText[i]);
    }
    m_drawnBox = boxes;
    m_drawnLayout = layout;
    m_drawn = true;
}
