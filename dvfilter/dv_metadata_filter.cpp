#include "dvfilter/dv_metadata_filter.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a))
         | static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8
         | static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16
         | static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

constexpr std::uint32_t kSubtypeDvsd = MakeFourCC('d', 'v', 's', 'd');
constexpr std::uint32_t kSubtypeCdvc = MakeFourCC('C', 'D', 'V', 'C');
constexpr std::uint32_t kDvInfo625Bit = 1u << 21;   // 50/60 bit of the VAUX source pack in dwDVVAuxSrc
constexpr std::size_t kDvInfoVAuxSrcOffset = 16;    // dwDVVAuxSrc within DVINFO

bool IsDvCaps(const GstStructure* s)
{
    return s != nullptr && gst_structure_has_name(s, "video/x-dv");
}

bool IsInterleaved(const GstStructure* s)
{
    gboolean systemStream = FALSE;
    return gst_structure_get_boolean(s, "systemstream", &systemStream) && systemStream;
}

// dwDVVAuxSrc from the DVINFO an interleaved stream's caps may carry as codec_data.
bool VAuxSrcFromCodecData(const GstStructure* s, std::uint32_t& vauxSrc)
{
    const GValue* value = gst_structure_get_value(s, "codec_data");
    if (value == nullptr || !GST_VALUE_HOLDS_BUFFER(value)) {
        return false;
    }
    GstBuffer* buffer = gst_value_get_buffer(value);
    std::uint8_t bytes[4];
    if (buffer == nullptr || gst_buffer_get_size(buffer) < kDvInfoVAuxSrcOffset + sizeof bytes
        || gst_buffer_extract(buffer, kDvInfoVAuxSrcOffset, bytes, sizeof bytes) != sizeof bytes) {
        return false;
    }
    vauxSrc = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
            | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

GstCaps* MakeStripCaps(const char* format, std::int32_t width, std::int32_t height)
{
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, format, "width", G_TYPE_INT, width,
                               "height", G_TYPE_INT, height, nullptr);
}

}  // namespace

void CDVMetadataFilter::SetOverlaySize(std::int32_t width, std::int32_t height)
{
    m_strip.SetOverlaySize(width, height);
}

void CDVMetadataFilter::SetDateOrder(std::int32_t order)
{
    m_dateOrder = order;
    m_strip.SetDateOrder(order);
}

std::int64_t FrameOfTimestamp(std::int64_t t, std::uint32_t rate, std::uint32_t scale)
{
    if (t < 0 || rate == 0 || scale == 0) {
        return -1;
    }
    const guint64 next = gst_util_uint64_scale_ceil(static_cast<guint64>(t) + 1, rate,
                                                    static_cast<guint64>(scale) * GST_SECOND);
    return static_cast<std::int64_t>(next) - 1;
}

bool CDVMetadataFilter::FrameNumberOf(std::uint64_t offset, std::int64_t pts, std::int64_t& frame) const
{
    if (offset != GST_BUFFER_OFFSET_NONE && offset <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        frame = static_cast<std::int64_t>(offset);
        return true;
    }
    const std::int64_t fromTime = FrameOfTimestamp(pts, m_rate, m_scale);
    if (fromTime < 0) {
        return false;
    }
    frame = fromTime;
    return true;
}

// A type "has a format block" when it carries what the stream format would: the picture size for plain
// DV video, the DVINFO for an interleaved stream (in the caps or handed over by the builder).
bool CDVMetadataFilter::HasFormatBlock(const GstStructure* s) const
{
    if (IsInterleaved(s)) {
        std::uint32_t vauxSrc = 0;
        return VAuxSrcFromCodecData(s, vauxSrc) || m_source.hasDvInfo;
    }
    return gst_structure_has_field(s, "width") && gst_structure_has_field(s, "height");
}

