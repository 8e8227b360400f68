#pragma once
// The Tools > Options command around COptionsDlg: the run's settings go into the dialog, and after OK its
// values become the run's settings, stored as defaults when the user ticked "Save Settings as Default".
//
//   void PrepareOptionsDialog(COptionsDlg& dlg, const PlayerSettings& run, unsigned availability);
//   void ApplyOptionsResult(const COptionsDlg& dlg, PlayerSettings& run);   // after QDialog::Accepted only
//   bool RunOptionsDialog(QWidget* parent, PlayerSettings& run, unsigned availability,
//                         IUrlOpener* opener = nullptr);                  // the whole command; true on OK
//
// availability is the renderer mask of player_settings.h (bit 0 built-in, bit 1 overlay).

#include "settings/player_settings.h"

class COptionsDlg;
class IUrlOpener;
class QWidget;

// Decoder resolution 1 stays 1, anything else becomes full (0); a date format other than 1 or 2 becomes
// day first (1); the renderer goes in unchanged.
void PrepareOptionsDialog(COptionsDlg& dlg, const PlayerSettings& run, unsigned availability);

// The dialog's values become the run's; with the box ticked all three are written, in their fixed order,
// whether or not they changed.
void ApplyOptionsResult(const COptionsDlg& dlg, PlayerSettings& run);

bool RunOptionsDialog(QWidget* parent, PlayerSettings& run, unsigned availability, IUrlOpener* opener = nullptr);
