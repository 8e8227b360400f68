#include "dvmeta/overlay_glyph_set.h"

#include <atomic>
#include <mutex>

namespace {

std::mutex g_making;
OverlayGlyphSet g_cells;                             // written under g_making until published
std::atomic<const OverlayGlyphSet*> g_made{nullptr};   // published once every height is made, never changed after

bool MakeAll(OverlayGlyphSet& cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].Empty() && !cells[i].Build(kOverlayFontHeights[i], kOverlayInks))
            return false;
    }
    return true;
}

}  // namespace

const OverlayGlyphSet* SharedOverlayGlyphs()
{
    if (const OverlayGlyphSet* made = MadeOverlayGlyphs())
        return made;
    const std::lock_guard lock(g_making);
    if (g_made.load(std::memory_order_relaxed) == nullptr && MakeAll(g_cells))
        g_made.store(&g_cells, std::memory_order_release);
    return g_made.load(std::memory_order_relaxed);
}

const OverlayGlyphSet* MadeOverlayGlyphs()
{
    return g_made.load(std::memory_order_acquire);
}
