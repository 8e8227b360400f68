#include "dvmeta/overlay_font.h"

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

int OverlayPixelSize(std::int32_t fontHeight)
{
    if (fontHeight == 0 || fontHeight > kMaxOverlayFontHeight || fontHeight < -kMaxOverlayFontHeight)
        return 0;
    if (fontHeight < 0)
        return -fontHeight;

    // The cell grows with the pixel size, so stop once it has passed the target by more than the best miss.
    int best = 0;
    int bestMiss = 0;
    for (int size = 1; size <= 2 * fontHeight; ++size) {
        const int cell = QFontMetrics(MakeOverlayFont(size)).height();
        const int miss = cell > fontHeight ? cell - fontHeight : fontHeight - cell;
        if (best == 0 || miss < bestMiss) {
            best = size;
            bestMiss = miss;
        }
        if (cell > fontHeight && cell - fontHeight > bestMiss)
            break;
    }
    return best;
}

void WarmOverlayFonts()
{
    for (const std::int32_t fontHeight : kOverlayFontHeights) {
        static_cast<void>(QFontMetrics(MakeOverlayFont(OverlayPixelSize(fontHeight))).height());
    }
}
