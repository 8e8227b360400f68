#include "dvmeta/overlay_font.h"

#include "dvmeta/overlay_glyph_set.h"
#include "dvmeta/overlay_layout.h"

#include <QFontMetrics>

QFont MakeOverlayFont(int pixelSize)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace, QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setPixelSize(pixelSize);
    return font;
}

namespace {

int CellHeightAt(int pixelSize)
{
    return QFontMetrics(MakeOverlayFont(pixelSize)).height();
}

}  // namespace

// Each size tried makes a font engine (most of what a strip's start costs), so the sizes are searched
// rather than walked from 1. The cell grows with the pixel size, so the answer is the first size whose
// cell passes the target, or the first size of the run of sizes with the cell just below it (a tie goes
// to the smaller size): the size a walk from 1 would pick, found in a handful of tries.
int OverlayPixelSize(std::int32_t fontHeight)
{
    if (fontHeight == 0 || fontHeight > kMaxOverlayFontHeight || fontHeight < -kMaxOverlayFontHeight)
        return 0;
    if (fontHeight < 0)
        return -fontHeight;

    int low = 1;   // the first size whose cell passes the target lies in [low, high]; high: none does
    int high = 2 * fontHeight + 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CellHeightAt(middle) > fontHeight)
            high = middle;
        else
            low = middle + 1;
    }
    const int above = low;
    if (above == 1)
        return 1;
    int below = above - 1;
    const int belowCell = CellHeightAt(below);
    while (below > 1 && CellHeightAt(below - 1) == belowCell)
        --below;
    if (above > 2 * fontHeight)
        return below;
    return fontHeight - belowCell <= CellHeightAt(above) - fontHeight ? below : above;
}

void WarmOverlayFonts()
{
    // Making the cells tries each size and renders the glyphs: both then cost the graph's start nothing.
    static_cast<void>(SharedOverlayGlyphs());
}
