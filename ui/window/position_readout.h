#pragma once
// CPositionReadout: where playback is, in the control strip to the right of the buttons, as
// "frame 1234 / 90000   0:00:49:09 / 1:00:00:00" (frame and frame count, position and length). Empty
// while no file is open.

#include "ui/window/timecode.h"

#include <cstdint>
#include <string>

class QLabel;
class QRect;
class QWidget;

// The read-out's text for frame of a file of frameCount frames.
std::string PositionReadoutText(std::int64_t frame, std::int64_t frameCount, TimecodeRate rate);

class CPositionReadout {
public:
    // Makes the label (named "PositionReadout") as a child of parent.
    void Create(QWidget* parent);
    // The open file's length and rate, again when the length turns out shorter at the end of the stream;
    // the frame shown stays (frame 0 for a new file).
    void SetFile(std::int64_t frameCount, TimecodeRate rate);
    void ShowFrame(std::int64_t frame);
    void Clear();
    void Place(const QRect& area);
    void SetVisible(bool visible);

private:
    QLabel* m_pLabel = nullptr;
    std::int64_t m_nFrameCount = 0;
    std::int64_t m_nFrame = 0;
    TimecodeRate m_rate;
    bool m_bFile = false;
};
