#pragma once
// CDVMetadataFilter: the media-type rules and per-frame work of the DV Metadata Filter, free of any
// GObject plumbing. Media types are caps: the input is DV video ("video/x-dv", interleaved when
// systemstream=true), the output the painted strip as 32-bit BGRx. The element in
// gst_dv_metadata_filter.h owns one of these and maps its base-transform callbacks onto the methods below;
// tests drive them directly.

#include "dvfilter/result_codes.h"
#include "dvmeta/dv_metadata_strip.h"

#include <gst/gst.h>
#include <cstddef>
#include <cstdint>

enum class PinDirection { Input, Output };

// What an allocator is asked for and what it grants (counts and sizes in bytes).
struct AllocatorProperties {
    std::int32_t cBuffers = 0;
    std::int32_t cbBuffer = 0;
    std::int32_t cbAlign = 0;
    std::int32_t cbPrefix = 0;
};

// The buffer pool behind the output: grants properties, possibly fewer or smaller than asked.
class IMemAllocator {
public:
    virtual ~IMemAllocator() = default;
    virtual HRESULT SetProperties(const AllocatorProperties& request, AllocatorProperties& actual) = 0;
};

// The output format agreed with downstream: a bitmap header's worth of facts.
struct OutputFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitCount = 0;
};

// Facts of the file's first stream the graph builder hands over with the settings, for caps that do not
// carry them (an interleaved stream's caps have no height; the stream's subtype never shows in caps).
struct DvSourceStream {
    std::uint32_t subtype = 0;        // four-character code; 0 = plain DV video ("dvsd")
    bool hasDvInfo = false;           // the stream format block holds a DVINFO
    std::uint32_t dvVAuxSrc = 0;      // its dwDVVAuxSrc
    std::uint32_t rate = 0;           // frame rate as rate / scale; 0 = unknown
    std::uint32_t scale = 0;
};

// What one frame is painted with: taken under the element's lock, after which the painting needs none,
// so a caps query on another thread never waits for a strip to be painted, nor changes the one in work.
struct DvFrameJob {
    DvStripSettings strip;
    std::int32_t outputWidth = 0;     // of the agreed output, in pixels
    bool numbered = false;            // frameNumber is known (else the strip keeps the last one)
    std::int64_t frameNumber = 0;
};

class CDVMetadataFilter {
public:
    CDVMetadataFilter() = default;
    CDVMetadataFilter(const CDVMetadataFilter&) = delete;
    CDVMetadataFilter& operator=(const CDVMetadataFilter&) = delete;

    // Settings, written once before the element joins a pipeline.
    void SetOverlaySize(std::int32_t width, std::int32_t height);
    void SetDateOrder(std::int32_t order);
    void SetSourceStream(const DvSourceStream& stream) { m_source = stream; }

    HRESULT CheckInputType(const GstCaps* input) const;
    HRESULT CheckTransform(const GstCaps* input, const GstCaps* output) const;
    HRESULT GetMediaType(int position, GstCaps** type);   // type receives a new caps reference
    HRESULT SetMediaType(PinDirection direction, const GstCaps* type);
    HRESULT DecideBufferSize(bool inputConnected, IMemAllocator& allocator, AllocatorProperties request);

    // A renegotiated output (downstream changed the format while streaming): kept until the next frame,
    // whose Transform applies it, like a type attached to an output sample.
    void AttachOutputType(const GstCaps* type);

    // One sample's job: applies an attached output type, then takes the settings and the frame number
    // (FrameNumberOf) the sample is painted with.
    DvFrameJob TakeFrame(std::uint64_t offset, std::int64_t pts);
    // Paints the strip for frame bytes [frame, frame+length) with the job's settings and frame number as
    // its media start, and copies it to out (outSize bytes, rows of the job's output width). Touches
    // nothing the other calls do. Allocates nothing; never fails.
    HRESULT Transform(const DvFrameJob& job, const std::uint8_t* frame, std::size_t length, std::uint8_t* out,
                      std::size_t outSize);

    // The frame a sample shows: the demuxer's frame index when it set one, else the frame whose interval
    // holds the time stamp. False when neither is known.
    bool FrameNumberOf(std::uint64_t offset, std::int64_t pts, std::int64_t& frame) const;

    bool Is625() const { return m_is625; }
    std::int32_t DateOrder() const { return m_dateOrder; }
    const OutputFormat& AgreedOutput() const { return m_outputFormat; }
    // Where the element starts (the application's thread): the painting strip's font work, kept off the
    // streaming thread.
    void PrepareStrip() { m_painter.PrepareGlyphs(); }
    std::int32_t NominalWidth() const { return m_strip.NominalWidth(); }
    std::int32_t StrideWidth() const { return m_strip.StrideWidth(); }
    std::int32_t Height() const { return m_strip.Height(); }

private:
    bool HasFormatBlock(const GstStructure* s) const;
    bool Is625Type(const GstStructure* s) const;

    CDvMetadataStrip m_strip;         // the configured strip: what the types are negotiated for
    CDvMetadataStrip m_painter;       // the strip frames are painted in, on the streaming thread only
    OutputFormat m_outputFormat;
    DvSourceStream m_source;
    bool m_is625 = false;
    std::int32_t m_dateOrder = 1;
    std::uint32_t m_rate = 0;         // input frame rate as rate / scale, from caps or the source stream
    std::uint32_t m_scale = 0;
    bool m_outputPending = false;     // an attached output type waits for the next frame
    OutputFormat m_pendingOutput;
};

// Frame number of a time stamp t (ns) at rate/scale frames per second: ceil((t + 1) x rate / (scale x 1e9))
// - 1, the frame whose interval [start, next start) holds t even when the start is not a whole nanosecond
// (30000/1001). Returns -1 for a negative t or a zero rate or scale.
std::int64_t FrameOfTimestamp(std::int64_t t, std::uint32_t rate, std::uint32_t scale);
