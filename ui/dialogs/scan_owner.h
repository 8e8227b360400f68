#pragma once
// The window a scan reports to: its error boxes ("Operation Cancelled" / "Cancelled") are modal boxes with
// the critical icon owned by that window, shown through a message presenter.
//
//   class CWidgetScanOwner : public IScanOwner {
//       explicit CWidgetScanOwner(QWidget* owner, IMessageBoxPresenter* presenter = nullptr);  // null: QMessageBox
//       void ShowErrorBox(const char* text, const char* title) override;
//       void SetOwner(QWidget* owner);
//   };
// Typical use: a CWidgetScanOwner member of the main window, handed to CDvAviReader::SetOwner.

#include "avi/scan_progress.h"

#include <QPointer>
#include <QWidget>

class IMessageBoxPresenter;

class CWidgetScanOwner : public IScanOwner {
public:
    explicit CWidgetScanOwner(QWidget* owner, IMessageBoxPresenter* presenter = nullptr);

    void ShowErrorBox(const char* text, const char* title) override;
    void SetOwner(QWidget* owner) { m_pOwner = owner; }
    QWidget* Owner() const { return m_pOwner; }

private:
    QPointer<QWidget> m_pOwner;
    IMessageBoxPresenter* m_pPresenter;
};
