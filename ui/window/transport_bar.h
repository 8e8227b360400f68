#pragma once
// CTransportBar: the seven transport buttons and the seek slider under the metadata area. It makes them,
// places them for a client width, and shows what the window tells it: which button is latched, whether
// the row can be used, the frame range, the thumb's frame and the scene tick marks. It knows nothing of
// the graph; a click hands the button's command id to the window's command path.

#include "ui/window/control_strip.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class CHoverButton;
class CNiceSliderCtrl;
class QWidget;

class CTransportBar {
public:
    using Dispatch = std::function<void(int)>;
    static constexpr int kButtonCount = 7;

    // Makes the slider and the buttons as children of parent, each button loaded with its bitmap strip and
    // tooltip and named by its tooltip; the tab order runs from the slider through the buttons.
    void Create(QWidget* parent, Dispatch dispatch);

    // The looks of the window's states: Play latched, Pause latched, neither; each enables the whole row.
    void ShowPlaying();
    void ShowPaused();
    void ShowStopped();
    // No file: the row disabled, the thumb at 0 and no tick marks.
    void Disable();

    // The slider's range for a file of count frames (at least one position).
    void SetFrameCount(std::int64_t count);
    void ShowFrame(std::int64_t frame);
    // The tick marks of a scan, replacing those of an earlier one.
    void ShowSceneStarts(const std::vector<std::int32_t>& starts);

    // Height of the button row and of the slider, for the window's sizing.
    int RowHeight() const;
    int SliderHeight() const;
    // Places the row with its top edge at rowTop and the slider margin pixels above it, across a client
    // area width pixels wide; strip receives the separator lines between the button groups.
    void Place(int width, int rowTop, int margin, ControlStrip& strip);
    // Schedules a repaint of every button and the slider.
    void Update();
    // The right edge of the button row, as last placed.
    int RowRight() const;
    // Shows or hides the slider and the buttons together (full screen hides them).
    void SetVisible(bool visible);

    CNiceSliderCtrl* Slider() const { return m_pSlider; }

private:
    CHoverButton* Button(int id) const;
    void SetLatched(bool play, bool pause);
    void Enable(bool enabled);

    std::array<CHoverButton*, kButtonCount> m_buttons{};   // Play, Pause, Stop, Backward Frame, Forward
                                                           // Frame, Previous Scene, Next Scene
    CNiceSliderCtrl* m_pSlider = nullptr;
};
