#include "ui/dialogs/options_dlg.h"

#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/link_label.h"
#include "ui/dialogs/product_links.h"
#include "ui/dialogs/url_opener.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace {

// An exclusive group refuses to clear its checked button; the dialog sets each choice on its own, as the
// two-state controls it shows.
void SetCheck(QAbstractButton* button, bool checked)
{
    QButtonGroup* group = button->group();
    const bool relax = group != nullptr && group->exclusive() && !checked;
    if (relax)
        group->setExclusive(false);
    button->setChecked(checked);
    if (relax)
        group->setExclusive(true);
}

QButtonGroup* MakeGroup(QObject* owner, QAbstractButton* first, QAbstractButton* second)
{
    auto* group = new QButtonGroup(owner);
    group->addButton(first);
    group->addButton(second);
    return group;
}

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent, IUrlOpener* opener)
    : QDialog(parent), m_pOpener(opener != nullptr ? opener : &DefaultUrlOpener())
{
    BuildControls();
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::BuildControls()
{
    const zv::DialogTemplate t(this, QStringLiteral("Options"), 231, 276);

    m_controls[kIdDecoderGroup] = t.Group(QStringLiteral("DV Decoder Settings"), 7, 7, 217, 57);
    m_controls[1006] = t.Static(QStringLiteral("Decoder Resolution:"), 23, 21, 66, 8);
    m_pFull = t.Radio(QStringLiteral("Full (720x480 NTSC, 720x576 PAL)"), 47, 33, 128, 10);
    m_pHalf = t.Radio(QStringLiteral("Half (360x240 NTSC, 360x288 PAL)"), 47, 45, 130, 10);

    m_controls[1029] = t.Group(QStringLiteral("Metadata Display Settings"), 7, 70, 217, 57);
    m_controls[1030] = t.Static(QStringLiteral("Date Format:"), 23, 84, 75, 8);
    m_pDayFirst = t.Radio(QStringLiteral("dd/mm/yy"), 47, 96, 48, 10);
    m_pMonthFirst = t.Radio(QStringLiteral("mm/dd/yy"), 47, 108, 48, 10);

    m_controls[1033] = t.Group(QStringLiteral("Renderer Settings"), 7, 134, 217, 58);
    m_controls[1032] = t.Static(QStringLiteral("Renderer:"), 23, 148, 75, 8);
    m_pVmr9 = t.Radio(QStringLiteral("Built-in renderer (recommended)"), 48, 160, 86, 10);
    m_pVmr7 = t.Radio(QStringLiteral("Video overlay (X11)"), 48, 173, 34, 10);

    m_pSaveBox = t.Check(QStringLiteral("Save Settings as Default"), 17, 202, 95, 10);

    t.Group(QString(), 7, 216, 149, 53);
    t.Static(QStringLiteral("Zenk Vuvaz is free for any use, at home or at work. Terms and updates:"), 16, 225, 137, 28);
    m_pLink = t.Place(new CLinkLabel(QString::fromLatin1(zv::kProductPageUrl), this), 16, 254, 130, 8);

    auto* ok = t.Button(QStringLiteral("OK"), true, 174, 236, 50, 14);
    auto* cancel = t.Button(QStringLiteral("Cancel"), false, 174, 254, 50, 14);

    // Each pair of choices is a group of its own: all six are children of the dialog.
    MakeGroup(this, m_pFull, m_pHalf);
    MakeGroup(this, m_pDayFirst, m_pMonthFirst);
    MakeGroup(this, m_pVmr9, m_pVmr7);

    m_controls[kIdFull] = m_pFull;
    m_controls[kIdHalf] = m_pHalf;
    m_controls[kIdDayFirst] = m_pDayFirst;
    m_controls[kIdMonthFirst] = m_pMonthFirst;
    m_controls[kIdBuiltIn] = m_pVmr9;
    m_controls[kIdOverlay] = m_pVmr7;
    m_controls[kIdSave] = m_pSaveBox;
    m_controls[kIdLink] = m_pLink;
    m_controls[kIdOk] = ok;
    m_controls[kIdCancel] = cancel;

    // The check box toggles itself; a click needs nothing more.
    connect(ok, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &COptionsDlg::reject);
    connect(m_pLink, &CLinkLabel::clicked, this, &COptionsDlg::OnLinkClicked);
}

QWidget* COptionsDlg::Control(int id) const
{
    const auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

// Every opening starts from the controls as the table makes them: nothing selected, nothing disabled, the
// box unticked.
void COptionsDlg::ResetToTemplate()
{
    QAbstractButton* const buttons[] = {m_pFull, m_pHalf, m_pDayFirst, m_pMonthFirst, m_pVmr9, m_pVmr7, m_pSaveBox};
    for (QAbstractButton* button : buttons) {
        SetCheck(button, false);
        button->setEnabled(true);
    }
}

void COptionsDlg::showEvent(QShowEvent* event)
{
    // A window system's re-show (after minimising) is not a new opening.
    if (!event->spontaneous()) {
        ResetToTemplate();
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

bool COptionsDlg::OnInitDialog()
{
    if (m_nDecoderRes == 0) {
        SetCheck(m_pFull, true);
        SetCheck(m_pHalf, false);
    } else if (m_nDecoderRes == 1) {
        SetCheck(m_pFull, false);
        SetCheck(m_pHalf, true);
    }

    if (m_nDateFormat == 1) {
        SetCheck(m_pDayFirst, true);
        SetCheck(m_pMonthFirst, false);
    } else if (m_nDateFormat == 2) {
        SetCheck(m_pDayFirst, false);
        SetCheck(m_pMonthFirst, true);
    }

    if (m_nRenderer == 1) {
        SetCheck(m_pVmr7, true);
        SetCheck(m_pVmr9, false);
    } else {
        SetCheck(m_pVmr7, false);
        SetCheck(m_pVmr9, true);
    }

    // An unavailable renderer cannot be chosen, but keeps the selection shown above.
    if (!m_bVmr7Available)
        m_pVmr7->setEnabled(false);
    if (!m_bVmr9Available)
        m_pVmr9->setEnabled(false);
    return true;
}

void COptionsDlg::OnOK()
{
    m_nDecoderRes = m_pHalf->isChecked() ? 1 : 0;
    m_nDateFormat = m_pMonthFirst->isChecked() ? 2 : 1;
    m_nRenderer = m_pVmr7->isChecked() ? 1 : 2;
    m_bSaveAsDefault = m_pSaveBox->isChecked();
    QDialog::accept();
}

void COptionsDlg::accept()
{
    OnOK();
}

void COptionsDlg::OnLinkClicked()
{
    m_pOpener->OpenUrl(QUrl(QString::fromLatin1(zv::kProductPageUrl)));
}
