#pragma once
// The row of transport buttons, left to right: id, bitmap strip, tooltip, and the gap before the button in
// the layout (a button's left edge is inset + index x button width; the insets grow by 6 at each
// separator to leave room for its engraved line).

#include "ui/window/command_ids.h"

#include <array>

struct TransportButton {
    int id;
    unsigned strip;
    const char* tooltip;
    int inset;
};

inline constexpr std::array<TransportButton, 7> kTransportButtons{{
    {IDC_PLAY, IDB_PLAY, "Play", 10},
    {IDC_PAUSE, IDB_PAUSE, "Pause", 10},
    {IDC_STOP, IDB_STOP, "Stop", 10},
    {IDC_FRAME_BACKWARD, IDB_FRAME_BACKWARD, "Backward Frame", 16},
    {IDC_FRAME_FORWARD, IDB_FRAME_FORWARD, "Forward Frame", 16},
    {IDC_PREVIOUS_SCENE, IDB_PREVIOUS_SCENE, "Previous Scene", 22},
    {IDC_NEXT_SCENE, IDB_NEXT_SCENE, "Next Scene", 22},
}};

// The separator lines: x = inset + count x button width, before the button at that index.
struct SeparatorPlace {
    int inset;
    int buttonsBefore;
};
inline constexpr std::array<SeparatorPlace, 2> kSeparatorPlaces{{{12, 3}, {18, 5}}};

constexpr const TransportButton* FindTransportButton(int id)
{
    for (const TransportButton& button : kTransportButtons) {
        if (button.id == id) {
            return &button;
        }
    }
    return nullptr;
}
