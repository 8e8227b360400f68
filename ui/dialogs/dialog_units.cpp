#include "ui/dialogs/dialog_units.h"

#include <QFontMetrics>

#include <cstdint>

namespace zv {
namespace {

// value * numerator / denominator rounded half away from zero, in 64 bits so no table value can overflow.
int MulDivRounded(int value, int numerator, int denominator)
{
    if (denominator == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

}  // namespace

DialogUnitScale DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int lettersWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnitScale scale;
    scale.baseX = (lettersWidth / 26 + 1) / 2;
    scale.baseY = metrics.ascent() + metrics.descent();
    // A font without metrics (no font system) would collapse every control to nothing.
    if (scale.baseX <= 0)
        scale.baseX = 1;
    if (scale.baseY <= 0)
        scale.baseY = 1;
    return scale;
}

int DialogUnitsToPixelsX(const DialogUnitScale& scale, int units)
{
    return MulDivRounded(units, scale.baseX, 4);
}

int DialogUnitsToPixelsY(const DialogUnitScale& scale, int units)
{
    return MulDivRounded(units, scale.baseY, 8);
}

QRect DialogRectToPixels(const DialogUnitScale& scale, int left, int top, int width, int height)
{
    const int x0 = DialogUnitsToPixelsX(scale, left);
    const int y0 = DialogUnitsToPixelsY(scale, top);
    const int x1 = DialogUnitsToPixelsX(scale, left + width);
    const int y1 = DialogUnitsToPixelsY(scale, top + height);
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

QSize DialogSizeToPixels(const DialogUnitScale& scale, int width, int height)
{
    return QSize(DialogUnitsToPixelsX(scale, width), DialogUnitsToPixelsY(scale, height));
}

}  // namespace zv
