#pragma once
// An export's progress in the player's progress popup: the bar follows the frames written, the popup's
// events are pumped now and then so that Cancel (or Esc) is seen, and a cancel ends the export.

#include "export/export_progress.h"

#include <cstdint>

class CProgressPopup;

class CPopupExportProgress final : public zv::IExportProgress {
public:
    explicit CPopupExportProgress(CProgressPopup& popup) : m_popup(popup) {}

    bool Advance(std::uint64_t done, std::uint64_t total) override;

private:
    CProgressPopup& m_popup;
    std::uint64_t m_calls = 0;
};
