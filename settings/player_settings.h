#pragma once
// The three user settings of a run, where they are stored, their defaults and the rules that repair stored
// values at start. Values are kept as the signed 32-bit integers the store holds, so odd values that still
// mean something (a negative DateFormat shows dates month first) survive until the user saves new ones.

#include <cstdint>

struct PlayerSettings {
    std::int32_t DvDecoderRes = 0;  // 1 = half decoder resolution and a 350 x 50 strip; anything else = full
    std::int32_t DateFormat = 1;    // 1 = day/month/year; anything else = month/day/year
    std::int32_t Renderer = 2;      // 1 = video overlay (X11); anything else = built-in renderer
};

// Renderer availability mask: bit 0 = built-in renderer, bit 1 = video overlay.
inline constexpr unsigned kRendererBuiltInAvailable = 1u;
inline constexpr unsigned kRendererOverlayAvailable = 2u;

// Repair rules, applied right after each value is read.
std::int32_t RepairDvDecoderRes(std::int32_t stored);
std::int32_t RepairDateFormat(std::int32_t stored);
std::int32_t RepairRenderer(std::int32_t stored, unsigned availability);

// Reads DvDecoderRes (default 0), then DateFormat (default 0), then Renderer (default 2) from the group
// "Options" of the per-user store, repairing each as it is read.
PlayerSettings LoadSettings(unsigned availability);

// Writes all three values, in that order, whatever changed. Failures are ignored: the run's values already hold.
void SaveSettings(const PlayerSettings& settings);
