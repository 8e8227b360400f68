// The camera and audio texts: shutter, iris, stabiliser, gain, exposure, white balance, audio sampling.

#include <array>
#include <cstdio>

#include "dvmeta/dv_text.h"

namespace {

// Consumer camera 1 iris code 0-60 -> f-number x 10 (IEC 61834-4, consumer camera pack).
constexpr std::array<std::uint16_t, 61> kIrisTable = {
    10,  11,  12,  13,  14,  15,  17,  18,  20,  22,  24,  26,  28,  31,  34,   37,   40,   44,   48,   52,   57,
    62,  67,  73,  80,  87,  95,  100, 110, 120, 130, 150, 160, 170, 190, 210,  230,  250,  270,  290,  320,
    350, 380, 410, 450, 490, 540, 590, 640, 700, 760, 830, 910, 990, 1080, 1170, 1280, 1400, 1520, 1660, 1810,
};

// Consumer camera 1 AGC code 0-14 -> gain in dB; code 15 means no value.
constexpr std::array<std::uint8_t, 15> kGainTable = {0, 0, 6, 10, 12, 14, 16, 17, 18, 19, 20, 21, 22, 22, 23};

constexpr std::int32_t kNoShutterValue = 0x7FFF;
constexpr int kIrisBelowOne = 61;
constexpr int kIrisClosed = 62;

void Put(DvText& text, const char* literal)
{
    std::snprintf(text, sizeof text, "%s", literal);
}

}  // namespace

void FormatShutter(DvText& text, const DvPackTable& packs, double linePeriod, std::int32_t& shutterKey,
                   std::int32_t& shutterSpeed)
{
    const std::uint8_t* p = packs.Find(kPackShutter);
    const std::int32_t v = p ? (((p[4] & 0x7F) << 8) | p[3]) : kNoShutterValue;
    if (v == kNoShutterValue) {   // also covers PC3 = PC4 = 0xFF
        Put(text, "---");
        return;
    }
    if (v != shutterKey) {
        // v lines of exposure; v = 0 has no finite speed and shows 0 (the conversion of an infinite
        // quotient to an integer would be undefined).
        const double speed = v == 0 ? 0.0 : 1.0 / (v * linePeriod) + 0.5;
        shutterSpeed = speed < 2147483647.0 ? static_cast<std::int32_t>(speed) : 2147483647;
        shutterKey = v;
    }
    std::snprintf(text, sizeof text, "%d", shutterSpeed);
}

void FormatIris(DvText& text, const DvPackTable& packs)
{
    const std::uint8_t* p = packs.Find(kPackCamera1);
    const int code = p ? (p[1] & 0x3F) : 63;
    if (code == kIrisBelowOne) {
        Put(text, "f<1");
    } else if (code == kIrisClosed) {
        Put(text, "CLOSE");
    } else if (code >= static_cast<int>(kIrisTable.size())) {
        Put(text, "f---");
    } else {
        const int n = kIrisTable[static_cast<std::size_t>(code)];
        if (n < 100)
            std::snprintf(text, sizeof text, "f%d.%d", n / 10, n % 10);
        else
            std::snprintf(text, sizeof text, "f%d", n / 10);
    }
}

void FormatStabiliser(DvText& text, const DvPackTable& packs)
{
    const std::uint8_t* p = packs.Find(kPackCamera2);
    Put(text, !p ? "~---" : (p[2] & 0x80) ? "~OFF" : "~ON");
}

void FormatGain(DvText& text, const DvPackTable& packs)
{
    const std::uint8_t* p = packs.Find(kPackCamera1);
    const std::size_t code = p ? (p[2] & 0x0F) : kGainTable.size();
    if (code >= kGainTable.size())
        Put(text, "--dB");
    else
        std::snprintf(text, sizeof text, "%ddB", kGainTable[code]);
}

void FormatExposureMode(DvText& text, const DvPackTable& packs)
{
    static constexpr std::array<const char*, 16> kNames = {
        "AUTO", "GAIN", "SHUT", "IRIS", "MANL", "????", "????", "????",
        "????", "????", "????", "????", "????", "????", "????", "----",
    };
    const std::uint8_t* p = packs.Find(kPackCamera1);
    Put(text, kNames[p ? (p[2] >> 4) : 15]);
}

void FormatWhiteBalanceMode(DvText& text, const DvPackTable& packs)
{
    static constexpr std::array<const char*, 8> kNames = {
        "AUTO", "HOLD", "1-PUSH", "PRESET", "??????", "??????", "??????", "------",
    };
    const std::uint8_t* p = packs.Find(kPackCamera1);
    Put(text, kNames[p ? (p[3] >> 5) : 7]);
}

void FormatWhiteBalance(DvText& text, const DvPackTable& packs)
{
    static constexpr std::array<const char*, 6> kNames = {"CANDLE", "INCAND", "FLU-LO", "FLU-HI", "SUNLGT", "CLOUDY"};
    const std::uint8_t* p = packs.Find(kPackCamera1);
    const std::size_t code = p ? (p[3] & 0x1F) : 31;
    Put(text, code < kNames.size() ? kNames[code] : code == 31 ? "------" : "??????");
}

void FormatAudio(DvText& text, const DvPackTable& packs)
{
    static constexpr std::array<const char*, 8> kRates = {"48", "44.1", "32", "??", "??", "??", "??", "??"};
    const std::uint8_t* p = packs.Find(kPackAauxSource);
    if (!p) {
        Put(text, "------");
        return;
    }
    std::snprintf(text, sizeof text, "%s/%s", kRates[(p[4] >> 3) & 7], (p[1] & 0x80) ? "U" : "L");
}
