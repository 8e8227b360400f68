#include "ui/window/export_progress.h"

#include "ui/dialogs/progress_popup.h"

namespace {

// As often as the scene scan pumps: a click on Cancel is seen within a few frames.
constexpr std::uint64_t kPumpInterval = 20;

}  // namespace

bool CPopupExportProgress::Advance(std::uint64_t done, std::uint64_t total)
{
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent != m_popup.Position()) {
        m_popup.SetPosition(percent);
    }
    if (++m_calls % kPumpInterval == 1 || done == total) {
        m_popup.PumpMessages(true);
    }
    return !m_popup.IsCancelled();
}
