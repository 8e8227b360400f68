// CDVMetadataFilter's media-type rules, driven directly with caps: what it accepts, what it offers and in
// which order, how it sizes its buffers and numbers its frames.

#include "dvfilter/dv_metadata_filter.h"
#include "dvfilter/gst_handles.h"

#include <gtest/gtest.h>

namespace {

zv::CapsPtr Caps(const char* text)
{
    return zv::CapsPtr(gst_caps_from_string(text));
}

constexpr std::uint32_t FourCC(const char (&s)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) | static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8
         | static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 | static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

TEST(DvMetadataFilterTypes, InputTypes)
{
    struct Case {
        std::string caps;
        std::uint32_t subtype;
        bool streamHasDvInfo;
        HRESULT expected;
    };
    const Case cases[] = {
        {"video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)576", 0, false, S_OK},
        {"video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)480", FourCC("dvsd"), false, S_OK},
        // plain DV video without the picture size: no format block
        {"video/x-dv, systemstream=(boolean)false", FourCC("dvsd"), false, VFW_E_TYPE_NOT_ACCEPTED},
        // interleaved: the DVINFO comes from the stream header
        {"video/x-dv, systemstream=(boolean)true", FourCC("dvsd"), true, S_OK},
        {"video/x-dv, systemstream=(boolean)true", FourCC("dvsd"), false, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-dv, systemstream=(boolean)true, codec_data=(buffer)" + std::string(32, '0') + "00002000" + std::string(24, '0'), FourCC("dvsd"), false, S_OK},
        // any CDVC type, format or not
        {"video/x-dv, systemstream=(boolean)false", FourCC("CDVC"), false, S_OK},
        {"video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)576", FourCC("DVSD"), false, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-raw, format=(string)BGRx, width=(int)720, height=(int)576", 0, false, VFW_E_TYPE_NOT_ACCEPTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caps);
        CDVMetadataFilter filter;
        DvSourceStream stream;
        stream.subtype = c.subtype;
        stream.hasDvInfo = c.streamHasDvInfo;
        filter.SetSourceStream(stream);
        EXPECT_EQ(filter.CheckInputType(Caps(c.caps.c_str()).get()), c.expected);
    }
}

TEST(DvMetadataFilterTypes, OfferFollowsTheLineSystemAndOverlaySize)
{
    struct Case {
        const char* input;
        std::uint32_t vauxSrc;
        std::int32_t overlayWidth, overlayHeight;
        int width, height;
    };
    const Case cases[] = {
        {"video/x-dv, systemstream=(boolean)true", 1u << 21, 700, 100, 768, 100},   // 625 lines from DVINFO
        {"video/x-dv, systemstream=(boolean)true", 0, 700, 100, 640, 100},
        {"video/x-dv, systemstream=(boolean)true", 1u << 21, 350, 50, 384, 50},
        {"video/x-dv, systemstream=(boolean)true", 0, 350, 50, 320, 50},
        {"video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)-576", 0, 700, 100, 768, 100},
        {"video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)480", 1u << 21, 700, 100, 640, 100},
        {"video/x-dv", 0, 700, 100, 768, 100},   // nothing says otherwise: 625 lines
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        CDVMetadataFilter filter;
        filter.SetOverlaySize(c.overlayWidth, c.overlayHeight);
        DvSourceStream stream;
        stream.hasDvInfo = true;
        stream.dvVAuxSrc = c.vauxSrc;
        filter.SetSourceStream(stream);
        EXPECT_EQ(filter.SetMediaType(PinDirection::Input, Caps(c.input).get()), S_OK);
        GstCaps* raw = nullptr;
        ASSERT_EQ(filter.GetMediaType(0, &raw), S_OK);
        zv::CapsPtr first(raw);
        EXPECT_TRUE(gst_caps_is_equal(first.get(), Caps(("video/x-raw, format=(string)BGRx, width=(int)" + std::to_string(c.width)
                                                          + ", height=(int)" + std::to_string(c.height)).c_str()).get()))
            << gst_caps_to_string(first.get());
        ASSERT_EQ(filter.GetMediaType(1, &raw), S_OK);
        zv::CapsPtr second(raw);
        EXPECT_STREQ(gst_structure_get_string(gst_caps_get_structure(second.get(), 0), "format"), "BGR");
        // The 24-bit type is listed but never accepted.
        EXPECT_EQ(filter.CheckTransform(nullptr, second.get()), VFW_E_TYPE_NOT_ACCEPTED);
        EXPECT_EQ(filter.CheckTransform(nullptr, first.get()), S_OK);
        EXPECT_EQ(filter.GetMediaType(2, &raw), VFW_S_NO_MORE_ITEMS);
        EXPECT_EQ(filter.GetMediaType(-1, &raw), E_INVALIDARG);
    }
}

TEST(DvMetadataFilterTypes, OutputProposals)
{
    struct Case {
        const char* output;
        bool afterOffer;
        HRESULT expected;
    };
    const Case cases[] = {
        {"video/x-raw, format=(string)BGRx, width=(int)704, height=(int)100", true, S_OK},   // wider is fine
        {"video/x-raw, format=(string)BGRx, width=(int)640, height=(int)100", true, S_OK},
        {"video/x-raw, format=(string)BGRx, width=(int)639, height=(int)100", true, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-raw, format=(string)BGRx, width=(int)640, height=(int)99", true, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-raw, format=(string)BGR, width=(int)640, height=(int)100", true, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-raw, format=(string)I420, width=(int)640, height=(int)100", true, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-raw, format=(string)BGRx", true, VFW_E_TYPE_NOT_ACCEPTED},
        // Before the first offer the configured width (700) is the minimum.
        {"video/x-raw, format=(string)BGRx, width=(int)640, height=(int)100", false, VFW_E_TYPE_NOT_ACCEPTED},
        {"video/x-raw, format=(string)BGRx, width=(int)700, height=(int)100", false, S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        CDVMetadataFilter filter;
        filter.SetOverlaySize(700, 100);
        filter.SetMediaType(PinDirection::Input, Caps("video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)480").get());
        if (c.afterOffer) {
            GstCaps* offered = nullptr;
            ASSERT_EQ(filter.GetMediaType(0, &offered), S_OK);
            zv::CapsPtr owner(offered);
        }
        EXPECT_EQ(filter.CheckTransform(nullptr, Caps(c.output).get()), c.expected);
    }
}

class GrantingAllocator : public IMemAllocator {
public:
    explicit GrantingAllocator(std::int32_t shortBy) : m_shortBy(shortBy) {}
    HRESULT SetProperties(const AllocatorProperties& request, AllocatorProperties& actual) override
    {
        asked = request;
        actual = request;
        actual.cbBuffer -= m_shortBy;
        return S_OK;
    }
    AllocatorProperties asked;

private:
    std::int32_t m_shortBy;
};

TEST(DvMetadataFilterTypes, BufferSizeIsRowsOfTheAgreedFormat)
{
    CDVMetadataFilter filter;
    filter.SetMediaType(PinDirection::Output, Caps("video/x-raw, format=(string)BGRx, width=(int)704, height=(int)100").get());
    GrantingAllocator enough(0);
    EXPECT_EQ(filter.DecideBufferSize(false, enough, {}), E_UNEXPECTED);
    EXPECT_EQ(filter.DecideBufferSize(true, enough, {}), S_OK);
    EXPECT_EQ(enough.asked.cbBuffer, 704 * 4 * 100);
    EXPECT_EQ(enough.asked.cBuffers, 1);
    EXPECT_EQ(enough.asked.cbAlign, 1);
    GrantingAllocator tooSmall(1);
    EXPECT_EQ(filter.DecideBufferSize(true, tooSmall, {}), E_FAIL);
}

TEST(DvMetadataFilterTypes, FrameNumberFromOffsetElseFromTheTimestamp)
{
    struct Case {
        std::uint64_t offset;
        std::int64_t pts;
        const char* rate;
        std::int64_t frame;
    };
    const Case cases[] = {
        {17, 0, "25/1", 17},                                   // the demuxer's index wins
        {GST_BUFFER_OFFSET_NONE, 120000000, "25/1", 3},
        {GST_BUFFER_OFFSET_NONE, 119999999, "25/1", 2},
        {GST_BUFFER_OFFSET_NONE, 333666666, "30000/1001", 10},   // 10 x 1001/30 ms, truncated to whole ns
        {GST_BUFFER_OFFSET_NONE, 333666667, "30000/1001", 10},
        {GST_BUFFER_OFFSET_NONE, 367033332, "30000/1001", 10},
        {GST_BUFFER_OFFSET_NONE, 367033333, "30000/1001", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pts);
        CDVMetadataFilter filter;
        filter.SetMediaType(PinDirection::Input,
                            Caps((std::string("video/x-dv, systemstream=(boolean)false, width=(int)720, height=(int)480, framerate=(fraction)") + c.rate).c_str()).get());
        std::int64_t frame = -1;
        ASSERT_TRUE(filter.FrameNumberOf(c.offset, c.pts, frame));
        EXPECT_EQ(frame, c.frame);
    }
    CDVMetadataFilter unknownRate;
    std::int64_t frame = -1;
    EXPECT_FALSE(unknownRate.FrameNumberOf(GST_BUFFER_OFFSET_NONE, 1000, frame));
}

}  // namespace
