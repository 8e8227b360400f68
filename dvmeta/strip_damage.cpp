#include "dvmeta/strip_damage.h"

#include <algorithm>

namespace {

bool IsEmpty(const DvTextBox& box)
{
    return box.left >= box.right || box.top >= box.bottom;
}

bool Meet(const DvTextBox& a, const DvTextBox& b)
{
    return !IsEmpty(a) && !IsEmpty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

DvTextBox Around(const DvTextBox& a, const DvTextBox& b)
{
    if (IsEmpty(a))
        return b;
    if (IsEmpty(b))
        return a;
    return DvTextBox{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
}

}  // namespace

DvTextBox TextBox(std::int32_t x, std::int32_t y, std::int32_t length, std::int32_t cellWidth, std::int32_t cellHeight,
                  std::int32_t spill)
{
    if (length <= 0 || cellWidth <= 0 || cellHeight <= 0)
        return DvTextBox{};
    return DvTextBox{x - spill, y, x + length * cellWidth + spill, y + cellHeight};
}

DvStripDamage FindStripDamage(const std::array<DvTextBox, kStripTexts>& before,
                              const std::array<DvTextBox, kStripTexts>& after,
                              const std::array<bool, kStripTexts>& changed)
{
    DvStripDamage damage;
    for (std::size_t i = 0; i < kStripTexts; ++i) {
        damage.repaint[i] = changed[i];
        damage.clear[i] = changed[i] ? Around(before[i], after[i]) : DvTextBox{};
    }
    // A text meeting a cleared box loses pixels there and is painted again, which clears its own box too.
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t j = 0; j < kStripTexts; ++j) {
            if (damage.repaint[j])
                continue;
            for (std::size_t i = 0; i < kStripTexts && !damage.repaint[j]; ++i) {
                if (damage.repaint[i] && Meet(after[j], damage.clear[i])) {
                    damage.repaint[j] = true;
                    damage.clear[j] = after[j];
                    grew = true;
                }
            }
        }
    }
    return damage;
}
