#include "ui/dialogs/options_apply.h"

#include "ui/dialogs/options_dlg.h"

void PrepareOptionsDialog(COptionsDlg& dlg, const PlayerSettings& run, unsigned availability)
{
    dlg.m_nDecoderRes = run.DvDecoderRes == 1 ? 1 : 0;
    dlg.m_nDateFormat = (run.DateFormat == 1 || run.DateFormat == 2) ? run.DateFormat : 1;
    dlg.m_nRenderer = run.Renderer;
    dlg.m_bVmr7Available = (availability & kRendererOverlayAvailable) != 0;
    dlg.m_bVmr9Available = (availability & kRendererBuiltInAvailable) != 0;
}

void ApplyOptionsResult(const COptionsDlg& dlg, PlayerSettings& run)
{
    run.DvDecoderRes = dlg.m_nDecoderRes;
    run.DateFormat = dlg.m_nDateFormat;
    run.Renderer = dlg.m_nRenderer;
    if (dlg.m_bSaveAsDefault)
        SaveSettings(run);
}

bool RunOptionsDialog(QWidget* parent, PlayerSettings& run, unsigned availability, IUrlOpener* opener)
{
    COptionsDlg dlg(parent, opener);
    PrepareOptionsDialog(dlg, run, availability);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    ApplyOptionsResult(dlg, run);
    return true;
}
