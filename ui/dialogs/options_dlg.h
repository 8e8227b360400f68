#pragma once
// COptionsDlg: the Options dialog (Tools > Options). The caller fills the values below, runs the dialog
// and, when it ends with OK, takes the values back (see options_apply.h for the whole command).
//
//   explicit COptionsDlg(QWidget* parent = nullptr, IUrlOpener* opener = nullptr);   // null: the desktop
//   bool OnInitDialog();      // values -> controls; runs by itself each time the dialog is shown
//   void OnOK();              // controls -> values, then ends the dialog with QDialog::Accepted
//   void accept() override;   // = OnOK (OK button, Enter)
//   void OnLinkClicked();     // opens zv::kProductPageUrl; the dialog stays open
//   QWidget* Control(int id) const;   // 1005..1011, 1027..1033, IDOK 1, IDCANCEL 2; null for unknown ids
//   data (set before running, read after OK):
//     bool m_bSaveAsDefault = false;      // result: "Save Settings as Default" was ticked at OK
//     std::int32_t m_nDecoderRes = 0;     // 0 full, 1 half
//     std::int32_t m_nDateFormat = 1;     // 1 dd/mm/yy, 2 mm/dd/yy
//     std::int32_t m_nRenderer = 2;       // 1 video overlay, anything else the built-in renderer
//     bool m_bVmr9Available = true;       // the built-in renderer may be chosen
//     bool m_bVmr7Available = false;      // the video overlay may be chosen
//   control ids: kIdFull 1007, kIdHalf 1008, kIdSave 1009, kIdOverlay 1010, kIdBuiltIn 1011,
//                kIdDayFirst 1027, kIdMonthFirst 1028, kIdLink 1031

#include <QDialog>

#include <cstdint>
#include <map>

class CLinkLabel;
class IUrlOpener;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QRadioButton;

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdDecoderGroup = 1005;
    static constexpr int kIdFull = 1007;
    static constexpr int kIdHalf = 1008;
    static constexpr int kIdSave = 1009;
    static constexpr int kIdOverlay = 1010;    // the second renderer choice, "Video overlay (X11)"
    static constexpr int kIdBuiltIn = 1011;    // the first renderer choice, "Built-in renderer (recommended)"
    static constexpr int kIdDayFirst = 1027;
    static constexpr int kIdMonthFirst = 1028;
    static constexpr int kIdLink = 1031;

    explicit COptionsDlg(QWidget* parent = nullptr, IUrlOpener* opener = nullptr);
    ~COptionsDlg() override;

    bool OnInitDialog();
    void OnOK();
    void accept() override;
    void OnLinkClicked();
    QWidget* Control(int id) const;

    bool m_bSaveAsDefault = false;
    std::int32_t m_nDecoderRes = 0;
    std::int32_t m_nDateFormat = 1;
    std::int32_t m_nRenderer = 2;
    bool m_bVmr9Available = true;
    bool m_bVmr7Available = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void ResetToTemplate();

    IUrlOpener* m_pOpener;
    QCheckBox* m_pSaveBox = nullptr;
    QRadioButton* m_pFull = nullptr;
    QRadioButton* m_pHalf = nullptr;
    QRadioButton* m_pDayFirst = nullptr;
    QRadioButton* m_pMonthFirst = nullptr;
    QRadioButton* m_pVmr7 = nullptr;
    QRadioButton* m_pVmr9 = nullptr;
    CLinkLabel* m_pLink = nullptr;
    std::map<int, QWidget*> m_controls;   // by control id; the widgets are children of the dialog
};
