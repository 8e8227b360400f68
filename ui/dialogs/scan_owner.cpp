#include "ui/dialogs/scan_owner.h"

#include "ui/dialogs/message_presenter.h"

CWidgetScanOwner::CWidgetScanOwner(QWidget* owner, IMessageBoxPresenter* presenter)
    : m_pOwner(owner), m_pPresenter(presenter != nullptr ? presenter : &DefaultMessageBoxPresenter())
{
}

void CWidgetScanOwner::ShowErrorBox(const char* text, const char* title)
{
    m_pPresenter->ShowMessage(m_pOwner, QString::fromUtf8(text != nullptr ? text : ""),
                              QString::fromUtf8(title != nullptr ? title : ""), QMessageBox::Critical);
}
