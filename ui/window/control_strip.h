#pragma once
// The part of the client area below the metadata area that no child covers completely: the slider and the
// button row sit on it. Filled with the button-face colour, with two engraved separator lines between the
// button groups (a shadow line and a highlight line one pixel to its right).

#include <QRect>

class QPainter;
class QPalette;

struct SeparatorLine {
    int x = 0;
    int top = 0;
    int length = 0;
};

struct ControlStrip {
    QRect rect;                    // x 0, y below the metadata area, full width, down to the bottom
    SeparatorLine separators[2];   // between Stop and Backward Frame, and before the scene buttons
};

// Paints strip with painter in palette's Button (face), Dark (shadow) and Light (highlight) colours.
void PaintControlStrip(QPainter& painter, const QPalette& palette, const ControlStrip& strip);