HRESULT CDVMetadataFilter::CheckInputType(const GstCaps* input) const
{
    if (input == nullptr || gst_caps_is_empty(input) || gst_caps_is_any(input)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const GstStructure* s = gst_caps_get_structure(input, 0);
    if (!IsDvCaps(s)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const std::uint32_t subtype = m_source.subtype != 0 ? m_source.subtype : kSubtypeDvsd;
    if (subtype == kSubtypeDvsd && HasFormatBlock(s)) {
        return S_OK;
    }
    return subtype == kSubtypeCdvc ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CDVMetadataFilter::CheckTransform(const GstCaps* /*input*/, const GstCaps* output) const
{
    if (output == nullptr || gst_caps_is_empty(output) || gst_caps_is_any(output)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const GstStructure* s = gst_caps_get_structure(output, 0);
    if (!gst_structure_has_name(s, "video/x-raw")) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const char* format = gst_structure_get_string(s, "format");
    if (format == nullptr || std::strcmp(format, "BGRx") != 0) {
        return VFW_E_TYPE_NOT_ACCEPTED;   // includes the 24-bit type offered at position 1
    }
    int width = 0;
    int height = 0;
    if (!gst_structure_get_int(s, "width", &width) || !gst_structure_get_int(s, "height", &height)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    if (width < m_strip.NominalWidth() || height != m_strip.Height()) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return S_OK;
}

HRESULT CDVMetadataFilter::GetMediaType(int position, GstCaps** type)
{
    if (position < 0) {
        return E_INVALIDARG;
    }
    if (type == nullptr) {
        return E_POINTER;
    }
    switch (position) {
    case 0: {
        const std::int32_t width = m_strip.OfferNominalWidth();
        *type = MakeStripCaps("BGRx", width, m_strip.Height());
        return S_OK;
    }
    case 1:
        // Listed for completeness of the offer; CheckTransform never accepts it.
        *type = MakeStripCaps("BGR", m_strip.StrideWidth(), m_strip.Height());
        return S_OK;
    default:
        return VFW_S_NO_MORE_ITEMS;
    }
}

bool CDVMetadataFilter::Is625Type(const GstStructure* s) const
{
    int height = 0;
    if (!IsInterleaved(s) && gst_structure_get_int(s, "height", &height)) {
        return std::abs(height) == 576;
    }
    std::uint32_t vauxSrc = 0;
    if (IsInterleaved(s) && VAuxSrcFromCodecData(s, vauxSrc)) {
        return (vauxSrc & kDvInfo625Bit) != 0;
    }
    if (IsInterleaved(s) && m_source.hasDvInfo) {
        return (m_source.dvVAuxSrc & kDvInfo625Bit) != 0;
    }
    return true;   // no format that says otherwise
}

HRESULT CDVMetadataFilter::SetMediaType(PinDirection direction, const GstCaps* type)
{
    if (type == nullptr || gst_caps_is_empty(type) || gst_caps_is_any(type)) {
        return S_OK;
    }
    const GstStructure* s = gst_caps_get_structure(type, 0);
    if (direction == PinDirection::Output) {
        OutputFormat format;
        gst_structure_get_int(s, "width", &format.width);
        gst_structure_get_int(s, "height", &format.height);
        const char* name = gst_structure_get_string(s, "format");
        format.bitCount = (name != nullptr && std::strcmp(name, "BGR") == 0) ? 24 : 32;
        m_outputFormat = format;
        return S_OK;
    }
    m_is625 = Is625Type(s);
    m_strip.SetIs625(m_is625);
    int num = 0;
    int den = 0;
    if (gst_structure_get_fraction(s, "framerate", &num, &den) && num > 0 && den > 0) {
        m_rate = static_cast<std::uint32_t>(num);
        m_scale = static_cast<std::uint32_t>(den);
    } else {
        m_rate = m_source.rate;
        m_scale = m_source.scale;
    }
    return S_OK;
}

HRESULT CDVMetadataFilter::DecideBufferSize(bool inputConnected, IMemAllocator& allocator,
                                            AllocatorProperties request)
{
    if (!inputConnected) {
        return E_UNEXPECTED;
    }
    // Row size of a bitmap of this depth (padded to 32 bits) times the number of rows, in 64 bits so an
    // absurd format cannot wrap.
    // A renegotiated output waiting for the next frame is the one the buffers are for.
    const OutputFormat& format = m_outputPending ? m_pendingOutput : m_outputFormat;
    const std::int64_t rowBytes = ((static_cast<std::int64_t>(format.bitCount) * format.width + 31) / 8) & ~std::int64_t{3};
    const std::int64_t size = rowBytes * std::abs(static_cast<std::int64_t>(format.height));
    if (size <= 0 || size > std::numeric_limits<std::int32_t>::max()) {
        return E_FAIL;
    }
    request.cbBuffer = static_cast<std::int32_t>(size);
    if (request.cBuffers == 0) {
        request.cBuffers = 1;
    }
    if (request.cbAlign == 0) {
        request.cbAlign = 1;
    }
    AllocatorProperties actual;
    const HRESULT hr = allocator.SetProperties(request, actual);
    if (FAILED(hr)) {
        return hr;
    }
    return actual.cbBuffer < request.cbBuffer ? E_FAIL : S_OK;
}

void CDVMetadataFilter::AttachOutputType(const GstCaps* type)
{
    if (type == nullptr || gst_caps_is_empty(type)) {
        return;
    }
    const GstStructure* s = gst_caps_get_structure(type, 0);
    OutputFormat format;
    gst_structure_get_int(s, "width", &format.width);
    gst_structure_get_int(s, "height", &format.height);
    format.bitCount = 32;
    m_pendingOutput = format;
    m_outputPending = true;
}

DvFrameJob CDVMetadataFilter::TakeFrame(std::uint64_t offset, std::int64_t pts)
{
    if (m_outputPending) {
        // Downstream asked for another buffer width: the strip is re-made at that stride, its layout kept.
        m_outputPending = false;
        if (m_pendingOutput.width != m_strip.StrideWidth()) {
            m_strip.SetStrideWidth(m_pendingOutput.width);
        }
        m_outputFormat = m_pendingOutput;
    }
    DvFrameJob job;
    job.strip = m_strip.Settings();
    job.outputWidth = m_outputFormat.width;
    job.numbered = FrameNumberOf(offset, pts, job.frameNumber);
    return job;
}

HRESULT CDVMetadataFilter::Transform(const DvFrameJob& job, const std::uint8_t* frame, std::size_t length,
                                     std::uint8_t* out, std::size_t outSize)
{
    m_painter.Follow(job.strip);
    const std::uint8_t* pixels = m_painter.Transform(frame, length, job.numbered ? &job.frameNumber : nullptr);
    if (out == nullptr || outSize == 0) {
        return S_OK;
    }
    const std::size_t outStride = static_cast<std::size_t>(std::max(job.outputWidth, 0)) * 4;
    const QImage* image = m_painter.Image();
    if (pixels == nullptr || image == nullptr) {
        std::memset(out, 0, outSize);   // no strip could be made: show black rather than stale memory
        return S_OK;
    }
    // Copy row by row, bounded by both the strip image and the output buffer: a width change that the
    // strip has not followed yet must not read or write past either.
    const std::size_t srcStride = static_cast<std::size_t>(image->width()) * 4;
    const std::size_t rowBytes = std::min(srcStride, outStride);
    const std::size_t rows = std::min(static_cast<std::size_t>(image->height()),
                                      outStride != 0 ? outSize / outStride : 0);
    for (std::size_t row = 0; row < rows; ++row) {
        std::memcpy(out + row * outStride, pixels + row * srcStride, rowBytes);
        if (outStride > rowBytes) {
            std::memset(out + row * outStride + rowBytes, 0, outStride - rowBytes);
        }
    }
    return S_OK;
}
