#include "ui/window/control_strip.h"

#include <QPainter>
#include <QPalette>

void PaintControlStrip(QPainter& painter, const QPalette& palette, const ControlStrip& strip)
{
    painter.fillRect(strip.rect, palette.color(QPalette::Button));
    for (const SeparatorLine& line : strip.separators) {
        if (line.length <= 0) {
            continue;
        }
        // One pixel wide, from top to top + length with the end point excluded.
        painter.fillRect(QRect(line.x, line.top, 1, line.length), palette.color(QPalette::Dark));
        painter.fillRect(QRect(line.x + 1, line.top, 1, line.length), palette.color(QPalette::Light));
    }
}
