#include "ui/window/goto_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CGoToDialog::CGoToDialog(QWidget* owner) : QDialog(owner), m_pTarget(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Go to"));
    auto* layout = new QVBoxLayout(this);   // children owned by this dialog
    layout->addWidget(new QLabel(
        QStringLiteral("Frame number, position (h:mm:ss:ff) or recording date and time (2024-07-08 19:55:58):"), this));
    m_pTarget->setObjectName(QStringLiteral("Target"));
    layout->addWidget(m_pTarget);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CGoToDialog::Text() const
{
    return m_pTarget->text();
}
