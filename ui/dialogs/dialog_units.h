#pragma once
// Dialog geometry tables are written in dialog units so that a dialog keeps its proportions whatever font
// it is shown in. One horizontal unit is a quarter of the font's average character width, one vertical
// unit an eighth of its character height; both are rounded the way the tables were designed for.
//
//   struct DialogUnitScale { int baseX, baseY; };
//   DialogUnitScale DialogBaseUnits(const QFont& font);
//   int DialogUnitsToPixelsX(const DialogUnitScale&, int units);   // units * baseX / 4, rounded
//   int DialogUnitsToPixelsY(const DialogUnitScale&, int units);   // units * baseY / 8, rounded
//   QRect DialogRectToPixels(const DialogUnitScale&, int left, int top, int width, int height);
//   QSize DialogSizeToPixels(const DialogUnitScale&, int width, int height);

#include <QFont>
#include <QRect>
#include <QSize>

namespace zv {

struct DialogUnitScale {
    int baseX = 0;   // average character width in pixels
    int baseY = 0;   // character cell height (ascent + descent) in pixels
};

// The average width is taken over the 52 Latin letters and rounded to the nearest pixel.
DialogUnitScale DialogBaseUnits(const QFont& font);

int DialogUnitsToPixelsX(const DialogUnitScale& scale, int units);
int DialogUnitsToPixelsY(const DialogUnitScale& scale, int units);

// Each edge is converted on its own (right = left + width, bottom = top + height), so neighbouring
// controls that share an edge in units still share it in pixels.
QRect DialogRectToPixels(const DialogUnitScale& scale, int left, int top, int width, int height);
QSize DialogSizeToPixels(const DialogUnitScale& scale, int width, int height);

}  // namespace zv
